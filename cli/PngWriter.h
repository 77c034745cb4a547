#pragma once
// The PNG sheet writer lives in the core, where the viewer's exports use it too.
#include "present/Kav_Png.h"
