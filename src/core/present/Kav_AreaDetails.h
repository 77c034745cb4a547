#pragma once
// What the viewer shows of the file and of its MCU, PPM and EEPROM areas: where each lies in
// the image, how large it is, and the checksums the model checked. kavex-dump's detail lines
// (Kav_Details) leave these nodes out, and stay so.

#include <string>
#include <vector>

namespace kavex {

class TKavClass;

struct TDetailRow {
  std::string Label;  // with its colon, as the other panels write theirs
  std::string Value;
};

struct TAreaDetails {
  std::string Title;  // "File", "MCU area", "PPM area" or "EEPROM area"
  std::vector<TDetailRow> Rows;
};

// Whether Node is the file or one of its areas (by its row of the kind table).
bool HasAreaDetails(const TKavClass* Node);

// The rows of the file or area panel, in the order shown; no title and no rows for any other
// node. Offsets and sizes are in bytes of the loaded image, as "0x%.8x (%d)"; checksums as the
// log writes them, "0x%.4x". Checksums are the ones the model computed and compared when it
// built the area.
TAreaDetails AreaDetails(const TKavClass& Node);

}  // namespace kavex
