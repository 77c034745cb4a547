#pragma once
// The argument list of a log message and the printf-like formatter shared by the log,
// the model's display strings and the tools.

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kavex {

// One argument: an integer (for "d" and "x") or a UTF-8 text (for "s").
using TLogArg = std::variant<std::int64_t, std::string>;

class TLogArgs {
public:
  TLogArgs() = default;
  TLogArgs(std::initializer_list<TLogArg> Items) : Items_(Items) {}

  TLogArgs& Int(std::int64_t V) { Items_.emplace_back(V); return *this; }
  TLogArgs& Str(std::string V) { Items_.emplace_back(std::move(V)); return *this; }

  std::size_t size() const { return Items_.size(); }
  bool empty() const { return Items_.empty(); }
  const TLogArg& operator[](std::size_t I) const { return Items_[I]; }

private:
  std::vector<TLogArg> Items_;
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
