#include "ImageBuilder.h"

#include <algorithm>

#include "model/KavObj.h"

namespace kavtest {

void PutBE16(Bytes& B, std::size_t O, std::uint32_t V) {
  if (B.size() < O + 2) B.resize(O + 2);
  B[O] = static_cast<std::uint8_t>(V >> 8);
  B[O + 1] = static_cast<std::uint8_t>(V);
}
void PutBE24(Bytes& B, std::size_t O, std::uint32_t V) {
  if (B.size() < O + 3) B.resize(O + 3);
  B[O] = static_cast<std::uint8_t>(V >> 16);
  B[O + 1] = static_cast<std::uint8_t>(V >> 8);
  B[O + 2] = static_cast<std::uint8_t>(V);
}
void PutBE32(Bytes& B, std::size_t O, std::uint32_t V) {
  if (B.size() < O + 4) B.resize(O + 4);
  for (int I = 0; I < 4; ++I) B[O + static_cast<std::size_t>(I)] = static_cast<std::uint8_t>(V >> (24 - 8 * I));
}
void AppendBE16(Bytes& B, std::uint32_t V) { PutBE16(B, B.size(), V); }
void AppendBE32(Bytes& B, std::uint32_t V) { PutBE32(B, B.size(), V); }
void Append(Bytes& B, const Bytes& More) { B.insert(B.end(), More.begin(), More.end()); }
void Append(Bytes& B, std::string_view Text) { B.insert(B.end(), Text.begin(), Text.end()); }
Bytes Concat(std::initializer_list<Bytes> Parts) {
  Bytes Out;
  for (const Bytes& P : Parts) Append(Out, P);
  return Out;
}
Bytes Field(std::string_view Text, std::size_t Width) {
  Bytes Out(Width, 0);
  std::copy_n(Text.begin(), std::min(Width, Text.size()), Out.begin());
  return Out;
}

Bytes SubchunkBytes(const Subchunk& S) {
  Bytes Out;
  AppendBE32(Out, S.Id);
  AppendBE32(Out, static_cast<std::uint32_t>(S.Length.value_or(static_cast<std::int32_t>(16 + S.Body.size()))));
  Append(Out, Field(S.ShortName, 4));
  AppendBE32(Out, S.Flags);
  Append(Out, S.Body);
  if (S.Pad) Out.resize((Out.size() + 3) & ~std::size_t{3}, 0);
  return Out;
}

Bytes ClosingRecord() { return Bytes(16, 0); }

std::uint32_t ChunkChecksum(const Bytes& C) {
  return kavex::SumDWordsBE(C, 0, static_cast<std::int64_t>(C.size())) - kavex::BE32OrZero(C, 0);
}

Bytes ChunkBytes(const Chunk& C) {
  Bytes Out;
  AppendBE32(Out, 0);
  AppendBE32(Out, static_cast<std::uint32_t>(C.Length.value_or(static_cast<std::int32_t>(20 + C.Data.size()))));
  Append(Out, Field(C.Name, 4));
  Append(Out, Field(C.Version, 8));
  Append(Out, C.Data);
  PutBE32(Out, 0, C.Checksum.value_or(ChunkChecksum(Out)));
  return Out;
}

Bytes EndChunk() { return Bytes(20, 0xFF); }

// ---- subchunk bodies of the decoded kinds -------------------------------------------------
Bytes TextBody(const std::vector<std::string>& Entries, bool Terminator) {
  Bytes Out;
  for (const std::string& E : Entries) Out.push_back(static_cast<std::uint8_t>(E.size()));
  if (Terminator) Out.push_back(0xFF);
  for (const std::string& E : Entries) Append(Out, E);
  return Out;
}

Bytes WideTextBody(const std::vector<std::u16string>& Entries, bool Terminator) {
  Bytes Out;
  for (const std::u16string& E : Entries) Out.push_back(static_cast<std::uint8_t>(E.size()));
  if (Terminator) Out.push_back(0xFF);
  for (const std::u16string& E : Entries)
    for (char16_t U : E) AppendBE16(Out, U);
  return Out;
}

std::uint32_t PackRange(std::uint32_t FirstRow, std::uint32_t ImageIndex, std::uint32_t Height) {
  return (FirstRow << 14) | ((ImageIndex & 0xF) << 10) | ((Height & 0x1F) << 5);
}

Bytes FontBody(const std::vector<Font>& Fonts) {
  constexpr std::size_t HeaderSize = 44;
  Bytes Data(Fonts.size() * HeaderSize, 0);
  for (std::size_t F = 0; F < Fonts.size(); ++F) {
    const Font& Ft = Fonts[F];
    const std::size_t Header = F * HeaderSize;
    PutBE32(Data, Header + 8, static_cast<std::uint32_t>(Data.size() - Header));
    for (const GlyphRange& R : Ft.Ranges) {
      AppendBE16(Data, R.First);
      AppendBE16(Data, R.Last);
      AppendBE32(Data, PackRange(R.FirstRow, R.ImageIndex, R.Height));
    }
    const std::size_t Table = Data.size();
    PutBE32(Data, Header, static_cast<std::uint32_t>(Table - Header));
    Data.resize(Table + 12 * Ft.Images.size(), 0);
    for (std::size_t K = 0; K < Ft.Images.size(); ++K) {
      const std::size_t Entry = Table + 12 * K;
      PutBE32(Data, Entry, static_cast<std::uint32_t>(Data.size() - Entry));
      Data[Entry + 7] = Ft.Images[K].Width;
      Append(Data, Ft.Images[K].Bitmap);
    }
    PutBE16(Data, Header + 12, Ft.SecondTableCount);
    PutBE16(Data, Header + 14, static_cast<std::uint32_t>(Ft.Ranges.size()));
    PutBE32(Data, Header + 20, Ft.Flags);
    std::copy_n(Ft.Name1.begin(), std::min<std::size_t>(Ft.Name1.size(), 11), Data.begin() + static_cast<std::ptrdiff_t>(Header + 24));
    std::copy_n(Ft.Name2.begin(), std::min<std::size_t>(Ft.Name2.size(), 9), Data.begin() + static_cast<std::ptrdiff_t>(Header + 35));
  }
  Bytes Out;
  AppendBE32(Out, static_cast<std::uint32_t>(Fonts.size()));
  Append(Out, Data);
  return Out;
}

Bytes BandBitmap(const std::vector<std::string>& Rows) {
  const std::size_t Width = Rows.empty() ? 0 : Rows.front().size();
  Bytes Out(((Rows.size() + 7) / 8) * Width, 0);
  for (std::size_t R = 0; R < Rows.size(); ++R)
    for (std::size_t C = 0; C < Width && C < Rows[R].size(); ++C)
      if (Rows[R][C] == '#') Out[(R / 8) * Width + C] |= static_cast<std::uint8_t>(1u << (R % 8));
  return Out;
}

Bytes ToneBody(std::string_view Name, const Bytes& Tune, std::size_t Fill) {
  Bytes Out{static_cast<std::uint8_t>(Name.size())};
  Append(Out, Name);
  Append(Out, Tune);
  Out.resize(Out.size() + Fill, 0xFF);
  return Out;
}

Bytes OperatorEntries(const std::vector<Operator>& Entries) {
  Bytes Out;
  for (const Operator& E : Entries) {
    Out.push_back(E.RecordLength.value_or(static_cast<std::uint8_t>(4 + E.Name.size())));
    Out.push_back(E.B1);
    Out.push_back(E.B2);
    Out.push_back(static_cast<std::uint8_t>(E.Name.size()));
    Append(Out, E.Name);
    Out.resize((Out.size() + 3) & ~std::size_t{3}, 0);
  }
  return Out;
}

std::uint32_t CountryFlags(int Mcc, std::uint8_t Count) {
  const auto D1 = static_cast<std::uint32_t>(Mcc / 100 % 10), D2 = static_cast<std::uint32_t>(Mcc / 10 % 10),
             D3 = static_cast<std::uint32_t>(Mcc % 10);
  return ((D1 | (D2 << 4)) << 24) | ((0xF0 | D3) << 16) | (std::uint32_t{Count} << 8);
}

Bytes PpmBytes(const Ppm& P) {
  Bytes Out;
  Append(Out, P.Signature ? std::string_view("PPM\0", 4) : std::string_view("XXX\0", 4));
  Append(Out, Field(P.Version, 32));
  Append(Out, Bytes(8, 0));
  for (const Bytes& C : P.Chunks) Append(Out, C);
  AppendBE16(Out, P.Checksum);
  Append(Out, Bytes(4, 0));
  return Out;
}

Bytes McuBytes(const Mcu& M, std::uint32_t PpmLength) {
  Bytes Out(M.Size, 0xA5);
  std::fill_n(Out.begin(), 0x40, 0xFF);
  PutBE32(Out, 0, 0x12345678);
  PutBE24(Out, 0x24, M.Base + 0x24);
  PutBE24(Out, 0x27, M.FieldsEnd.value_or(static_cast<std::uint32_t>(M.Base + M.Size - 0x40)));
  PutBE32(Out, 0x38, 0);
  PutBE32(Out, 0x3C, static_cast<std::uint32_t>(M.Base + M.InfoAt));
  PutBE32(Out, M.InfoAt, static_cast<std::uint32_t>(M.Base + M.VersionAt));
  std::copy(M.Version.begin(), M.Version.end(), Out.begin() + static_cast<std::ptrdiff_t>(M.VersionAt));
  Out[M.VersionAt + M.Version.size()] = 0;
  PutBE32(Out, M.VNextAt, static_cast<std::uint32_t>(M.Base + M.LocationAt));
  std::copy_n("PPM", 3, Out.begin() + static_cast<std::ptrdiff_t>(M.VNextAt + 4));
  Out[M.VNextAt + 7] = M.VNextGap;
  std::copy_n("PPMVNEXT", 8, Out.begin() + static_cast<std::ptrdiff_t>(M.VNextAt + 8));
  const std::uint32_t PpmStart = static_cast<std::uint32_t>(M.Base + M.Size);
  PutBE32(Out, M.LocationAt, PpmStart);
  PutBE32(Out, M.LocationAt + 4, PpmStart + PpmLength - 1);
  Out.resize(M.Size);
  const std::uint32_t FieldsEnd = kavex::BE24OrZero(Out, 0x27);
  const std::int64_t Length = static_cast<std::int64_t>(FieldsEnd) - M.Base + 1;
  PutBE16(Out, 0x22, M.Checksum.value_or(kavex::SumWordsBE(Out, 0x24, Length)));
  return Out;
}

Bytes DivudImage(const Mcu& M, Ppm P, const Bytes& Eeprom) {
  Bytes PpmArea = PpmBytes(P);
  Bytes McuArea = McuBytes(M, static_cast<std::uint32_t>(PpmArea.size()));
  PutBE16(PpmArea, PpmArea.size() - 6, kavex::BE16OrZero(McuArea, 0x22));
  return Concat({McuArea, PpmArea, Eeprom});
}

Bytes WinTeslaHeader(std::uint32_t FlashAddr, std::uint32_t BlockLength) {
  Bytes H(9, 0);
  H[0] = 0x0B;
  PutBE24(H, 1, FlashAddr);
  PutBE24(H, 5, BlockLength);
  return H;
}

Bytes WinTesla(const Bytes& Image, std::uint32_t FlashAddr, std::size_t BlockSize) {
  Bytes Out;
  for (std::size_t Pos = 0; Pos < Image.size(); Pos += BlockSize) {
    const std::size_t N = std::min(BlockSize, Image.size() - Pos);
    Append(Out, WinTeslaHeader(static_cast<std::uint32_t>(FlashAddr + Pos), static_cast<std::uint32_t>(N)));
    Out.insert(Out.end(), Image.begin() + static_cast<std::ptrdiff_t>(Pos), Image.begin() + static_cast<std::ptrdiff_t>(Pos + N));
  }
  return Out;
}

void ResealMcu(Bytes& Area, std::uint32_t Base) {
  const std::int64_t Length = static_cast<std::int64_t>(kavex::BE24OrZero(Area, 0x27)) - Base + 1;
  PutBE16(Area, 0x22, kavex::SumWordsBE(Area, 0x24, Length));
}

}  // namespace kavtest
