#pragma once
// The argument list of a log message and the printf-like formatter shared by the log,
// the model's display strings and the tools.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace kavex {

// One argument: an integer (for "d" and "x") or a UTF-8 text (for "s").
using TLogArg = std::variant<std::int64_t, std::string>;

// Messages take at most a handful of arguments: those live in the list itself, so building
// one allocates nothing but the texts it holds. More spill over to the heap.
class TLogArgs {
public:
  TLogArgs() = default;
  // TLogArgs{Name, std::int64_t{Length}}: texts passed as temporaries are moved, not copied.
  template <typename... T>
    requires(sizeof...(T) > 0 && (std::is_constructible_v<TLogArg, T&&> && ...) &&
             !(sizeof...(T) == 1 && (std::is_same_v<std::remove_cvref_t<T>, TLogArgs> && ...)))
  TLogArgs(T&&... Items) {  // NOLINT: implicit, as a braced list is passed
    (Push(std::forward<T>(Items)), ...);
  }

  TLogArgs& Int(std::int64_t V) { Push(V); return *this; }
  TLogArgs& Str(std::string V) { Push(std::move(V)); return *this; }

  std::size_t size() const { return Size_; }
  bool empty() const { return Size_ == 0; }
  const TLogArg& operator[](std::size_t I) const { return I < InlineCount ? Inline_[I] : More_[I - InlineCount]; }

private:
  static constexpr std::size_t InlineCount = 6;
  template <typename T>
  void Push(T&& Item) {
    if (Size_ < InlineCount)
      Inline_[Size_] = std::forward<T>(Item);
    else
      More_.emplace_back(std::forward<T>(Item));
    ++Size_;
  }
  std::array<TLogArg, InlineCount> Inline_{};
  std::vector<TLogArg> More_;
  std::size_t Size_ = 0;
};

// A format directive that does not match its argument (missing, or of the wrong type).
// It is a programming error of the caller and is never caught inside the library.
class EFormatError : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// Formats Text by the program's printf-like rules:
//   %[index:][width][.precision]type, type one of d, x, s; "%%" is a percent sign.
// "x" prints the value as unsigned 32-bit with upper-case digits; a precision is a minimum
// digit count padded with zeros; a width pads with blanks on the left (a leading zero in the
// width is part of the number, so "%02d" pads with a blank); "%1:d" takes argument 1.
std::string FormatText(std::string_view Text, const TLogArgs& Args);

}  // namespace kavex
