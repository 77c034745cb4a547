#include "model/Kav_Fls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "log/Log.h"
#include "model/ImageFile.h"
#include "model/Kav_EEPROM.h"
#include "model/Kav_MCU.h"
#include "model/Kav_PPM.h"

namespace kavex {
namespace {

constexpr std::size_t WinTeslaHeaderSize = 9;
constexpr std::uint8_t WinTeslaMarker = 0x0B;

using TBlockHeader = TFls::TWinTeslaBlock;

// Callers make sure that the 9 header bytes at Offset exist.
TBlockHeader ReadBlockHeader(TByteView File, std::size_t Offset) {
  return {BE24OrZero(File, Offset + 1), BE24OrZero(File, Offset + 5)};
}

}  // namespace

TWinTeslaStep NextWinTeslaBlock(const TBlockHeader* Previous, std::size_t Left, TByteView Header, TBlockHeader& Next) {
  if (Left == 0) return TWinTeslaStep::End;
  if (Left < WinTeslaHeaderSize) return TWinTeslaStep::StrayBytes;
  const TBlockHeader Read = ReadBlockHeader(Header, 0);
  // The flash addresses are 24-bit, so the sum cannot wrap round.
  const bool Contiguous = !Previous || Read.FlashAddr == Previous->FlashAddr + Previous->BlockLength;
  Next = Read;
  if (!Contiguous) return TWinTeslaStep::NotContiguous;
  if (Read.BlockLength > Left - WinTeslaHeaderSize) return TWinTeslaStep::TooLong;
  return TWinTeslaStep::Fits;
}

TFls::TFls(TBytes Bytes) : TFls(TImageBytes(Bytes.begin(), Bytes.end())) {}

// The root is built from a buffer, not from a parent's reader: its base is given none.
TFls::TFls(TImageBytes Bytes)
    : TKavContainer(nullptr, 0, TReader()), Image_(std::move(Bytes)), FileSize_(static_cast<std::int64_t>(Image_.size())) {
  const TByteView File = Image_;
  // A file shorter than one block header cannot be WinTesla; it is taken as a Divud image.
  if (File.size() >= WinTeslaHeaderSize && File[0] == WinTeslaMarker &&
      ReadBlockHeader(File, 0).BlockLength <= File.size()) {
    JoinWinTeslaBlocks();
  } else {
    Log(msgDivudAssumed);
  }
  ShowImage();
}

TFls::TFls(TImageBytes Joined, const std::vector<TWinTeslaBlock>& Blocks)
    : TKavContainer(nullptr, 0, TReader()), Image_(std::move(Joined)) {
  const TBlockHeader& First = Blocks.front();
  // The chain was read to the file's end: every byte was a header or a payload.
  FileSize_ = static_cast<std::int64_t>(Image_.size() + WinTeslaHeaderSize * Blocks.size());
  WinTeslaBlocks_ = Blocks.size();
  IsWinTesla_ = true;
  FlashBase_ = static_cast<std::int32_t>(First.FlashAddr);
  Log(msgWinTeslaHeader, {std::int64_t{First.FlashAddr}, std::int64_t{First.BlockLength}});
  for (const TBlockHeader& Block : Blocks)
    Log(msgWinTeslaBlock, {std::int64_t{Block.FlashAddr}, std::int64_t{Block.BlockLength}});
  ShowImage();
}

// The children view the image: they go before it does.
TFls::~TFls() { DestroyChildren(); }

void TFls::ShowImage() {
  SetSize(static_cast<std::int32_t>(Image_.size()));
  SetData(Image_, 0);
}

void TFls::JoinWinTeslaBlocks() {
  const TByteView In(Image_);
  const TBlockHeader First = ReadBlockHeader(In, 0);
  IsWinTesla_ = true;
  FlashBase_ = static_cast<std::int32_t>(First.FlashAddr);
  Log(msgWinTeslaHeader, {std::int64_t{First.FlashAddr}, std::int64_t{First.BlockLength}});

  // The payloads are joined in the file's own buffer: each moves down over the headers before
  // it, and never reaches the header behind it, which is read only after the move. The first
  // block's payload may still run past the end of the file (its length was only compared with
  // the whole file); it is refused like any later block's.
  std::size_t Joined = 0;
  std::size_t Pos = 0;  // where the next block's header starts
  TBlockHeader Block{};
  TBlockHeader Previous{};
  for (;;) {
    const std::size_t Left = In.size() - Pos;
    switch (NextWinTeslaBlock(Pos == 0 ? nullptr : &Previous, Left, In.subspan(Pos), Block)) {
      case TWinTeslaStep::End:
        Image_.resize(Joined);
        return;
      case TWinTeslaStep::StrayBytes:
        throw EKavError(this, msgWinTeslaStrayBytes, {std::int64_t(Left)});
      case TWinTeslaStep::NotContiguous:
        throw EKavError(this, msgWinTeslaNotContiguous, {});
      case TWinTeslaStep::TooLong:
        throw EKavError(this, msgWinTeslaTooLong, {std::int64_t{Block.BlockLength}, std::int64_t(Left)});
      case TWinTeslaStep::Fits:
        break;
    }
    Log(msgWinTeslaBlock, {std::int64_t{Block.FlashAddr}, std::int64_t{Block.BlockLength}});
    ++WinTeslaBlocks_;
    const std::size_t Payload = Pos + WinTeslaHeaderSize;
    std::memmove(Image_.data() + Joined, Image_.data() + Payload, Block.BlockLength);
    Joined += Block.BlockLength;
    Pos = Payload + Block.BlockLength;
    Previous = Block;
  }
}

TReader TFls::FillGap(std::int64_t NewSize) {
  const std::int64_t Gap = NewSize - Size();
  if (Gap > 0 && Cursor().Pos() == 0) {
    Log(msgFillGap, {Gap});
    Image_.resize(static_cast<std::size_t>(NewSize), 0xFF);
    ShowImage();
  }
  return Cursor().CutUpTo(SizeOrZero(Left()));
}

TKavClass* TFls::ParseNextChild() {
  if (Left() <= 0 || Done_) return nullptr;
  if (!MCU_ && !PPM_) {
    try {
      auto Node = BuildChild<TMCU>();
      MCU_ = Node.get();
      return AddChild(std::move(Node));
    } catch (const EKavError&) {
      // Already in the log; the file may still hold a PPM area where the MCU area was expected.
    }
  }
  if (!PPM_) {
    if (auto Node = BuildChild([this](std::int32_t Available, TReader& Reader) {
          return TPPM::Create(this, Available, Reader);
        })) {
      PPM_ = Node.get();
      return AddChild(std::move(Node));
    }
  }
  if (MCU_ && PPM_ && !EEPROM_) {
    auto Node = BuildChild<TEEPROM>();
    EEPROM_ = Node.get();
    return AddChild(std::move(Node));
  }
  Done_ = true;
  Log(msgAreasNotFound);
  return nullptr;
}

std::unique_ptr<TFls> LoadImage(TBytes Bytes, const std::string& FileName) {
  auto Root = std::make_unique<TFls>(std::move(Bytes));
  Root->SetFileName(FileName);
  return Root;
}

std::unique_ptr<TFls> LoadImage(TImageBytes Bytes, const std::string& FileName) {
  auto Root = std::make_unique<TFls>(std::move(Bytes));
  Root->SetFileName(FileName);
  return Root;
}

namespace {

// Blocks shorter than this (but the last) are not worth a read each: such a file is read whole.
constexpr std::size_t MinJoinedReadBlock = 4096;

enum class TJoinedRead { Joined, ReadWhole, ReadError };

// Reads a WinTesla file of Bytes.size() bytes straight into its joined form: each payload lands
// at its place in Bytes together with the header after it, which is taken out before the next
// payload covers it. So the image is not copied once more after reading. Every byte of the file
// is read. Anything the join would refuse or log otherwise (no WinTesla marker, a broken chain,
// stray bytes) and chains of small blocks give ReadWhole: the caller then reads the file whole
// and the root recognises it as from memory, with the same messages.
TJoinedRead ReadJoinedWinTesla(TImageFile& File, TImageBytes& Bytes, std::vector<TBlockHeader>& Blocks) {
  const std::size_t Length = Bytes.size();
  if (Length < WinTeslaHeaderSize) return TJoinedRead::ReadWhole;
  std::uint8_t Header[WinTeslaHeaderSize];  // the next block's header, or the bytes there are of it
  if (!File.ReadAt(Header, WinTeslaHeaderSize, 0)) return TJoinedRead::ReadError;
  if (Header[0] != WinTeslaMarker) return TJoinedRead::ReadWhole;
  std::size_t Joined = 0;
  std::size_t Pos = 0;  // where the next block's header starts
  TBlockHeader Block{};
  TBlockHeader Previous{};
  for (;;) {
    const std::size_t Left = Length - Pos;
    const TByteView Next(Header, std::min(Left, WinTeslaHeaderSize));
    const TWinTeslaStep Step = NextWinTeslaBlock(Pos == 0 ? nullptr : &Previous, Left, Next, Block);
    if (Step == TWinTeslaStep::End) break;
    if (Step != TWinTeslaStep::Fits) return TJoinedRead::ReadWhole;
    const std::size_t End = Pos + WinTeslaHeaderSize + Block.BlockLength;
    const std::size_t Behind = Length - End;
    if (Behind != 0 && Block.BlockLength < MinJoinedReadBlock) return TJoinedRead::ReadWhole;
    // The payload, and what there is of the next header (all of it unless the chain has stray
    // bytes, which the next step refuses).
    const std::size_t NextHeader = std::min(Behind, WinTeslaHeaderSize);
    if (!File.ReadAt(Bytes.data() + Joined, Block.BlockLength + NextHeader, Pos + WinTeslaHeaderSize))
      return TJoinedRead::ReadError;
    Blocks.push_back(Block);
    Joined += Block.BlockLength;
    std::memcpy(Header, Bytes.data() + Joined, NextHeader);
    Pos = End;
    Previous = Block;
  }
  Bytes.resize(Joined);
  return TJoinedRead::Joined;
}

}  // namespace

namespace {
TLoadFileProbe& Probe() {
  static TLoadFileProbe P;
  return P;
}
}  // namespace

void SetLoadFileProbe(TLoadFileProbe P) { Probe() = std::move(P); }

bool HoldsNoArea(const TKavClass& Root) { return Root.ChildCount() == 0; }

std::unique_ptr<TFls> LoadFileBytes(TImageBytes Bytes, const std::string& FileName, std::string* Reason) {
  const std::string Where = "[KavObj.LoadFile]";
  CallLogProc(msgLoadingFile, Where, {FileName});
  if (Bytes.empty()) {
    CallLogProc(msgFileLengthZero, Where, {FileName});
    if (Reason) *Reason = "the file is empty";
    return nullptr;
  }
  if (Bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    CallLogProc(msgFileReadError, Where,
                {FormatText("File is too large (%s bytes), at most 2147483647 bytes are supported",
                            {std::to_string(Bytes.size())})});
    if (Reason) *Reason = "the file is larger than 2147483647 bytes";
    return nullptr;
  }
  return LoadImage(std::move(Bytes), FileName);
}

std::unique_ptr<TFls> LoadFile(const std::string& FileName, std::string* Reason) {
  const std::string Where = "[KavObj.LoadFile]";
  CallLogProc(msgLoadingFile, Where, {FileName});
  const auto Refuse = [Reason](std::string Why) {
    if (Reason) *Reason = std::move(Why);
    return nullptr;
  };
  TImageFile File;
  // Only a regular file has a length to read; a folder, pipe, socket or device is refused as
  // a file that cannot be opened.
  if (!File.Open(FileName) || File.Kind() != TImageFile::TKind::Regular) {
    CallLogProc(msgFileOpenError, Where, {FormatText("Cannot open file %s", {FileName})});
    return Refuse(File.Error() != 0                           ? TImageFile::ErrorText(File.Error())
                  : File.Kind() == TImageFile::TKind::Directory ? TImageFile::DirectoryText()
                                                                : std::string("it is not a regular file"));
  }

  const std::int64_t Length = File.Size();
  if (Length == 0) {
    CallLogProc(msgFileLengthZero, Where, {FileName});
    return Refuse("the file is empty");
  }
  // Sizes and offsets of an image are signed 32-bit throughout; a larger file is refused
  // rather than cut short.
  if (Length > std::numeric_limits<std::int32_t>::max()) {
    CallLogProc(msgFileReadError, Where,
                {FormatText("File is too large (%s bytes), at most 2147483647 bytes are supported",
                            {std::to_string(Length)})});
    return Refuse("the file is larger than 2147483647 bytes");
  }
  if (Probe()) Probe()(FileName);
  // A file near the limit may not fit in memory (WinTesla blocks are joined in the file's own
  // buffer, so it is needed once); that is a file that cannot be read, not a crash.
  const auto OutOfMemory = [&] {
    CallLogProc(msgFileReadError, Where,
                {FormatText("Not enough memory to read the file (%s bytes)", {std::to_string(Length)})});
  };
  TImageBytes Bytes;
  std::vector<TBlockHeader> Blocks;
  try {
    Bytes.resize(static_cast<std::size_t>(Length));
    TJoinedRead How = ReadJoinedWinTesla(File, Bytes, Blocks);
    if (How == TJoinedRead::ReadWhole && !File.ReadAt(Bytes.data(), Bytes.size(), 0)) How = TJoinedRead::ReadError;
    // Fewer bytes than the length taken a moment ago: the file shrank, or the device failed.
    if (How == TJoinedRead::ReadError) {
      CallLogProc(msgFileReadError, Where, {std::string("Stream read error")});
      return Refuse(File.Error() != 0 ? TImageFile::ErrorText(File.Error()) : std::string("the file could not be read"));
    }
    if (How == TJoinedRead::ReadWhole) return LoadImage(std::move(Bytes), FileName);
    auto Root = std::make_unique<TFls>(std::move(Bytes), Blocks);
    Root->SetFileName(FileName);
    return Root;
  } catch (const std::bad_alloc&) {
    OutOfMemory();
    return Refuse(TImageFile::ErrorText(TImageFile::OutOfMemoryError()));
  }
}

}  // namespace kavex
