#pragma once
// Chunks of the decoded kinds built straight from their bytes, without an image around them,
// for the content tests (their log paths start at the chunk: "/TEXT/...").

#include <memory>
#include <string>

#include "ImageBuilder.h"
#include "model/Kav_Chunk.h"

namespace kavtest {

struct ParsedChunk {
  std::shared_ptr<const Bytes> Raw;  // the chunk views these bytes: they outlive it
  std::unique_ptr<kavex::TChunk> Chunk;
  template <class T>
  const T& Sub(std::size_t I) const {
    return dynamic_cast<const T&>(*Chunk->Child(I));
  }
  std::size_t Count() const { return Chunk->ChildCount(); }
};

// Builds the chunk Name holding Data and then all the subchunks it yields.
inline ParsedChunk ParseChunk(const std::string& Name, const Bytes& Data) {
  auto Raw = std::make_shared<const Bytes>(ChunkBytes({.Name = Name, .Data = Data}));
  kavex::TReader Cursor{kavex::TByteView(*Raw), 0};
  ParsedChunk P{Raw, std::make_unique<kavex::TChunk>(nullptr, static_cast<std::int32_t>(Raw->size()), Cursor)};
  while (P.Chunk->ParseNextChild()) {
  }
  return P;
}

}  // namespace kavtest
