#include "log/LogArgs.h"

#include <algorithm>

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

// Writes Value's digits to the end of Buf and returns where they start.
char* Digits(std::uint64_t Value, unsigned Base, char* End) {
  static const char Hex[] = "0123456789ABCDEF";
  char* P = End;
  do {
    *--P = Hex[Value % Base];
    Value /= Base;
  } while (Value != 0);
  return P;
}

// Where formatted text goes: a buffer on the stack that holds every message and display
// string of the program, so that the result is allocated once, at its final size. A longer
// text goes on in a string of its own.
class TTextSink {
public:
  void Append(std::string_view Text) {
    if (Spilled_ || Text.size() > sizeof Local_ - Used_) {
      Spill().append(Text);
    } else {
      std::copy(Text.begin(), Text.end(), Local_ + Used_);
      Used_ += Text.size();
    }
  }
  void Append(std::size_t Count, char C) {
    if (Spilled_ || Count > sizeof Local_ - Used_) {
      Spill().append(Count, C);
    } else {
      std::fill_n(Local_ + Used_, Count, C);
      Used_ += Count;
    }
  }
  std::string Take() { return Spilled_ ? std::move(Long_) : std::string(Local_, Used_); }

private:
  std::string& Spill() {
    if (!Spilled_) {
      Long_.reserve(2 * sizeof Local_);
      Long_.assign(Local_, Used_);
      Spilled_ = true;
    }
    return Long_;
  }
  char Local_[256];
  std::size_t Used_ = 0;
  bool Spilled_ = false;
  std::string Long_;
};

// Appends Sign, Zeros zeros and Body, padded on the left with blanks to Width characters.
template <typename TSink>
void AppendField(TSink& Out, int Width, std::string_view Sign, std::size_t Zeros, std::string_view Body) {
  const std::size_t Length = Sign.size() + Zeros + Body.size();
  if (Width > 0 && Length < static_cast<std::size_t>(Width)) Out.Append(static_cast<std::size_t>(Width) - Length, ' ');
  Out.Append(Sign);
  Out.Append(Zeros, '0');
  Out.Append(Body);
}

const TLogArg& TakeArg(const TLogArgs& Args, std::size_t Index, std::string_view Text) {
  if (Index >= Args.size())
    throw EFormatError("Format '" + std::string(Text) + "': argument " + std::to_string(Index) + " is missing");
  return Args[Index];
}

template <typename TSink>
void FormatInto(TSink& Out, std::string_view Text, const TLogArgs& Args) {
  std::size_t Next = 0;  // the argument a directive without index takes
  std::size_t Pos = 0;
  while (Pos < Text.size()) {
    const std::size_t Percent = std::min(Text.find('%', Pos), Text.size());
    Out.Append(Text.substr(Pos, Percent - Pos));
    Pos = Percent + 1;
    if (Percent == Text.size()) break;
    if (Pos < Text.size() && Text[Pos] == '%') {
      Out.Append(1, '%');
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

    const TLogArg& Arg = TakeArg(Args, Next, Text);
    ++Next;
    switch (Type) {
      case 'd':
      case 'x': {
        const std::int64_t* V = std::get_if<std::int64_t>(&Arg);
        if (!V)
          throw EFormatError("Format '" + std::string(Text) + "': integer argument expected");
        char Buf[24];
        char* End = Buf + sizeof Buf;
        const char* Body;
        std::string_view Sign;
        if (Type == 'x') {
          Body = Digits(static_cast<std::uint32_t>(*V), 16, End);
        } else if (*V < 0) {
          Sign = "-";
          Body = Digits(static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(*V), 10, End);
        } else {
          Body = Digits(static_cast<std::uint64_t>(*V), 10, End);
        }
        const auto Length = static_cast<std::size_t>(End - Body);
        const std::size_t Zeros =
            Precision > 0 && Length < static_cast<std::size_t>(Precision) ? static_cast<std::size_t>(Precision) - Length : 0;
        AppendField(Out, Width, Sign, Zeros, std::string_view(Body, Length));
        break;
      }
      case 's': {
        const std::string* V = std::get_if<std::string>(&Arg);
        if (!V)
          throw EFormatError("Format '" + std::string(Text) + "': text argument expected");
        AppendField(Out, Width, {}, 0, *V);
        break;
      }
      default:
        throw EFormatError("Format '" + std::string(Text) + "': unknown type '" + std::string(1, Type) + "'");
    }
  }
}

}  // namespace

std::string FormatText(std::string_view Text, const TLogArgs& Args) {
  TTextSink Sink;
  FormatInto(Sink, Text, Args);
  return Sink.Take();
}

}  // namespace kavex
