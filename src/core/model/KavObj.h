#pragma once
// Base classes of every model node, the error that abandons a node, the byte and checksum
// helpers, and the model's one link to the log.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/LogArgs.h"
#include "model/Kav_Kinds.h"
#include "model/Reader.h"

namespace kavex {

using TBytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------
// Byte helpers. All multi-byte numbers in a flash image are big-endian; bounded reads go
// through TReader (model/Reader.h).

constexpr std::uint16_t SwapWord(std::uint16_t V) { return static_cast<std::uint16_t>((V >> 8) | (V << 8)); }
constexpr std::uint32_t SwapDWord(std::uint32_t V) {
  return (V >> 24) | ((V >> 8) & 0xFF00u) | ((V << 8) & 0xFF0000u) | (V << 24);
}

// True when every byte of Buf[Offset, Offset+Length) equals Value; bytes past the end of the
// buffer count as not equal. An empty range gives true.
bool AllBytesEqual(TByteView Buf, std::size_t Offset, std::size_t Length, std::uint8_t Value);
// 0 < V < N, both bounds exclusive.
constexpr bool InOpenRange(std::int64_t V, std::int64_t N) { return V > 0 && V < N; }
// The next multiple of 4 at or after Pos (positions count from the start of their buffer).
constexpr std::size_t AlignUp4(std::size_t Pos) { return (Pos + 3) & ~static_cast<std::size_t>(3); }
// (w & 0xF) * 100 + ((w >> 4) & 0xF) * 10 + ((w >> 8) & 0xF); the top nibble is ignored.
constexpr int BcdDigits3(std::uint16_t W) { return (W & 0xF) * 100 + ((W >> 4) & 0xF) * 10 + ((W >> 8) & 0xF); }
// Wrapping sums of big-endian words from Offset while fewer than Length bytes are passed. The
// last word may reach past Length; bytes it would take from beyond the buffer count as 0.
std::uint16_t SumWordsBE(TByteView Buf, std::size_t Offset, std::int64_t Length);
std::uint32_t SumDWordsBE(TByteView Buf, std::size_t Offset, std::int64_t Length);

// ---------------------------------------------------------------------------------------
// Log forwarding. The model writes every finding through the one installed procedure.
using TLogProc = std::function<int(int Ident, const std::string& Path, const TLogArgs& Args)>;
// Installs Proc (replacing any earlier one); a non-empty Proc at once receives message 2.
void SetLogProc(TLogProc Proc);
// Passes the message to the installed procedure; without one, does nothing and returns 0.
int CallLogProc(int Ident, const std::string& Path, const TLogArgs& Args);

// ---------------------------------------------------------------------------------------
class TKavClass;

// Raised by a node that cannot be built, after its finding has been logged with the path of
// the place where the node would have hung (its parent's path).
class EKavError : public std::runtime_error {
public:
  static constexpr const char* Text = "Problem found, for more information see messages in Log";
  EKavError(const TKavClass* Node, int Ident, const TLogArgs& Args);
};

// Base of all model nodes. A node owns its children, in the order they were appended.
//
// Every node is built from a reader of its own, which its parent cuts from its cursor to the
// bytes the node may use (BuildFrom below): Available is that reader's Left(), and the node
// reads through the reader only. Once the node is built, the parent moves its cursor past what
// the node consumed; a node that raises EKavError leaves the parent's cursor where it was.
class TKavClass {
public:
  TKavClass(TKavClass* Parent, std::int32_t Available, const TReader& Reader);
  virtual ~TKavClass();
  TKavClass(const TKavClass&) = delete;
  TKavClass& operator=(const TKavClass&) = delete;

  // The most derived class's name ("TFls", "TChunk", ...): the tree picks icons and panels by it.
  virtual const char* ClassName() const = 0;
  // The node's kind: its row in the kind table (class name, icon, panel).
  virtual TNodeKind Kind() const = 0;

  virtual std::string GetCaption() const;
  virtual std::string GetName() const = 0;
  virtual std::string GetDescription() const { return {}; }
  virtual bool MayHaveChildren() const { return false; }
  // Builds, appends and returns the next child; nullptr when there is nothing more to build.
  virtual TKavClass* ParseNextChild() { return nullptr; }

