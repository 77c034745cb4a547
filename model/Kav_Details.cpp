#include "model/Kav_Details.h"

namespace kavex {

std::vector<std::string> DumpDetailLines(const TKavClass& /*Node*/, bool /*Glyphs*/) { return {}; }

}  // namespace kavex
