#include "model/CodePage.h"

#include <algorithm>
#include <iterator>

namespace kavex {
namespace {

TCodePage ActivePage = TCodePage::Windows1252;

// 0x80..0x9F of Windows-1252. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the same code point, as Windows converts them.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The UTF-8 form of every byte in one code page, so that texts of many thousand entries are
// converted by table rather than character by character.
struct TUtf8Table {
  std::uint8_t Length[256];
  char Bytes[256][3];
};

TUtf8Table MakeUtf8Table(TCodePage Page) {
  TUtf8Table T{};
  for (int B = 0; B < 256; ++B) {
    const char32_t Code = (Page == TCodePage::Windows1252 && B >= 0x80 && B <= 0x9F) ? Cp1252High[B - 0x80] : char32_t(B);
    std::string U;
    AppendUtf8(U, Code);
    T.Length[B] = static_cast<std::uint8_t>(U.size());
    for (std::size_t K = 0; K < U.size(); ++K) T.Bytes[B][K] = U[K];
  }
  return T;
}

const TUtf8Table& ActiveUtf8Table() {
  static const TUtf8Table Tables[2] = {MakeUtf8Table(TCodePage::Windows1252), MakeUtf8Table(TCodePage::Latin1)};
  return Tables[ActivePage == TCodePage::Windows1252 ? 0 : 1];
}

}  // namespace

void SetCodePage(TCodePage Page) { ActivePage = Page; }
TCodePage GetCodePage() { return ActivePage; }

char32_t CodePageChar(std::uint8_t Byte) {
  if (ActivePage == TCodePage::Windows1252 && Byte >= 0x80 && Byte <= 0x9F) return Cp1252High[Byte - 0x80];
  return Byte;
}

std::optional<std::uint8_t> CodePageByte(TCodePage Page, char32_t Code) {
  if (Code < 0x80 || (Code <= 0xFF && (Page == TCodePage::Latin1 || Code >= 0xA0))) return static_cast<std::uint8_t>(Code);
  if (Page == TCodePage::Latin1) return std::nullopt;
  // 0x80..0x9F: only those in the table, the five undefined bytes included.
  const auto* At = std::find(std::begin(Cp1252High), std::end(Cp1252High), Code);
  if (At == std::end(Cp1252High)) return std::nullopt;
  return static_cast<std::uint8_t>(0x80 + (At - std::begin(Cp1252High)));
}

void AppendUtf8(std::string& Out, char32_t Code) {
  if ((Code >= 0xD800 && Code <= 0xDFFF) || Code > 0x10FFFF) Code = 0xFFFD;
  if (Code < 0x80) {
    Out += static_cast<char>(Code);
  } else if (Code < 0x800) {
    Out += static_cast<char>(0xC0 | (Code >> 6));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Out += static_cast<char>(0xE0 | (Code >> 12));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Code >> 18));
    Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  }
}

std::string CodePageToUtf8(std::string_view Bytes) {
  std::string Out;
  AppendCodePageUtf8(Out, Bytes);
  return Out;
}

void AppendCodePageUtf8(std::string& Out, std::string_view Bytes) {
  const auto IsAscii = [](char C) { return static_cast<std::uint8_t>(C) < 0x80; };
  // Most texts are ASCII only and go over whole.
  const std::size_t FirstWide = static_cast<std::size_t>(std::find_if_not(Bytes.begin(), Bytes.end(), IsAscii) - Bytes.begin());
  if (FirstWide == Bytes.size()) {
    Out.append(Bytes);
    return;
  }
  // Otherwise the room for the whole text is made once, then runs of ASCII are copied whole.
  const TUtf8Table& Table = ActiveUtf8Table();
  std::size_t Room = FirstWide;
  for (std::size_t K = FirstWide; K < Bytes.size(); ++K) Room += Table.Length[static_cast<std::uint8_t>(Bytes[K])];
  Out.reserve(Out.size() + Room);
  Out.append(Bytes.substr(0, FirstWide));
  std::size_t I = FirstWide;
  while (I < Bytes.size()) {
    const auto B = static_cast<std::uint8_t>(Bytes[I]);
    Out.append(Table.Bytes[B], Table.Length[B]);
    std::size_t Run = ++I;
    while (Run < Bytes.size() && IsAscii(Bytes[Run])) ++Run;
    Out.append(Bytes.data() + I, Run - I);
    I = Run;
  }
}

void AppendUtf16BEAsUtf8(std::string& Out, std::string_view Units) {
  const auto Unit = [&Units](std::size_t I) {
    return static_cast<char16_t>((static_cast<std::uint8_t>(Units[2 * I]) << 8) | static_cast<std::uint8_t>(Units[2 * I + 1]));
  };
  const std::size_t Count = Units.size() / 2;
  for (std::size_t I = 0; I < Count; ++I) {
    const char16_t U = Unit(I);
    if (U < 0x80) {
      Out += static_cast<char>(U);
      continue;
    }
    if (U >= 0xD800 && U <= 0xDBFF && I + 1 < Count && Unit(I + 1) >= 0xDC00 && Unit(I + 1) <= 0xDFFF) {
      AppendUtf8(Out, 0x10000 + ((static_cast<char32_t>(U) - 0xD800) << 10) + (Unit(I + 1) - 0xDC00));
      ++I;
    } else {
      AppendUtf8(Out, U);
    }
  }
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    const char16_t U = Text[I];
    if (U < 0x80) {  // most texts are mostly ASCII
      Out += static_cast<char>(U);
      continue;
    }
    if (U >= 0xD800 && U <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
      AppendUtf8(Out, 0x10000 + ((static_cast<char32_t>(U) - 0xD800) << 10) + (Text[I + 1] - 0xDC00));
      ++I;
    } else {
      AppendUtf8(Out, U);
    }
  }
  return Out;
}

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  std::size_t I = 0;
  while (I < Text.size()) {
    const auto B = static_cast<std::uint8_t>(Text[I]);
    int More = 0;
    char32_t Code = 0;
    if (B < 0x80) {
      Code = B;
    } else if ((B & 0xE0) == 0xC0 && B >= 0xC2) {
      More = 1;
      Code = B & 0x1F;
    } else if ((B & 0xF0) == 0xE0) {
      More = 2;
      Code = B & 0x0F;
    } else if ((B & 0xF8) == 0xF0 && B <= 0xF4) {
      More = 3;
      Code = B & 0x07;
    } else {
      Out.push_back(u'\uFFFD');
      ++I;
      continue;
    }
    bool Good = I + static_cast<std::size_t>(More) < Text.size();
    for (int K = 1; Good && K <= More; ++K) {
      const auto C = static_cast<std::uint8_t>(Text[I + static_cast<std::size_t>(K)]);
      if ((C & 0xC0) != 0x80) Good = false;
      else Code = (Code << 6) | (C & 0x3F);
    }
    const bool Shortest = More < 2 || (More == 2 ? Code >= 0x800 : Code >= 0x10000);
    if (!Good || !Shortest || (Code >= 0xD800 && Code <= 0xDFFF) || Code > 0x10FFFF) {
      Out.push_back(u'\uFFFD');
      ++I;
      continue;
    }
    if (Code >= 0x10000) {
      Code -= 0x10000;
      Out.push_back(static_cast<char16_t>(0xD800 + (Code >> 10)));
      Out.push_back(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)));
    } else {
      Out.push_back(static_cast<char16_t>(Code));
    }
    I += static_cast<std::size_t>(More) + 1;
  }
  return Out;
}

}  // namespace kavex
