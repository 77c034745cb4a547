#pragma once
// The message catalogue, the five message kinds, the log record and its store, and
// LogMessage, the one entry through which every finding is reported.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogArgs.h"

namespace kavex {

enum class TMsgKind : int { Info = 0, Notice = 1, Warning = 2, Error = 3, Debug = 4 };
constexpr int MsgKindCount = 5;

struct TMsgKindInfo {
  const char* Name;  // "Info", "Notice", ...
  const char* Tag;   // one character used in copied and exported lines
  int Icon;          // index in the log window's image list
};

const TMsgKindInfo& KindInfo(TMsgKind Kind);
const char* KindName(TMsgKind Kind);
const char* KindTag(TMsgKind Kind);

// Whether records of a kind are listed; all five start shown. Stored records are never
// affected by it. Process-wide, like the installed log procedure.
bool IsKindShown(TMsgKind Kind);
void SetKindShown(TMsgKind Kind, bool Shown);

// Message numbers by name. The catalogue keeps the texts; the numbers are positions in it.
enum TMsgIdent : int {
  msgIdentOutOfRange = 0,
  msgLogInitialized = 1,
  msgMsgProcInitialized = 2,
  msgWelcomeBuild = 3,
  msgFileOpenError = 4,
  msgFileReadError = 5,
  msgFileLengthZero = 6,
  msgAreasNotFound = 7,
  msgMcuTooSmall = 8,
  msgMcuFieldsStart = 9,
  msgMcuFieldsEnd = 10,
  msgMcuInfoBase = 11,
  msgMcuVersionOut = 12,
  msgMcuHeaderNotFF = 13,
  msgMcuVersion = 14,
  msgPpmTooSmall = 15,
  msgPpmNoSignature = 16,
  msgPpmChecksumDiffers = 17,
  msgPpmChecksumMatch = 18,
  msgPpmVersion = 19,
  msgMcuFieldsTooSmall = 20,
  msgChunkNoHeader = 21,
  msgChunkNoData = 22,
  msgChunkChecksum = 23,
  msgChunkUnexpectedEnd = 24,
  msgChunkUnknownName = 25,
  msgTextChangeUnsupported = 26,
  msgToneNoEnd = 27,
  msgLoadingFile = 28,
  msgPpmVersionDiffers = 29,
  msgMcuChecksum = 30,
  msgWelcome = 31,
  msgVNextUnaligned = 32,
  msgVNextNotFound = 33,
  msgPpmLocationOut = 34,
  msgPpmStartAboveEnd = 35,
  msgSubchunkNoHeader = 36,
  msgSubchunkTooLong = 37,
  msgSubchunkCreateError = 38,
  msgVNextGapByte = 39,
  msgWinTeslaHeader = 40,
  msgWinTeslaTooLong = 41,
  msgWinTeslaStrayBytes = 42,
  msgWinTeslaNotContiguous = 43,
  msgWinTeslaBlock = 44,
  msgDivudAssumed = 45,
  msgFillGap = 46,
  msgFontLength = 47,
  msgFontInfo = 50,
  msgFontSecondTable = 51,
  msgFontFlags = 52,
};

constexpr int MsgCount = 60;

// Kind and format text of a catalogue entry; Ident must be 0..59.
TMsgKind MsgKindOf(int Ident);
std::string_view MsgFormatText(int Ident);

// One log record; its kind is always looked up through Ident.
struct TMsgItem {
  int Ident = 0;
  std::string Text;  // formatted once, when logged (UTF-8)
  std::string Path;  // exactly as the caller gave it
  TMsgKind Kind() const { return MsgKindOf(Ident); }
};

// The log store: owns its records in logging order.
class TMsgCollection {
public:
  TMsgItem& Add(int Ident, std::string Path, std::string Text);
  std::size_t Count() const { return Items_.size(); }
  const TMsgItem& At(std::size_t Index) const { return Items_[Index]; }
  void Clear() { Items_.clear(); }

private:
  std::vector<TMsgItem> Items_;
};

// The line of a record as copied and exported: "%s (%4d) %s Path: %s".
std::string FormatMsgLine(const TMsgItem& Item);

// Where LogMessage delivers its finished records (the log window's AddMessage, or a tool's
// store). Without a receiver, records are dropped.
using TMsgReceiver = std::function<void(int Ident, const std::string& Path, const std::string& Text)>;
void SetMsgReceiver(TMsgReceiver Receiver);

// Checks Ident, formats the catalogue text with Args and hands the record to the receiver.
// An Ident outside 0..59 becomes message 0 with the path "[Log]" + Path. Always returns 0.
int LogMessage(int Ident, const std::string& Path, const TLogArgs& Args);

}  // namespace kavex
