#include "log/LogArgs.h"

namespace kavex {
namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// Reads a run of decimal digits; bounded so that a silly width cannot overflow.
int ReadNumber(std::string_view Text, std::size_t& Pos) {
  int Value = 0;
  while (Pos < Text.size() && IsDigit(Text[Pos])) {
    if (Value < 100000) Value = Value * 10 + (Text[Pos] - '0');
    ++Pos;
  }
  return Value;
}

std::string Digits(std::uint64_t Value, unsigned Base) {
  static const char Hex[] = "0123456789ABCDEF";
  char Buf[24];
  char* P = Buf + sizeof Buf;
  do {
    *--P = Hex[Value % Base];
    Value /= Base;
  } while (Value != 0);
  return std::string(P, Buf + sizeof Buf);
}

const TLogArg& TakeArg(const TLogArgs& Args, std::size_t Index, std::string_view Text) {
  if (Index >= Args.size())
    throw EFormatError("Format '" + std::string(Text) + "': argument " + std::to_string(Index) + " is missing");
  return Args[Index];
}

}  // namespace

std::string FormatText(std::string_view Text, const TLogArgs& Args) {
  std::string Out;
  Out.reserve(Text.size() + 16);
  std::size_t Next = 0;  // the argument a directive without index takes
  std::size_t Pos = 0;
  while (Pos < Text.size()) {
    const char C = Text[Pos++];
    if (C != '%') {
      Out += C;
      continue;
    }
    if (Pos < Text.size() && Text[Pos] == '%') {
      Out += '%';
      ++Pos;
      continue;
    }
    // Optional index: digits followed by ':'.
    std::size_t Look = Pos;
    while (Look < Text.size() && IsDigit(Text[Look])) ++Look;
    if (Look > Pos && Look < Text.size() && Text[Look] == ':') {
      Next = static_cast<std::size_t>(ReadNumber(Text, Pos));
      ++Pos;  // the ':'
    }
    const int Width = ReadNumber(Text, Pos);
    int Precision = -1;
    if (Pos < Text.size() && Text[Pos] == '.') {
      ++Pos;
      Precision = ReadNumber(Text, Pos);
    }
    if (Pos >= Text.size())
      throw EFormatError("Format '" + std::string(Text) + "': directive without type");
    const char Type = Text[Pos++];

    std::string Field;
    const TLogArg& Arg = TakeArg(Args, Next, Text);
    ++Next;
    switch (Type) {
      case 'd':
      case 'x': {
        const std::int64_t* V = std::get_if<std::int64_t>(&Arg);
        if (!V)
          throw EFormatError("Format '" + std::string(Text) + "': integer argument expected");
        std::string Sign;
        std::string Body;
        if (Type == 'x') {
          Body = Digits(static_cast<std::uint32_t>(*V), 16);
        } else if (*V < 0) {
          Sign = "-";
          Body = Digits(static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(*V), 10);
        } else {
          Body = Digits(static_cast<std::uint64_t>(*V), 10);
        }
        if (Precision > 0 && Body.size() < static_cast<std::size_t>(Precision))
          Body.insert(0, static_cast<std::size_t>(Precision) - Body.size(), '0');
        Field = Sign + Body;
        break;
      }
      case 's': {
        const std::string* V = std::get_if<std::string>(&Arg);
        if (!V)
          throw EFormatError("Format '" + std::string(Text) + "': text argument expected");
        Field = *V;
        break;
      }
      default:
        throw EFormatError("Format '" + std::string(Text) + "': unknown type '" + std::string(1, Type) + "'");
    }
    if (Width > 0 && Field.size() < static_cast<std::size_t>(Width))
      Field.insert(0, static_cast<std::size_t>(Width) - Field.size(), ' ');
    Out += Field;
  }
  return Out;
}

}  // namespace kavex
