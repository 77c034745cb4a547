// TfMain's exports (the text tables, the fonts and the bytes of one node, written as
// kavex-dump writes them) and the zoom of the font picture.

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <cstring>

#include "model/Kav_Fls.h"
#include "present/Kav_Walk.h"
#include "settings/SettingsNames.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

namespace kavex {
namespace {

QString Native(const std::filesystem::path& Path) { return QDir::toNativeSeparators(QString::fromStdString(Path.string())); }

// Why a file was not written: the system's reason where it gave one.
QString WriteFailure(TWriteResult Result, int SystemError) {
  if (Result != TWriteResult::Exists && SystemError != 0) return QString::fromLocal8Bit(std::strerror(SystemError));
  switch (Result) {
    case TWriteResult::Written: break;
    case TWriteResult::Exists: return QStringLiteral("it exists already");
    case TWriteResult::CannotCreate: return QStringLiteral("it cannot be created");
    case TWriteResult::CannotWrite: return QStringLiteral("it cannot be written");
  }
  return {};
}

}  // namespace

void TfMain::CreateExportActions() {
  aExportTexts = MakeAction(this, QStringLiteral("Export &texts..."), QStringLiteral("Write every text table to a folder as TSV files"));
  connect(aExportTexts, &QAction::triggered, this, [this] { ExportTexts(); });
  aExportFonts = MakeAction(this, QStringLiteral("Export &fonts..."), QStringLiteral("Write every font to a folder as a PNG glyph sheet"));
  connect(aExportFonts, &QAction::triggered, this, [this] { ExportFonts(); });
  aSaveNodeBytes = MakeAction(this, QStringLiteral("Save &bytes of the selected node..."),
                                    QStringLiteral("Write the raw bytes of the selected node to a file"));
  connect(aSaveNodeBytes, &QAction::triggered, this, [this] { SaveNodeBytes(); });

  aZoomIn = MakeAction(this, QStringLiteral("Zoom &in"), QStringLiteral("Enlarge the font picture"));
  aZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  connect(aZoomIn, &QAction::triggered, this, [this] { ZoomFontPicture(1); });
  aZoomOut = MakeAction(this, QStringLiteral("Zoom &out"), QStringLiteral("Reduce the font picture"));
  aZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
  connect(aZoomOut, &QAction::triggered, this, [this] { ZoomFontPicture(-1); });
}

void TfMain::UpdateExportActions() {
  if (!aExportTexts || !tvMain) return;
  const bool Shown = ShownModel() != nullptr;
  aExportTexts->setEnabled(Shown);
  aExportFonts->setEnabled(Shown);
  const TKavClass* Node = Shown ? TImageTreeModel::ModelNode(tvMain->currentIndex()) : nullptr;
  aSaveNodeBytes->setEnabled(Node && !Node->ImageBytes().empty());
}

void TfMain::ZoomFontPicture(int Steps) {
  pAllInfo->SetFontZoom(pAllInfo->FontZoom() + Steps);
  Settings_->WriteInteger(settings::FontPicture, settings::Zoom, pAllInfo->FontZoom());
}

void TfMain::ExportTexts() {
  ExportToFolder(QStringLiteral("Export texts"), settings::TextsFolder, QStringLiteral("text tables"),
                 [](const TKavClass& Root, const std::string& Dir, std::vector<std::string>&) { return PlanTextExports(Root, Dir); });
}

void TfMain::ExportFonts() {
  ExportToFolder(QStringLiteral("Export fonts"), settings::FontsFolder, QStringLiteral("fonts"),
                 [](const TKavClass& Root, const std::string& Dir, std::vector<std::string>& Notes) {
                   bool Cut = false;
                   return PlanFontExports(Root, Dir, Notes, Cut);
                 });
}

void TfMain::ExportToFolder(const QString& Title, const QString& Name, const QString& What,
                            const std::function<std::vector<TExportFile>(const TKavClass&, const std::string&,
                                                                         std::vector<std::string>&)>& Plan) {
  if (!ShownModel()) return;
  TFileDialog Dialog;
  Dialog.Kind = TFileDialog::Folder;
  Dialog.Title = Title;
  Dialog.InitialDir = Settings_->ReadString(settings::Export, Name, QString());
  if (!DialogHooks().RunFileDialog(this, Dialog)) return;
  const QString Folder = Dialog.FileName;

  // The shown model, built whole through the tree (as kavex-dump builds it, so that the
  // positions in the names are the same); what that builds reaches the log as an expansion's
  // messages do. The view's expanded nodes stay as they are.
  const int Errors = tvMain->Nodes()->FetchAll();
  std::vector<std::string> Notes;
  const std::vector<TExportFile> Files = Plan(*ShownModel(), QDir(Folder).absolutePath().toStdString(), Notes);
  if (Errors > 0) Notes.push_back("Parts of the image could not be read; the log has the details.");
  int Written = 0;
  if (!WriteExportFiles(Files, Written)) return;
  // Only a folder that took the files is proposed again; one whose write failed is not.
  Settings_->WriteString(settings::Export, Name, Folder);
  QString Text = Files.empty() ? QStringLiteral("The image holds no %1; nothing was written.").arg(What)
                                                : QStringLiteral("%1 files written to %2.").arg(Written).arg(QDir::toNativeSeparators(Folder));
  for (const std::string& Note : Notes) Text += QLatin1Char('\n') + QString::fromStdString(Note);
  DialogHooks().ShowMessage(this, ApplicationTitle(), Text, TMsgBoxIcon::Information);
}

bool TfMain::WriteExportFiles(const std::vector<TExportFile>& Files, int& Written) {
  Written = 0;
  const std::size_t Existing = ExistingExportFiles(Files).size();
  if (Existing > 0) {
    const QString Question = Existing == 1 && Files.size() == 1
                                 ? QStringLiteral("%1 exists already.\nDo you want to replace it?").arg(Native(Files.front().Path))
                                 : QStringLiteral("%1 of the %2 files exist already in %3.\nDo you want to replace them?")
                                       .arg(Existing)
                                       .arg(Files.size())
                                       .arg(Native(Files.front().Path.parent_path()));
    if (!DialogHooks().AskYesNo(this, ApplicationTitle(), Question)) return false;
  }
  const std::optional<TExportFailure> Failure =
      kavex::WriteExportFiles(Files, Existing > 0, false, [&Written](const std::filesystem::path&) { ++Written; });
  if (!Failure) return true;
  DialogHooks().ShowMessage(this, ApplicationTitle(),
                            QStringLiteral("%1 was not written: %2.\n%3 of %4 files were written before it.")
                                .arg(Native(Failure->Path), WriteFailure(Failure->Result, Failure->SystemError))
                                .arg(Written)
                                .arg(Files.size()),
                            TMsgBoxIcon::Error);
  return false;
}

void TfMain::SaveNodeBytes() {
  const QModelIndex Current = tvMain->currentIndex();
  const TKavClass* Node = TImageTreeModel::ModelNode(Current);
  if (!Node) return;
  const TBytes Bytes = NodeBytes(*Node);
  if (Bytes.empty()) return;
  TFileDialog Dialog;
  Dialog.Kind = TFileDialog::Save;
  Dialog.Title = QStringLiteral("Save bytes of the selected node");
  Dialog.Filter = QStringLiteral("Binary files (*.bin)|*.bin|All files (*.*)|*.*");
  Dialog.DefaultExt = QStringLiteral("bin");
  Dialog.FolderMustExist = true;
  Dialog.ConfirmOverwrite = false;  // asked below, once
  Dialog.InitialDir = Settings_->ReadString(settings::Export, settings::BytesFolder, QString());
  const QString Proposed = QString::fromStdString(NodePosition(*Node)) + QLatin1Char('_') +
                           QString::fromStdString(SafeNamePart(Node->GetCaption(), 40, "node")) + QStringLiteral(".bin");
  Dialog.FileName = Dialog.InitialDir.isEmpty() ? Proposed : QDir(Dialog.InitialDir).filePath(Proposed);
  if (!DialogHooks().RunFileDialog(this, Dialog)) return;
  int Written = 0;
  if (!WriteExportFiles({{Dialog.FileName.toStdString(), [&Bytes] { return Bytes; }}}, Written)) return;
  Settings_->WriteString(settings::Export, settings::BytesFolder, QFileInfo(Dialog.FileName).absolutePath());
  DialogHooks().ShowMessage(this, ApplicationTitle(),
                            QStringLiteral("%1 bytes written to %2.").arg(Bytes.size()).arg(QDir::toNativeSeparators(Dialog.FileName)),
                            TMsgBoxIcon::Information);
}

}  // namespace kavex
