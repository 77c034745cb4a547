#pragma once
// Chunks of the decoded kinds (texts, fonts, tones, operator lists), ready to be put into an
// image, for the detail panel tests and the sample image of the screenshots.

#include <string>
#include <vector>

#include "ImageBuilder.h"

namespace kavtest {

// A chunk holding the subchunks, then a closing record.
Bytes ChunkOf(const std::string& Name, const std::vector<Bytes>& Subchunks, std::string_view Version = "V1");

// One-byte text table (its length table ends with the 0xFF terminator).
Bytes TextSubchunk(std::uint32_t Id, const std::vector<std::string>& Entries, std::string_view ShortName = "");
// Two-byte text table; entry 0 starts with a character that is not shown.
Bytes WideTextSubchunk(std::uint32_t Id, const std::vector<std::u16string>& Entries, std::string_view ShortName = "");
Bytes ToneSubchunk(std::uint32_t Id, std::string_view Name);
Bytes PlmnSubchunk(std::uint32_t Id, int Mcc, const std::vector<Operator>& Operators);
Bytes FontSubchunk(const std::vector<Font>& Fonts);

// A font of one range from First, one glyph per entry of Glyphs, each drawn as rows of text
// ('#' ink); all glyphs as wide and high as the first.
Font ArtFont(std::uint16_t First, const std::vector<std::vector<std::string>>& Glyphs, std::string Name = "Art");

}  // namespace kavtest
