#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

namespace kavex {
namespace {

QString& TitleStore() {
  static QString Title = QStringLiteral("Kavex");
  return Title;
}

// Qt's file dialog, which can refuse a file whose folder does not exist while it stays open.
class TQtFileDialog : public QFileDialog {
public:
  TQtFileDialog(QWidget* Parent, const QString& Title, bool FolderMustExist)
      : QFileDialog(Parent, Title), FolderMustExist_(FolderMustExist) {}

  void accept() override {
    const QStringList Files = selectedFiles();
    if (FolderMustExist_ && !Files.isEmpty() && !QFileInfo(Files.constFirst()).isDir()) {
      if (const QString Refusal = MissingFolderText(Files.constFirst()); !Refusal.isEmpty()) {
        DialogHooks().ShowMessage(this, windowTitle(), Refusal, TMsgBoxIcon::Warning);
        return;
      }
    }
    QFileDialog::accept();
  }

private:
  bool FolderMustExist_;
};

bool RunQtFileDialog(QWidget* Parent, TFileDialog& Dialog) {
  if (Dialog.Kind == TFileDialog::Folder) {
    const QString Folder = QFileDialog::getExistingDirectory(Parent, Dialog.Title, Dialog.InitialDir);
    if (Folder.isEmpty()) return false;
    Dialog.FileName = Folder;
    return true;
  }
  TQtFileDialog D(Parent, Dialog.Title, Dialog.FolderMustExist && Dialog.Kind == TFileDialog::Save);
  D.setAcceptMode(Dialog.Kind == TFileDialog::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  D.setFileMode(Dialog.Kind == TFileDialog::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  D.setNameFilters(QtNameFilters(Dialog.Filter));
  D.setDefaultSuffix(Dialog.DefaultExt);
  D.setOption(QFileDialog::DontConfirmOverwrite, !Dialog.ConfirmOverwrite);
  if (!Dialog.InitialDir.isEmpty()) D.setDirectory(Dialog.InitialDir);
  // A remembered full path proposes its own folder as well, as the initial folder would.
  if (!Dialog.FileName.isEmpty()) D.selectFile(Dialog.FileName);
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return false;
  Dialog.FileName = D.selectedFiles().constFirst();
  return true;
}

void ShowQtMessage(QWidget* Parent, const QString& Title, const QString& Text, TMsgBoxIcon Icon) {
  QMessageBox::Icon I = QMessageBox::NoIcon;
  switch (Icon) {
    case TMsgBoxIcon::None: break;
    case TMsgBoxIcon::Information: I = QMessageBox::Information; break;
    case TMsgBoxIcon::Warning: I = QMessageBox::Warning; break;
    case TMsgBoxIcon::Error: I = QMessageBox::Critical; break;
  }
  QMessageBox Box(I, Title, Text, QMessageBox::Ok, Parent);
  // The texts carry file names and typed words: "<b>" in one is shown, not obeyed.
  Box.setTextFormat(Qt::PlainText);
  Box.exec();
}

bool AskQtYesNo(QWidget* Parent, const QString& Title, const QString& Text) {
  QMessageBox Box(QMessageBox::Question, Title, Text, QMessageBox::Yes | QMessageBox::No, Parent);
  Box.setTextFormat(Qt::PlainText);
  Box.setDefaultButton(QMessageBox::No);
  return Box.exec() == QMessageBox::Yes;
}

bool AskQtText(QWidget* Parent, const QString& Title, const QString& Label, QString& Text) {
  bool Ok = false;
  const QString Answer = QInputDialog::getText(Parent, Title, Label, QLineEdit::Normal, Text, &Ok);
  if (Ok) Text = Answer;
  return Ok;
}

// The display font is a family and a size: the dialog offers no style and no effects. Qt's
// dialog has no option for that, so the style list (found as the buddy of its label and the
// focus proxy of its field) and the effects group (the box holding the check boxes) are hidden.
void HideFontStyleChoice(QFontDialog& D) {
  const QList<QListView*> Lists = D.findChildren<QListView*>(Qt::FindDirectChildrenOnly);
  if (Lists.size() != 3) return;  // family, style, size; another layout is left as it is
  QListView* StyleList = Lists[1];
  StyleList->hide();
  for (QLabel* Label : D.findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
    if (Label->buddy() == StyleList) Label->hide();
  for (QLineEdit* Edit : D.findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
    if (Edit->focusProxy() == StyleList) Edit->hide();
  for (QGroupBox* Group : D.findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
    if (!Group->findChildren<QCheckBox*>().isEmpty()) Group->hide();
}

bool RunQtFontDialog(QWidget* Parent, QFont& Font, const std::function<void(const QFont&)>& Apply) {
  QFontDialog D(Font, Parent);
  // Only Qt's own dialog lets us add a button; it keeps the dialog open for an Apply role.
  D.setOption(QFontDialog::DontUseNativeDialog);
  HideFontStyleChoice(D);
  if (auto* Box = D.findChild<QDialogButtonBox*>()) {
    QPushButton* ApplyButton = Box->addButton(QDialogButtonBox::Apply);
    QObject::connect(ApplyButton, &QPushButton::clicked, &D, [&D, &Apply] { Apply(D.currentFont()); });
  }
  if (D.exec() != QDialog::Accepted) return false;
  Font = D.selectedFont();
  return true;
}

}  // namespace

QStringList QtNameFilters(const QString& Filter) {
  const QStringList Parts = Filter.split(QLatin1Char('|'));
  QStringList Out;
  for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
    QString Description = Parts[I];
    // The description may show its patterns itself; Qt reads them from the parentheses we add.
    const qsizetype Paren = Description.indexOf(QStringLiteral(" ("));
    if (Paren > 0 && Description.endsWith(QLatin1Char(')'))) Description.truncate(Paren);
    QStringList Patterns = Parts[I + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // "*.*" means every file; on file systems where names need no dot that is "*".
    for (QString& P : Patterns)
      if (P == QLatin1String("*.*")) P = QStringLiteral("*");
    Out << Description + QStringLiteral(" (") + Patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return Out;
}

QString MissingFolderText(const QString& FileName) {
  const QFileInfo File(FileName);
  if (QFileInfo(File.absolutePath()).isDir()) return {};
  return QStringLiteral("%1\nPath does not exist.\nCheck the path and try again.").arg(File.fileName());
}

TDialogHooks& DialogHooks() {
  static TDialogHooks Hooks{&RunQtFileDialog, &ShowQtMessage, &RunQtFontDialog, &AskQtYesNo, &AskQtText};
  return Hooks;
}

void ResetDialogHooks() { DialogHooks() = TDialogHooks{&RunQtFileDialog, &ShowQtMessage, &RunQtFontDialog, &AskQtYesNo, &AskQtText}; }

QString ApplicationTitle() { return TitleStore(); }
void SetApplicationTitle(const QString& Title) { TitleStore() = Title; }

QString ErrorBoxText(const QString& Message) {
  if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) return Message + QLatin1Char('.');
  return Message;
}

void ShowErrorBox(QWidget* Parent, const std::exception& Error) {
  DialogHooks().ShowMessage(Parent, ApplicationTitle(), ErrorBoxText(QString::fromUtf8(Error.what())),
                            TMsgBoxIcon::Error);
}

}  // namespace kavex
