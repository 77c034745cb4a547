#include "log/Log.h"

#include <array>
#include <utility>

namespace kavex {
namespace {

const std::array<TMsgKindInfo, MsgKindCount> Kinds = {{
    {"Info", "i", 0},
    {"Notice", "?", 1},
    {"Warning", "*", 2},
    {"Error", "!", 3},
    {"Debug", "~", 4},
}};

std::array<bool, MsgKindCount> KindShown = {true, true, true, true, true};

struct TCatalogueEntry {
  TMsgKind Kind;
  const char* Text;
};

using K = TMsgKind;
// The texts are the program's own, typos included; entries without a text stay empty.
const std::array<TCatalogueEntry, MsgCount> Catalogue = {{
    /* 0 */ {K::Error, "Log message 'Ident' out of range (%d);"},
    /* 1 */ {K::Debug, "Log initialized, total messages: %d, hidden: %d;"},
    /* 2 */ {K::Debug, "MsgProc initialized successfully;"},
    /* 3 */ {K::Info, "Welcome to Kavex v%d.%2d, build #%d;"},
    /* 4 */ {K::Error, "File open error: %s;"},
    /* 5 */ {K::Error, "File read error: %s;"},
    /* 6 */ {K::Error, "File length is zero: %s;"},
    /* 7 */ {K::Warning, "MCU or PPM blocks not found in file;"},
    /* 8 */ {K::Error, "MCU length is too small, %d byte(s);"},
    /* 9 */ {K::Error, "MCU fields not started at 0x00200024 - 0x%.8x;"},
    /* 10 */ {K::Error, "MCU fields ends out of file - 0x%.8x;"},
    /* 11 */ {K::Error, "MCU InfoBase points out of file - 0x%.8x;"},
    /* 12 */ {K::Error, "MCU version points out of MCU area - 0x%.8x;"},
    /* 13 */ {K::Notice, "MCU header %s does not contaion only FFs;"},
    /* 14 */ {K::Info, "MCU version string: %s;"},
    /* 15 */ {K::Error, "PPM length is too small, %d byte(s);"},
    /* 16 */ {K::Error, "PPM signature not found;"},
    /* 17 */ {K::Warning, "Checksum of MCU (0x%.4x) does not match one at PPM (0x%.4x);"},
    /* 18 */ {K::Info, "Checksum of MCU (0x%.4x) match one at PPM (0x%.4x);"},
    /* 19 */ {K::Info, "PPM version string: %s;"},
    /* 20 */ {K::Error, "MCU fields length is too small, %d byte(s);"},
    /* 21 */ {K::Error, "Too few bytes remains for chunk header, %d byte(s);"},
    /* 22 */ {K::Error, "Too few bytes remains for chunk data, %d byte(s);"},
    /* 23 */ {K::Warning, "Chunk checksum does not math: present 0x%.8x, calculated 0x%.8x;"},
    /* 24 */ {K::Error, "Unexpected end of chunk;"},
    /* 25 */ {K::Notice, "Unknows chunk Name/Type: 0x%.8x;"},
    /* 26 */ {K::Error, "Text entries changing not supported in this verison;"},
    /* 27 */ {K::Error, "End of music not found at the end of subchunk;"},
    /* 28 */ {K::Info, "Loading file: %s;"},
    /* 29 */ {K::Warning, "PPM version string does not match one of MCU;"},
    /* 30 */ {K::Warning, "MCU checksum does not math: present 0x%.4x, calculated 0x%.4x;"},
    /* 31 */ {K::Info, "Welcome to %s, v%d.%02d %s;"},
    /* 32 */ {K::Notice, "MCU VNext location address is not aligned by 4, 0x%.8x;"},
    /* 33 */ {K::Error, "MCU VNext not found;"},
    /* 34 */ {K::Error, "MCU location of PPM location info is out of file, 0x%.8x;"},
    /* 35 */ {K::Error, "Start of PPM is higher than end, 0x%.8x, 0x%.8x;"},
    /* 36 */ {K::Error, "Number of bytes remain (%d byte(s)) smaller then subchunk header length;"},
    /* 37 */ {K::Error, "Number of bytes remain (%d byte(s)) smaller then subchunk length got from its header;"},
    /* 38 */ {K::Error, "Error while creating %s subchunk;"},
    /* 39 */ {K::Notice, "There is 0x%.2x instead of 0x00 between \"PPM\" and \"PPMVNEXT\";"},
    /* 40 */ {K::Debug, "WinTesla header found at start of file, FlashAddr: 0x%.8x, BlockLength: 0x%.8x;"},
    /* 41 */ {K::Error, "WinTesla header BlockLength > remains, (0x%.8x > 0x%.8x);"},
    /* 42 */ {K::Error, "Not enough bytes remain for WinTesla header, (%d byte(s));"},
    /* 43 */ {K::Error, "WinTesla FlashAddr of current block != FlashAddr of previous one + BlockLength;"},
    /* 44 */ {K::Debug, "WinTesla block found, FlashAddr: 0x%.8x, BlockLength: 0x%.8x;"},
    /* 45 */ {K::Debug, "Divud file format assumed;"},
    /* 46 */ {K::Debug, "Fill gap at MCU end with 0xFF (0x%.8x byte(s));"},
    /* 47 */ {K::Error, "Font subchunk + terminator length != lenght of chunk, ignored (consequences of PPMEdit?);"},
    /* 48 */ {K::Error, ""},
    /* 49 */ {K::Error, ""},
    /* 50 */ {K::Debug, "Font bits ptr: 0x%.8x, \"%s/%s\", %d char(s), table properties1: %d entries, bit image entries from %d to %d;"},
    /* 51 */ {K::Notice, "Table properites 2 count != 0, %d entries;"},
    /* 52 */ {K::Error, "Font entry flags != 0x07800000 (0x%.8x);"},
    /* 53 */ {K::Error, ""},
    /* 54 */ {K::Error, ""},
    /* 55 */ {K::Error, ""},
    /* 56 */ {K::Error, ""},
    /* 57 */ {K::Error, ""},
    /* 58 */ {K::Error, ""},
    /* 59 */ {K::Error, ""},
}};

TMsgReceiver& Receiver() {
  static TMsgReceiver R;
  return R;
}

int KindIndex(TMsgKind Kind) {
  const int I = static_cast<int>(Kind);
  return (I >= 0 && I < MsgKindCount) ? I : static_cast<int>(TMsgKind::Error);
}

}  // namespace

const TMsgKindInfo& KindInfo(TMsgKind Kind) { return Kinds[static_cast<std::size_t>(KindIndex(Kind))]; }
const char* KindName(TMsgKind Kind) { return KindInfo(Kind).Name; }
const char* KindTag(TMsgKind Kind) { return KindInfo(Kind).Tag; }

bool IsKindShown(TMsgKind Kind) { return KindShown[static_cast<std::size_t>(KindIndex(Kind))]; }
void SetKindShown(TMsgKind Kind, bool Shown) { KindShown[static_cast<std::size_t>(KindIndex(Kind))] = Shown; }

TMsgKind MsgKindOf(int Ident) {
  if (Ident < 0 || Ident >= MsgCount) return TMsgKind::Error;
  return Catalogue[static_cast<std::size_t>(Ident)].Kind;
}

std::string_view MsgFormatText(int Ident) {
  if (Ident < 0 || Ident >= MsgCount) return {};
  return Catalogue[static_cast<std::size_t>(Ident)].Text;
}

TMsgItem& TMsgCollection::Add(int Ident, std::string Path, std::string Text) {
  Items_.push_back(TMsgItem{Ident, std::move(Text), std::move(Path)});
  return Items_.back();
}

std::string FormatMsgLine(const TMsgItem& Item) {
  return FormatText("%s (%4d) %s Path: %s",
                    TLogArgs{std::string(KindTag(Item.Kind())), std::int64_t{Item.Ident}, Item.Text, Item.Path});
}

void SetMsgReceiver(TMsgReceiver R) { Receiver() = std::move(R); }

int LogMessage(int Ident, const std::string& Path, const TLogArgs& Args) {
  if (Ident < 0 || Ident >= MsgCount)
    return LogMessage(msgIdentOutOfRange, "[Log]" + Path, TLogArgs{std::int64_t{Ident}});
  const std::string_view Format = MsgFormatText(Ident);
  // An empty catalogue text gives an empty message whatever the arguments.
  std::string Text = Format.empty() ? std::string() : FormatText(Format, Args);
  if (Receiver()) Receiver()(Ident, Path, Text);
  return 0;
}

}  // namespace kavex
