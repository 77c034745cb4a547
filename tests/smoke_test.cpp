#include <gtest/gtest.h>
#include "log/Log.h"
TEST(Smoke, Builds) { EXPECT_EQ(kavex::MsgCount, 60); }
