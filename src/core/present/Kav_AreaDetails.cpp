#include "present/Kav_AreaDetails.h"

#include "log/LogArgs.h"
#include "model/Kav_EEPROM.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Kinds.h"
#include "model/Kav_MCU.h"
#include "model/Kav_PPM.h"
#include "present/Kav_Bytes.h"
#include "present/Kav_Place.h"

namespace kavex {
namespace {

std::string HexDecimal(std::int64_t Value) { return FormatText("0x%.8x (%0:d)", {Value}); }
std::string Checksum(std::int64_t Value) { return FormatText("0x%.4x", {Value}); }
const char* Verdict(bool Match) { return Match ? "match" : "does not match"; }

void AddPlace(TAreaDetails& D, std::size_t Offset, std::size_t Size) {
  D.Rows.push_back({"Offset:", HexDecimal(static_cast<std::int64_t>(Offset))});
  D.Rows.push_back({"Size:", HexDecimal(static_cast<std::int64_t>(Size))});
}

TAreaDetails FileDetails(const TFls& Root) {
  TAreaDetails D{"File", {}};
  D.Rows.push_back({"Layout:", LayoutName(Root)});
  D.Rows.push_back({"File size:", HexDecimal(Root.FileSize())});
  if (Root.IsWinTesla())
    D.Rows.push_back({"WinTesla blocks:", FormatText("%d", {static_cast<std::int64_t>(Root.WinTeslaBlockCount())})});
  // The image may be longer than the file's payloads: a WinTesla image ending inside the MCU
  // area is filled up to the PPM start.
  AddPlace(D, Root.ImageOffset(), Root.ImageBytes().size());
  return D;
}

TAreaDetails McuDetails(const TMCU& Mcu) {
  TAreaDetails D{"MCU area", {}};
  AddPlace(D, Mcu.ImageOffset(), Mcu.ImageBytes().size());
  // A built MCU area is never empty (it holds 64 KiB at least), so its last byte exists.
  if (const std::int64_t Base = FlashAddressBase(Mcu); Base >= 0 && !Mcu.ImageBytes().empty()) {
    const std::int64_t First = Base + static_cast<std::int64_t>(Mcu.ImageOffset());
    const std::int64_t Last = First + static_cast<std::int64_t>(Mcu.ImageBytes().size()) - 1;
    D.Rows.push_back({"Flash addresses:", FormatText("0x%.8x \u2013 0x%.8x", {First, Last})});
  }
  // The same two values the model compared when it built the area (message 30).
  const std::uint16_t Stored = Mcu.GetStoredChecksum();
  const std::uint16_t Calculated = Mcu.GetCalcChecksum();
  D.Rows.push_back({"Stored checksum:", Checksum(Stored)});
  D.Rows.push_back({"Calculated checksum:", Checksum(Calculated)});
  D.Rows.push_back({"Checksum:", Verdict(Stored == Calculated)});
  return D;
}

TAreaDetails PpmDetails(const TPPM& Ppm) {
  TAreaDetails D{"PPM area", {}};
  AddPlace(D, Ppm.AreaOffset(), Ppm.AreaSize());
  // The node's own bytes (what the bytes view lists) start behind the 44-byte header.
  D.Rows.push_back({"Chunks from:", HexDecimal(static_cast<std::int64_t>(Ppm.ImageOffset()))});
  // The area keeps a copy of the MCU checksum, which the model compares with the MCU's stored
  // one (messages 17 and 18); there is nothing to compare without the copy or the MCU area.
  D.Rows.push_back({"Checksum at PPM:", Ppm.HasStoredChecksum() ? Checksum(Ppm.StoredChecksum()) : "none (area too short)"});
  const TMCU* Mcu = Ppm.MCU();
  if (Mcu) D.Rows.push_back({"Checksum of MCU:", Checksum(Mcu->GetStoredChecksum())});
  const char* Compared = !Mcu                       ? "not compared (no MCU area)"
                         : !Ppm.HasStoredChecksum() ? "not compared (no checksum at PPM)"
                                                    : Verdict(Ppm.StoredChecksum() == Mcu->GetStoredChecksum());
  D.Rows.push_back({"Checksum:", Compared});
  return D;
}

TAreaDetails EepromDetails(const TEEPROM& Eeprom) {
  TAreaDetails D{"EEPROM area", {}};
  AddPlace(D, Eeprom.ImageOffset(), Eeprom.ImageBytes().size());
  return D;
}

}  // namespace

bool HasAreaDetails(const TKavClass* Node) {
  const TNodeKindRow* Row = NodeKindRowOf(Node);
  if (!Row) return false;
  switch (Row->Kind) {
    case TNodeKind::Fls:
    case TNodeKind::MCU:
    case TNodeKind::PPM:
    case TNodeKind::EEPROM:
      return true;
    default:
      return false;
  }
}

TAreaDetails AreaDetails(const TKavClass& Node) {
  if (!HasAreaDetails(&Node)) return {};
  // The kind agrees with the class name (NodeKindRowOf checks it), so the casts hold.
  switch (Node.Kind()) {
    case TNodeKind::Fls: return FileDetails(static_cast<const TFls&>(Node));
    case TNodeKind::MCU: return McuDetails(static_cast<const TMCU&>(Node));
    case TNodeKind::PPM: return PpmDetails(static_cast<const TPPM&>(Node));
    case TNodeKind::EEPROM: return EepromDetails(static_cast<const TEEPROM&>(Node));
    default: return {};
  }
}

}  // namespace kavex
