// Writes a small flash image with a text, font, tone and operator chunk, for looking at the
// viewer (scripts/screenshots.sh uses it). The font's glyphs are rendered from a system face.
//   kavex_sample_image FILE

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "PanelImages.h"
#include "UiTestSupport.h"

using namespace kavtest;

namespace {

constexpr int GlyphWidth = 9;
constexpr int GlyphHeight = 14;

// The glyphs of First..Last as pixel rows, drawn without smoothing and cut at mid-grey.
std::vector<std::vector<std::string>> RenderGlyphs(char16_t First, char16_t Last) {
  QFont Face(QStringLiteral("DejaVu Sans"));
  Face.setPixelSize(13);
  Face.setStyleStrategy(QFont::NoAntialias);
  std::vector<std::vector<std::string>> Out;
  for (char32_t Code = First; Code <= Last; ++Code) {
    QImage Cell(GlyphWidth, GlyphHeight, QImage::Format_RGB32);
    Cell.fill(Qt::white);
    QPainter P(&Cell);
    P.setFont(Face);
    P.setPen(Qt::black);
    P.drawText(QRect(0, 0, GlyphWidth, GlyphHeight), Qt::AlignHCenter | Qt::AlignBottom, QString(QChar(Code)));
    P.end();
    std::vector<std::string> Rows;
    for (int Y = 0; Y < GlyphHeight; ++Y) {
      std::string Row;
      for (int X = 0; X < GlyphWidth; ++X) Row += qGray(Cell.pixel(X, Y)) < 128 ? '#' : '.';
      Rows.push_back(Row);
    }
    Out.push_back(Rows);
  }
  return Out;
}

// A font of two ranges, Latin and Cyrillic, each in a bit image of its own.
Font SampleFont() {
  Font Latin = ArtFont(0x20, RenderGlyphs(0x20, 0x7E), "Sample");
  const Font Cyrillic = ArtFont(0x410, RenderGlyphs(0x410, 0x44F));
  GlyphRange Second = Cyrillic.Ranges.front();
  Second.ImageIndex = 1;
  Latin.Name2 = "9x14";
  Latin.Ranges.push_back(Second);
  Latin.Images.push_back(Cyrillic.Images.front());
  return Latin;
}

Bytes SampleImage() {
  const std::vector<std::string> English = {
      "English",        "Menu",          "Messages",      "Call register", "Profiles",     "Settings",
      "Call divert",    "Games",         "Calculator",    "Calendar",      "Infrared",     "Tones",
      "Inbox",          "Outbox",        "Write messages", "Phone book",   "Search",       "Add name",
      "Erase",          "Edit",          "Send number",   "Options",       "Memory status", "Speed dials",
      "Voice tags",     "Service nos.",  "Missed calls",  "Received calls", "Dialled numbers", "Call timers",
      "Ringing tone",   "Ringing volume", "Keypad tones", "Warning tones", "Vibrating alert", "Screen saver"};
  const std::vector<std::u16string> Russian = {
      u"XРусский", u"Меню", u"Сообщения", u"Журнал вызовов", u"Режимы", u"Настройки", u"Переадресация",
      u"Игры", u"Калькулятор", u"Календарь", u"Инфракрасный порт", u"Сигналы", u"Входящие", u"Исходящие"};
  return GoodImage({
      ChunkOf("TEXT", {TextSubchunk(1, English, "en"), TextSubchunk(0x33, {"Nokia", "+", "OK", "SOS"}),
                       WideTextSubchunk(7, Russian, "ru")}),
      ChunkOf("FONT", {FontSubchunk({SampleFont()})}, "V2"),
      ChunkOf("TONE", {ToneSubchunk(1, "Ring ring"), ToneSubchunk(2, "Low"), ToneSubchunk(3, "Fanfare")}),
      ChunkOf("PLMN", {PlmnSubchunk(1, 244, {{.B1 = 0x05, .B2 = 0xF0, .Name = "Radiolinja"},
                                             {.B1 = 0x91, .B2 = 0xF0, .Name = "Sonera"},
                                             {.B1 = 0x03, .B2 = 0xF0, .Name = "Telia"}}),
                       PlmnSubchunk(2, 208, {{.B1 = 0x01, .B2 = 0xF0, .Name = "Orange F"},
                                             {.B1 = 0x10, .B2 = 0xF0, .Name = "SFR"},
                                             {.B1 = 0x20, .B2 = 0xF0, .Name = "Bouygues T\xE9l\xE9\x63om"}})}),
  });
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication App(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kavex_sample_image FILE\n");
    return 64;
  }
  const Bytes Image = SampleImage();
  QFile Out(QString::fromLocal8Bit(argv[1]));
  if (!Out.open(QIODevice::WriteOnly) ||
      Out.write(reinterpret_cast<const char*>(Image.data()), static_cast<qint64>(Image.size())) != static_cast<qint64>(Image.size())) {
    std::fprintf(stderr, "kavex_sample_image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
