#pragma once
// The subchunk header and base class, and the kinds that keep their body as plain bytes.

#include <array>

#include "model/KavObj.h"

namespace kavex {

constexpr std::size_t SubchunkHeaderSize = 16;

class TSubchunk : public TKavClass {
public:
  // Reads and checks the 16-byte header at Reader, which holds the rest of the chunk data;
  // raises EKavError (36, 37) when it cannot.
  TSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  // "0x%.8x" of ID, then ", " and the short name when there is one.
  std::string GetName() const override;

  const std::array<std::uint8_t, SubchunkHeaderSize>& GetHeader() const { return Header_; }
  std::uint32_t GetID() const { return FieldBE32<0>(Header_); }
  std::int32_t GetLength() const { return static_cast<std::int32_t>(FieldBE32<4>(Header_)); }
  std::string GetShortName() const;
  std::uint32_t GetFlags() const { return FieldBE32<12>(Header_); }

  // The bytes the subchunk takes in its chunk's data: header, body and the padding up to the
  // next subchunk. The chunk marks their end once the subchunk is built; they are then also
  // the node's bytes.
  TByteView StoredBytes() const;
  void SetStoredEnd(std::size_t End);

private:
  std::array<std::uint8_t, SubchunkHeaderSize> Header_{};
  TByteView Source_;  // the chunk's data (the reader's bytes), which live as long as the chunk
  std::size_t SourceOffset_ = 0;
  std::size_t StoredStart_ = 0;
  std::size_t StoredEnd_ = 0;
};

class TRawSubchunk : public TSubchunk {
public:
  TRawSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);
  const char* ClassName() const override { return "TRawSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::RawSubchunk; }
  TByteView RawData() const { return RawData_; }
  std::int32_t RawSize() const { return RawSize_; }

private:
  TByteView RawData_;
  std::int32_t RawSize_ = 0;
};

class TLDBSubchunk : public TRawSubchunk {
public:
  using TRawSubchunk::TRawSubchunk;
  const char* ClassName() const override { return "TLDBSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::LDBSubchunk; }
};

class TAORDSubchunk : public TRawSubchunk {
public:
  using TRawSubchunk::TRawSubchunk;
  const char* ClassName() const override { return "TAORDSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::AORDSubchunk; }
};

class TWUGSSubchunk : public TRawSubchunk {
public:
  using TRawSubchunk::TRawSubchunk;
  const char* ClassName() const override { return "TWUGSSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::WUGSSubchunk; }
};

constexpr std::size_t LpcsBodySize = 512;

class TLPCSSubchunk : public TSubchunk {
public:
  TLPCSSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);
  const char* ClassName() const override { return "TLPCSSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::LPCSSubchunk; }
  TByteView LPCSData() const { return LPCSData_; }

private:
  TByteView LPCSData_;
};

class TClosingSubchunk : public TSubchunk {
public:
  using TSubchunk::TSubchunk;
  const char* ClassName() const override { return "TClosingSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::ClosingSubchunk; }
};

// Factory for the kind table: builds T from Reader.
template <class T>
std::unique_ptr<TSubchunk> MakeSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader) {
  return std::make_unique<T>(Parent, Available, Reader);
}

}  // namespace kavex
