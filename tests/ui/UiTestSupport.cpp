#include "UiTestSupport.h"

#include <QFile>

#include "model/Kav_Chunk.h"
#include "ui/ImageTree.h"
#include "ui/LogWindow.h"
#include "ui/Main.h"

namespace kavtest {

IsolatedSettings::IsolatedSettings() {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir_.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir_.path());
}

IsolatedSettings::~IsolatedSettings() {
  // Never fall back to the real user's folder: the next test sets its own.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/nonexistent-kavex-settings"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/nonexistent-kavex-settings"));
}

std::unique_ptr<QSettings> IsolatedSettings::Open() const {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Quorrel", "Kavex");
}

QString IsolatedSettings::Value(const QString& Key) const {
  const QVariant V = Open()->value(Key);
  return V.isValid() ? V.toString() : QStringLiteral("<missing>");
}

DialogAnswers::DialogAnswers() {
  kavex::DialogHooks().RunFileDialog = [this](QWidget*, kavex::TFileDialog& D) {
    Dialogs_.push_back(D);
    if (Files_.empty()) {
      ++Unanswered_;
      return false;
    }
    const std::optional<QString> Answer = Files_.front();
    Files_.pop_front();
    if (!Answer) return false;
    D.FileName = *Answer;
    return true;
  };
  kavex::DialogHooks().ShowMessage = [this](QWidget*, const QString& Title, const QString& Text, kavex::TMsgBoxIcon Icon) {
    Messages_.push_back({Title, Text, Icon});
  };
  kavex::DialogHooks().AskYesNo = [this](QWidget*, const QString&, const QString& Text) {
    Questions_.push_back(Text);
    if (Answers_.empty()) {
      ++Unanswered_;
      return false;
    }
    const bool Yes = Answers_.front();
    Answers_.pop_front();
    return Yes;
  };
  kavex::DialogHooks().AskText = [this](QWidget*, const QString&, const QString&, QString& Text) {
    if (Texts_.empty()) {
      ++Unanswered_;
      return false;
    }
    const std::optional<QString> Answer = Texts_.front();
    Texts_.pop_front();
    if (!Answer) return false;
    Text = *Answer;
    return true;
  };
  kavex::DialogHooks().RunFontDialog = [this](QWidget*, QFont& Font, const std::function<void(const QFont&)>& Apply) {
    FontsSeen_.push_back(Font);
    if (Fonts_.empty()) {
      ++Unanswered_;
      return false;
    }
    const FontDialogRun Run = Fonts_.front();
    Fonts_.pop_front();
    for (const QFont& F : Run.Applied) Apply(F);
    if (Run.WhileOpen) Run.WhileOpen();
    if (!Run.Confirmed) return false;
    Font = *Run.Confirmed;
    return true;
  };
}

DialogAnswers::~DialogAnswers() { kavex::ResetDialogHooks(); }

QString ImageFolder::Write(const QString& Name, const Bytes& Content) {
  const QString P = Dir_.filePath(Name);
  QFile F(P);
  if (F.open(QIODevice::WriteOnly)) F.write(reinterpret_cast<const char*>(Content.data()), static_cast<qint64>(Content.size()));
  return P;
}

Bytes GoodImage(std::vector<Bytes> Chunks, const Bytes& Eeprom) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  P.Chunks.push_back(EndChunk());
  return DivudImage(Mcu{}, P, Eeprom);
}

Bytes BrokenWinTesla() {
  return Concat({WinTeslaHeader(0x200000, 16), Bytes(16, 0x11), WinTeslaHeader(0x300000, 16), Bytes(16, 0x22)});
}

QStringList LogLines(const kavex::TKavexApp& App) {
  QStringList Out;
  auto& Log = const_cast<kavex::TKavexApp&>(App).Log();
  for (std::size_t I = 0; I < Log.Store().Count(); ++I) Out << QString::fromStdString(kavex::FormatMsgLine(Log.Store().At(I)));
  return Out;
}

std::vector<int> LogIdents(const kavex::TKavexApp& App) {
  std::vector<int> Out;
  auto& Log = const_cast<kavex::TKavexApp&>(App).Log();
  for (std::size_t I = 0; I < Log.Store().Count(); ++I) Out.push_back(Log.Store().At(I).Ident);
  return Out;
}

QModelIndex ChunkItem(kavex::TfMain& Main, const char* Name) {
  const QAbstractItemModel* Nodes = Main.tvMain->model();
  const QModelIndex Root = Nodes->index(0, 0);
  for (int A = 0; A < Nodes->rowCount(Root); ++A)
    for (int C = 0; C < Nodes->rowCount(Nodes->index(A, 0, Root)); ++C) {
      const QModelIndex Item = Nodes->index(C, 0, Nodes->index(A, 0, Root));
      const auto* Chunk = dynamic_cast<const kavex::TChunk*>(kavex::TImageTreeModel::ModelNode(Item));
      if (Chunk && Chunk->NameText() == Name) return Item;
    }
  return {};
}

}  // namespace kavtest
