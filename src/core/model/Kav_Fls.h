#pragma once
// The root of a loaded image (the whole file) and the loader that builds it.

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/KavObj.h"

namespace kavex {

class TMCU;
class TPPM;
class TEEPROM;

// A byte buffer whose new bytes are left as they are: the loader reads the file into it at
// once, so zeroing them first would only cost time.
template <class T>
struct TNoInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TNoInitAllocator<U>;
  };
  TNoInitAllocator() = default;
  template <class U>
  TNoInitAllocator(const TNoInitAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* Place) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(Place)) U;
  }
  template <class U, class... TArgs>
  void construct(U* Place, TArgs&&... Args) {
    ::new (static_cast<void*>(Place)) U(std::forward<TArgs>(Args)...);
  }
};
using TImageBytes = std::vector<std::uint8_t, TNoInitAllocator<std::uint8_t>>;

// Divud images carry no flash address; their first byte stands at this one.
constexpr std::int32_t DivudBaseAddr = 0x200000;

class TFls : public TKavContainer {
public:
  // Takes the whole file (Bytes) and recognises its layout. Raises EKavError for a broken
  // WinTesla block chain.
  explicit TFls(TBytes Bytes);
  explicit TFls(TImageBytes Bytes);
  // One WinTesla block: where its payload belongs in flash and how long it is.
  struct TWinTeslaBlock {
    std::uint32_t FlashAddr;
    std::uint32_t BlockLength;
  };
  // A WinTesla file that the loader joined while reading it: Joined holds the payloads one after
  // the other, Blocks (never empty) the chain in file order, already checked as the join checks
  // it. Logs what the join logs.
  TFls(TImageBytes Joined, const std::vector<TWinTeslaBlock>& Blocks);
  ~TFls() override;

  const char* ClassName() const override { return "TFls"; }
  TNodeKind Kind() const override { return TNodeKind::Fls; }
  std::string GetName() const override { return FileName_; }
  std::string GetDescription() const override { return {}; }
  bool MayHaveChildren() const override { return true; }
  TKavClass* ParseNextChild() override;

  void SetFileName(std::string Name) { FileName_ = std::move(Name); }
  const std::string& FileName() const { return FileName_; }
  bool IsWinTesla() const { return IsWinTesla_; }
  std::int32_t FlashBase() const { return FlashBase_; }
  // The file as it was read: its length, and the WinTesla blocks it holds (0 for Divud).
  std::int64_t FileSize() const { return FileSize_; }
  std::size_t WinTeslaBlockCount() const { return WinTeslaBlocks_; }

  TMCU* MCU() const { return MCU_; }
  TPPM* PPM() const { return PPM_; }
  TEEPROM* EEPROM() const { return EEPROM_; }

  // Grows a WinTesla image that ends inside the MCU area to NewSize bytes of 0xFF fill, as long
  // as no child has consumed bytes yet. Returns the reader for the MCU area to go on with: the
  // root's bytes left, cut as a child's (over the grown image after a fill, which may have moved).
  TReader FillGap(std::int64_t NewSize);

private:
  void JoinWinTeslaBlocks();
  void ShowImage();  // makes the image, as it now stands, the root's bytes

  // The loaded image after the WinTesla join and the gap fill: one buffer, which every node
  // views. It changes only before the first child takes its bytes.
  TImageBytes Image_;

  std::string FileName_;
  TMCU* MCU_ = nullptr;
  TPPM* PPM_ = nullptr;
  TEEPROM* EEPROM_ = nullptr;
  bool Done_ = false;
  bool IsWinTesla_ = false;
  std::int32_t FlashBase_ = -1;
  std::int64_t FileSize_ = 0;
  std::size_t WinTeslaBlocks_ = 0;
};

// The rules of the WinTesla block chain, which the join in memory and the join while reading a
// file both follow. Left counts the file's bytes from where the next block's header would
// start, Header holds them (at least a header's worth when Left does), and Previous is the block
// before (none for the first). No bytes left end the chain; fewer than a header are stray
// bytes; otherwise the block read into Next must continue Previous's flash addresses, and its
// payload must fit into what is left behind its header.
enum class TWinTeslaStep { End, Fits, StrayBytes, NotContiguous, TooLong };
TWinTeslaStep NextWinTeslaBlock(const TFls::TWinTeslaBlock* Previous, std::size_t Left, TByteView Header,
                                TFls::TWinTeslaBlock& Next);

// Builds the root from bytes already in memory, logging as LoadFile does after reading
// (no message 28). Raises EKavError as TFls does.
std::unique_ptr<TFls> LoadImage(TBytes Bytes, const std::string& FileName);
std::unique_ptr<TFls> LoadImage(TImageBytes Bytes, const std::string& FileName);  // the same, without a copy
// A file's bytes already read by the caller (the browser hands them over), loaded and logged as
// LoadFile loads and logs a file of them: message 28 first, an empty file refused with its
// reason. Raises EKavError as TFls does.
std::unique_ptr<TFls> LoadFileBytes(TImageBytes Bytes, const std::string& FileName, std::string* Reason = nullptr);

// Logs "Loading file", reads the file whole (a WinTesla file's payloads straight to their
// joined places) and builds the root. Returns nullptr, after logging why, when the file cannot
// be opened (also: is not a regular file) or read, is empty, or is too large to hold; then
// Reason, if given, receives why in the system's words where there are some ("Is a directory",
// "No such file or directory") and in the program's own otherwise ("the file is empty").
std::unique_ptr<TFls> LoadFile(const std::string& FileName, std::string* Reason = nullptr);

// What the viewer and kavex-dump say of a file whose root was built but holds no area.
inline constexpr const char* NoAreaFoundText = "no MCU, PPM or EEPROM area was found";

// Whether Root, a loaded image's root whose children have been built, holds no MCU, PPM or
// EEPROM area: the file is no flash image, though a root could be made of it.
bool HoldsNoArea(const TKavClass& Root);

// Called by LoadFile with the file name after it has taken the file's length and before it
// reads, so that a test can change the file in between as another program might. None is
// installed normally.
using TLoadFileProbe = std::function<void(const std::string& FileName)>;
void SetLoadFileProbe(TLoadFileProbe Probe);

}  // namespace kavex
