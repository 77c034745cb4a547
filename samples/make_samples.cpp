// Writes the sample images that ship with Kavex into a folder: kavex-sample.fls (Divud layout)
// and kavex-sample.wt (the same image in WinTesla layout). Everything in them is made here:
// texts in four languages and the common table, two fonts drawn by hand, named tones,
// operator lists with real public country and network codes, and the raw record kinds.
// Beside them, for trying kavex-diff, kavex-sample-changed.fls: the Divud sample with one
// German entry, one glyph of the small font and one operator name changed (not installed).
//   kavex-make-samples FOLDER

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ImageBuilder.h"

using namespace kavtest;

namespace {

using Glyph = std::vector<std::string>;  // 7 rows of 5 pixels, '#' inked

// ---- the hand-drawn 5x7 letters -------------------------------------------------------
const std::vector<Glyph> Digits = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},  // 0
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},  // 1
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},  // 2
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},  // 3
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},  // 4
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},  // 5
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},  // 6
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},  // 7
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},  // 8
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},  // 9
};

const std::vector<Glyph> Latin = {
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // A
    {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."},  // B
    {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."},  // C
    {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."},  // D
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},  // E
    {"#####", "#....", "#....", "####.", "#....", "#....", "#...."},  // F
    {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"},  // G
    {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // H
    {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."},  // I
    {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."},  // J
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"},  // K
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####"},  // L
    {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"},  // M
    {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"},  // N
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // O
    {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."},  // P
    {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"},  // Q
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},  // R
    {".####", "#....", "#....", ".###.", "....#", "....#", "####."},  // S
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},  // T
    {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // U
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."},  // V
    {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."},  // W
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"},  // X
    {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."},  // Y
    {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"},  // Z
};

const Glyph& L(char C) { return Latin[static_cast<std::size_t>(C - 'A')]; }

// The capitals U+0410 to U+042F; those that look like Latin letters share their drawing.
std::vector<Glyph> Cyrillic() {
  return {
      L('A'),
      {"#####", "#....", "#....", "####.", "#...#", "#...#", "####."},  // Б
      L('B'),
      {"#####", "#....", "#....", "#....", "#....", "#....", "#...."},  // Г
      {"..##.", ".#.#.", ".#.#.", ".#.#.", ".#.#.", "#####", "#...#"},  // Д
      L('E'),
      {"#.#.#", "#.#.#", ".###.", "..#..", ".###.", "#.#.#", "#.#.#"},  // Ж
      {".###.", "#...#", "....#", "..##.", "....#", "#...#", ".###."},  // З
      {"#...#", "#...#", "#..##", "#.#.#", "##..#", "#...#", "#...#"},  // И
      {".#.#.", "..#..", "#...#", "#..##", "#.#.#", "##..#", "#...#"},  // Й
      L('K'),
      {"..###", ".#..#", ".#..#", ".#..#", ".#..#", ".#..#", "#...#"},  // Л
      L('M'),
      L('H'),
      L('O'),
      {"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#"},  // П
      L('P'),
      L('C'),
      L('T'),
      {"#...#", "#...#", "#...#", ".####", "....#", "#...#", ".###."},  // У
      {"..#..", ".###.", "#.#.#", "#.#.#", "#.#.#", ".###.", "..#.."},  // Ф
      L('X'),
      {"#..#.", "#..#.", "#..#.", "#..#.", "#..#.", "#####", "....#"},  // Ц
      {"#...#", "#...#", "#...#", ".####", "....#", "....#", "....#"},  // Ч
      {"#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "#####"},  // Ш
      {"#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "#####", "....#"},  // Щ
      {"##...", ".#...", ".#...", ".###.", ".#..#", ".#..#", ".###."},  // Ъ
      {"#...#", "#...#", "#...#", "###.#", "#.#.#", "#.#.#", "###.#"},  // Ы
      {"#....", "#....", "#....", "####.", "#...#", "#...#", "####."},  // Ь
      {".###.", "#...#", "....#", "..###", "....#", "#...#", ".###."},  // Э
      {"#..#.", "#.#.#", "#.#.#", "###.#", "#.#.#", "#.#.#", "#..#."},  // Ю
      {".####", "#...#", "#...#", ".####", "..#.#", ".#..#", "#...#"},  // Я
  };
}

// The same letter twice as large in both directions.
std::vector<Glyph> Scaled(const std::vector<Glyph>& Glyphs, bool Large) {
  if (!Large) return Glyphs;
  std::vector<Glyph> Out;
  for (const Glyph& G : Glyphs) {
    Glyph Big;
    for (const std::string& Row : G) {
      std::string Wide;
      for (char P : Row) Wide += std::string(2, P);
      Big.push_back(Wide);
      Big.push_back(Wide);
    }
    Out.push_back(Big);
  }
  return Out;
}

std::vector<std::string> Stack(std::initializer_list<const std::vector<Glyph>*> Groups) {
  std::vector<std::string> Rows;
  for (const auto* Group : Groups)
    for (const Glyph& G : *Group) Rows.insert(Rows.end(), G.begin(), G.end());
  return Rows;
}

// What the changed copy of the sample changes: each the same number of bytes, so that nothing
// else moves.
struct Changes {
  bool Entry = false;     // German entry 13, "Eintrag hinzufügen", reads "Eintrag bearbeiten"
  bool Glyph = false;     // the small font's A has a pointed top
  bool Operator = false;  // Telia (244 91) is called Tele2
};

// Digits and Latin capitals stacked in bit image 0, Cyrillic capitals in bit image 1.
Font HandFont(std::string Name1, std::string Name2, bool Large, bool PointedA = false) {
  const std::vector<Glyph> D = Scaled(Digits, Large);
  std::vector<Glyph> A = Scaled(Latin, Large);
  const std::vector<Glyph> Y = Scaled(Cyrillic(), Large);
  if (PointedA) {
    A[0][0] = "..#..";
    A[0][1] = ".#.#.";
  }
  const auto H = static_cast<std::uint32_t>(D.front().size());
  const auto W = static_cast<std::uint8_t>(D.front().front().size());
  Font F{.Name1 = std::move(Name1), .Name2 = std::move(Name2)};
  F.Ranges = {{.First = '0', .Last = '9', .FirstRow = 0, .ImageIndex = 0, .Height = H},
              {.First = 'A', .Last = 'Z', .FirstRow = 10 * H, .ImageIndex = 0, .Height = H},
              {.First = 0x410, .Last = 0x42F, .FirstRow = 0, .ImageIndex = 1, .Height = H}};
  F.Images = {{.Width = W, .Bitmap = BandBitmap(Stack({&D, &A}))}, {.Width = W, .Bitmap = BandBitmap(Stack({&Y}))}};
  return F;
}

// ---- texts ----------------------------------------------------------------------------
// One byte a character in the phone's 8-bit code page; the letters used here are all below
// U+0100, where Windows-1252 and Latin-1 agree.
std::string Narrow(std::u16string_view Text) {
  std::string Out;
  for (char16_t C : Text) Out += static_cast<char>(C < 0x100 ? C : '?');
  return Out;
}

std::vector<std::string> NarrowTable(const std::vector<std::u16string>& Entries) {
  std::vector<std::string> Out;
  for (const auto& E : Entries) Out.push_back(Narrow(E));
  return Out;
}

const std::vector<std::u16string> English = {
    u"English", u"Menu", u"Messages", u"Call register", u"Profiles", u"Settings", u"Call divert", u"Games",
    u"Calculator", u"Clock", u"Tones", u"Phone book", u"Search", u"Add entry", u"Erase", u"Edit", u"Options",
    u"Inbox", u"Outbox", u"Write message", u"Missed calls", u"Received calls", u"Dialled numbers",
    u"Ringing tone", u"Ringing volume", u"Keypad tones", u"Network selection", u"Automatic", u"Manual",
    u"Select", u"Back", u"Exit"};
const std::vector<std::u16string> German = {
    u"Deutsch", u"Menü", u"Mitteilungen", u"Anrufliste", u"Profile", u"Einstellungen", u"Rufumleitung",
    u"Spiele", u"Rechner", u"Uhr", u"Töne", u"Telefonbuch", u"Suchen", u"Eintrag hinzufügen", u"Löschen",
    u"Bearbeiten", u"Optionen", u"Eingang", u"Ausgang", u"Mitteilung schreiben", u"Entgangene Anrufe",
    u"Angenommene Anrufe", u"Gewählte Rufnummern", u"Rufton", u"Ruftonlautstärke", u"Tastentöne",
    u"Netzauswahl", u"Automatisch", u"Manuell", u"Wählen", u"Zurück", u"Ende"};
const std::vector<std::u16string> Finnish = {
    u"Suomi", u"Valikko", u"Viestit", u"Puhelutiedot", u"Profiilit", u"Asetukset", u"Soitonsiirto", u"Pelit",
    u"Laskin", u"Kello", u"Äänet", u"Osoitekirja", u"Etsi", u"Lisää nimi", u"Poista", u"Muokkaa", u"Valinnat",
    u"Saapuneet", u"Lähteneet", u"Kirjoita viesti", u"Vastaamattomat puhelut", u"Vastatut puhelut",
    u"Soitetut numerot", u"Soittoääni", u"Soittoäänen voimakkuus", u"Näppäinäänet", u"Verkon valinta",
    u"Automaattinen", u"Manuaalinen", u"Valitse", u"Takaisin", u"Poistu"};
// Two bytes a character; the language name's first character is a marker that is not shown.
const std::vector<std::u16string> Russian = {
    u"\u0001Русский", u"Меню", u"Сообщения", u"Журнал вызовов", u"Режимы", u"Настройки", u"Переадресация",
    u"Игры", u"Калькулятор", u"Часы", u"Сигналы", u"Телефонная книга", u"Поиск", u"Добавить запись",
    u"Удалить", u"Изменить", u"Функции", u"Входящие", u"Исходящие", u"Написать сообщение",
    u"Непринятые вызовы", u"Принятые вызовы", u"Набранные номера", u"Мелодия", u"Громкость звонка",
    u"Тоны клавиш", u"Выбор сети", u"Автоматически", u"Вручную", u"Выбрать", u"Назад", u"Выход"};
// Texts every language shares.
const std::vector<std::string> Common = {"+", "*#06#", "112", "SOS", "GSM", "SIM", "PIN", "PIN2",
                                         "PUK", "PUK2", "IMEI", "SMS", "OK", "kHz", "dB"};

constexpr std::uint32_t TwoByteCharacters = 0x80000000;
constexpr std::uint32_t CommonTableId = 0x33;

Bytes TextChunk(const Changes& C) {
  std::vector<std::u16string> Deutsch = German;
  if (C.Entry) Deutsch[13] = u"Eintrag bearbeiten";
  return ChunkBytes({.Name = "TEXT", .Version = "V 1.00", .Data = Concat({
      SubchunkBytes({.Id = 1, .ShortName = "ENG", .Body = TextBody(NarrowTable(English), true)}),
      SubchunkBytes({.Id = 2, .ShortName = "DEU", .Body = TextBody(NarrowTable(Deutsch), true)}),
      SubchunkBytes({.Id = 3, .ShortName = "FIN", .Body = TextBody(NarrowTable(Finnish))}),
      SubchunkBytes({.Id = 4, .ShortName = "RUS", .Flags = TwoByteCharacters, .Body = WideTextBody(Russian, true)}),
      SubchunkBytes({.Id = CommonTableId, .Body = TextBody(Common)}),
      ClosingRecord()})});
}

// ---- fonts: one font subchunk with both fonts, then the terminator that fills the chunk ----
Bytes FontChunk(const Changes& C) {
  Bytes Body = FontBody({HandFont("Small", "5x7", false, C.Glyph), HandFont("Large", "10x14", true)});
  Body.resize((Body.size() + 3) & ~std::size_t{3}, 0);  // the subchunk's length covers its fill
  return ChunkBytes({.Name = "FONT", .Version = "V 1.00",
                     .Data = Concat({SubchunkBytes({.Id = 1, .ShortName = "FNT", .Body = Body}), ClosingRecord()})});
}

// ---- tones: a name and a tune (note and length pairs), filled with 0xFF to 4 bytes -------
Bytes Tone(std::uint32_t Id, std::string_view Name, std::string_view Melody) {
  Bytes Tune;
  for (std::size_t I = 0; I < Melody.size(); ++I) {
    Tune.push_back(static_cast<std::uint8_t>(Melody[I] - 'A' + 0x40));  // the note
    Tune.push_back(static_cast<std::uint8_t>(I % 3 == 2 ? 0x08 : 0x04));  // its length
  }
  const std::size_t Unfilled = 16 + 1 + Name.size() + Tune.size();
  const std::size_t Fill = (4 - Unfilled % 4) % 4;
  return SubchunkBytes({.Id = Id, .Body = ToneBody(Name, Tune, Fill), .Pad = false});
}

Bytes ToneChunk() {
  return ChunkBytes({.Name = "TONE", .Version = "V 1.00", .Data = Concat({
      Tone(1, "Ring ring", "EGEGEGEGEG"), Tone(2, "Low", "CCDDCC"), Tone(3, "Fanfare", "CEGCGEGC"),
      Tone(4, "Bumblebee", "EDCDEDCDEFGFEDC"), Tone(5, "Knock knock", "AAGA"), Tone(6, "Waltz", "CEGGEGGEG"),
      ClosingRecord()})});
}

// ---- operator lists ---------------------------------------------------------------------
struct Network {
  int Mnc;  // two digits
  std::string Name;
};

// The network code as a PLMN identity stores a two-digit one: digit 1 in the low nibble of the
// first byte, digit 2 in its high nibble; the second byte has 0xF (no third digit) above the
// country code's third digit.
Bytes OperatorList(std::uint32_t Id, int Mcc, const std::vector<Network>& Networks) {
  std::vector<Operator> Entries;
  for (const Network& N : Networks)
    Entries.push_back({.B1 = static_cast<std::uint8_t>((N.Mnc / 10) | ((N.Mnc % 10) << 4)),
                       .B2 = static_cast<std::uint8_t>(0xF0 | (Mcc % 10)),
                       .Name = N.Name});
  return SubchunkBytes({.Id = Id, .Flags = CountryFlags(Mcc, static_cast<std::uint8_t>(Networks.size())),
                        .Body = OperatorEntries(Entries)});
}

Bytes PlmnChunk(const Changes& C) {
  return ChunkBytes({.Name = "PLMN", .Version = "V 1.00", .Data = Concat({
      OperatorList(1, 244, {{5, "Elisa"}, {12, "DNA"}, {91, C.Operator ? "Tele2" : "Telia"}}),
      OperatorList(2, 262, {{1, "Telekom"}, {2, "Vodafone"}, {7, "O2"}}),
      OperatorList(3, 234, {{10, "O2"}, {15, "Vodafone"}, {20, "Three"}, {30, "EE"}}),
      OperatorList(4, 250, {{1, "MTS"}, {2, "MegaFon"}, {99, "Beeline"}}),
      OperatorList(5, 208, {{1, "Orange"}, {10, "SFR"}, {20, "Bouygues Telecom"}}),
      ClosingRecord()})});
}

// ---- record kinds that are kept as raw bytes ---------------------------------------------
Bytes Counting(std::size_t Size, std::uint8_t Start) {
  Bytes Out(Size);
  for (std::size_t I = 0; I < Size; ++I) Out[I] = static_cast<std::uint8_t>(Start + I);
  return Out;
}

Bytes RawChunk(const std::string& Name, std::vector<Bytes> Bodies, std::string_view ShortName = "") {
  Bytes Data;
  std::uint32_t Id = 1;
  for (Bytes& Body : Bodies) Append(Data, SubchunkBytes({.Id = Id++, .ShortName = std::string(ShortName), .Body = std::move(Body)}));
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Version = "V 1.00", .Data = Data});
}

Bytes Text(std::string_view S) { return Bytes(S.begin(), S.end()); }

// The end chunk: four zero name bytes end the chunk walk. A chunk without a name has no
// checksum check; its stored checksum is 0, as the viewer expects of such a chunk.
Bytes NamelessEndChunk() { return ChunkBytes({.Name = "", .Version = "END", .Data = {}, .Checksum = 0}); }

Bytes SampleImage(const Changes& C = {}) {
  Ppm P{.Version = "V 1.00\n08-12-26\nKAVEX-1"};
  P.Chunks = {
      TextChunk(C),
      FontChunk(C),
      ToneChunk(),
      PlmnChunk(C),
      RawChunk("LDB", {Text("Menu layout: 1 2 3 4 5 6 7 8 9"), Counting(24, 0x10)}, "LDB"),
      RawChunk("AORD", {Bytes{1, 2, 3, 4, 0x33}}),
      RawChunk("WUGS", {Counting(12, 0x80), Counting(20, 0x40)}),
      RawChunk("GSMC", {Counting(128, 0)}),
      ChunkBytes({.Name = "LPCS", .Version = "V 1.00",
                  .Data = Concat({SubchunkBytes({.Id = 1, .Body = Counting(512, 0x20)}), ClosingRecord()})}),
      RawChunk("ANIM", {Text("frame 1"), Text("frame 2, longer"), Counting(9, 0xC0)}),
      NamelessEndChunk(),
  };
  const Mcu M{.Size = 0x20000, .Version = P.Version};
  Bytes Eeprom(0x2000, 0xFF);
  const Bytes Serial = Text("KAVEX SAMPLE EEPROM");
  std::copy(Serial.begin(), Serial.end(), Eeprom.begin() + 0x100);
  return DivudImage(M, P, Eeprom);
}

bool WriteFile(const std::filesystem::path& Path, const Bytes& Content) {
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Content.data()), static_cast<std::streamsize>(Content.size()));
  Out.close();
  if (Out) return true;
  std::fprintf(stderr, "kavex-make-samples: cannot write %s\n", Path.string().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kavex-make-samples FOLDER\n");
    return 64;
  }
  const std::filesystem::path Folder(argv[1]);
  std::error_code Error;
  std::filesystem::create_directories(Folder, Error);
  const Bytes Image = SampleImage();
  const bool Written = WriteFile(Folder / "kavex-sample.fls", Image) && WriteFile(Folder / "kavex-sample.wt", WinTesla(Image)) &&
                       WriteFile(Folder / "kavex-sample-changed.fls", SampleImage({.Entry = true, .Glyph = true, .Operator = true}));
  return Written ? 0 : 1;
}
