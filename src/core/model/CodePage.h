#pragma once
// The one place where 8-bit texts from images become Unicode. Each byte is one character of
// the active code page (Windows-1252 unless another is chosen).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavex {

enum class TCodePage { Windows1252, Latin1 };

void SetCodePage(TCodePage Page);
TCodePage GetCodePage();

// The Unicode code point of one byte in the active code page.
char32_t CodePageChar(std::uint8_t Byte);
// The other way: the byte that stands for Code in Page; none when Page has no byte for it.
std::optional<std::uint8_t> CodePageByte(TCodePage Page, char32_t Code);
// A byte string to UTF-8, one character per byte.
std::string CodePageToUtf8(std::string_view Bytes);
// The same, appended to Out.
void AppendCodePageUtf8(std::string& Out, std::string_view Bytes);

// UTF-8 encoding of one code point (surrogates and values above U+10FFFF become U+FFFD).
void AppendUtf8(std::string& Out, char32_t Code);
// UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view Text);
// The other way: UTF-8 to UTF-16 code units. Each byte that is no part of a well-formed
// sequence (overlong, a surrogate, above U+10FFFF, cut short) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view Text);
// The same for code units stored big-endian, two bytes each (an odd last byte is left out),
// appended to Out.
void AppendUtf16BEAsUtf8(std::string& Out, std::string_view Units);

}  // namespace kavex
