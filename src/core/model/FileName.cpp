#include "model/FileName.h"

#include "model/CodePage.h"

namespace kavex {

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  const auto Byte = [&](std::size_t I) { return static_cast<unsigned char>(Text[I]); };
  for (std::size_t I = 0; I < Text.size();) {
    const unsigned char Lead = Byte(I);
    if (Lead < 0x80) {
      Out += static_cast<char16_t>(Lead);
      ++I;
      continue;
    }
    std::size_t Length = 0;
    unsigned char Low = 0x80, High = 0xBF;  // the range of the second byte
    char32_t Code = 0;
    if (Lead >= 0xC2 && Lead <= 0xDF) {
      Length = 2;
      Code = Lead & 0x1F;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
      Length = 3;
      Code = Lead & 0x0F;
      if (Lead == 0xE0) Low = 0xA0;
      if (Lead == 0xED) High = 0x9F;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
      Length = 4;
      Code = Lead & 0x07;
      if (Lead == 0xF0) Low = 0x90;
      if (Lead == 0xF4) High = 0x8F;
    }
    bool WellFormed = Length > 0 && Text.size() - I >= Length && Byte(I + 1) >= Low && Byte(I + 1) <= High;
    for (std::size_t K = 2; WellFormed && K < Length; ++K) WellFormed = Byte(I + K) >= 0x80 && Byte(I + K) <= 0xBF;
    if (!WellFormed) {
      Out += u'\uFFFD';
      ++I;
      continue;
    }
    for (std::size_t K = 1; K < Length; ++K) Code = (Code << 6) | (Byte(I + K) & 0x3F);
    if (Code >= 0x10000) {
      Out += static_cast<char16_t>(0xD800 + ((Code - 0x10000) >> 10));
      Out += static_cast<char16_t>(0xDC00 + ((Code - 0x10000) & 0x3FF));
    } else {
      Out += static_cast<char16_t>(Code);
    }
    I += Length;
  }
  return Out;
}

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
