#include "model/FileName.h"

#include "model/CodePage.h"

namespace kavex {

#ifdef _WIN32
std::filesystem::path PathFromUtf8(const std::string& Name) {
  const std::u16string Units = Utf8ToUtf16(Name);
  return std::filesystem::path(std::wstring(Units.begin(), Units.end()));
}

std::string PathToUtf8(const std::filesystem::path& Path) {
  const std::wstring& Units = Path.native();
  return Utf16ToUtf8(std::u16string(Units.begin(), Units.end()));
}
#else
std::filesystem::path PathFromUtf8(const std::string& Name) { return std::filesystem::path(Name); }

std::string PathToUtf8(const std::filesystem::path& Path) { return Path.string(); }
#endif

}  // namespace kavex