  std::string GetPath() const;
  int Log(int Ident, const TLogArgs& Args = {}) const;
  // Takes ownership of Node and appends it; a null Node changes nothing. Returns Node.
  TKavClass* AddChild(std::unique_ptr<TKavClass> Node);
  // The first child whose class is exactly ClassName (a subclass does not match).
  TKavClass* FindChild(std::string_view ClassName) const;

  TKavClass* Parent() const { return Parent_; }
  // Where the node stands among its parent's children (0 for the root).
  std::size_t IndexInParent() const { return IndexInParent_; }
  TKavClass* FirstChild() const { return Children_.empty() ? nullptr : Children_.front().get(); }
  TKavClass* NextSibling() const;
  std::size_t ChildCount() const { return Children_.size(); }
  TKavClass* Child(std::size_t Index) const { return Index < Children_.size() ? Children_[Index].get() : nullptr; }

  // The node's bytes: a view of the loaded image, which the root owns, and the offset of
  // their first byte in that image. Empty for a node that stands for no bytes of its own.
  TByteView ImageBytes() const { return ImageBytes_; }
  std::size_t ImageOffset() const { return ImageOffset_; }

protected:
  void SetImageBytes(TByteView Bytes, std::size_t Offset) {
    ImageBytes_ = Bytes;
    ImageOffset_ = Offset;
  }
  // Destroys the children, last to first (the root does so before it lets go of the image).
  void DestroyChildren();

private:
  TKavClass* Parent_;
  std::size_t IndexInParent_ = 0;
  // A vector rather than a linked chain of owners: a chunk may hold many thousands of
  // subchunks, and destroying a long chain of owning links would recurse that deep.
  std::vector<std::unique_ptr<TKavClass>> Children_;
  TByteView ImageBytes_;
  std::size_t ImageOffset_ = 0;
};

// Builds a child node from a reader of its own: the next Left bytes of Cursor (at most those
// it has). Make(Available, Reader) returns the node, or none; Available is Reader.Left(). Once
// a node is made, Cursor moves past what the node consumed of Reader; no node, or an exception,
// leaves Cursor where it was.
template <class TMake>
auto BuildFrom(TReader& Cursor, std::size_t Left, TMake&& Make) {
  TReader Reader = Cursor.CutUpTo(Left);
  auto Node = Make(static_cast<std::int32_t>(Reader.Left()), Reader);
  if (Node) Cursor.Seek(Reader.Pos());
  return Node;
}

// A node that stands for an area of the image: a view of its bytes and a cursor in them.
class TKavContainer : public TKavClass {
public:
  TKavContainer(TKavClass* Parent, std::int32_t Available, const TReader& Reader);

  // Bytes not yet consumed by children: those a child is given.
  virtual std::int32_t Left() const;

  std::int32_t Size() const { return Size_; }
  TByteView Data() const { return Data_; }
  TReader& Cursor() { return Cursor_; }
  const TReader& Cursor() const { return Cursor_; }

protected:
  // A child built from the cursor, given Left() bytes (see BuildFrom).
  template <class TMake>
  auto BuildChild(TMake&& Make) {
    return BuildFrom(Cursor_, SizeOrZero(Left()), std::forward<TMake>(Make));
  }
  template <class TNode>
  std::unique_ptr<TNode> BuildChild() {
    return BuildChild([this](std::int32_t Available, TReader& Reader) { return std::make_unique<TNode>(this, Available, Reader); });
  }
  // Views the first Size() bytes of Source, whose first byte stands at Offset in the image,
  // and puts the cursor at their start; these are also the node's bytes. Callers check that
  // Source holds them; should it not, the view (and Size) stops at its end.
  void SetData(TByteView Source, std::size_t Offset = 0);
  void SetSize(std::int32_t Size) { Size_ = Size; }

private:
  TByteView Data_;
  TReader Cursor_;
  std::int32_t Size_ = 0;
};

// Replaces each line feed by ", " (version strings shown on one line).
std::string JoinLines(std::string_view Text);

}  // namespace kavex
