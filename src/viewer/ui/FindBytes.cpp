#include "ui/FindBytes.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kavex {

TFindBytesDialog::TFindBytesDialog(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("dlgFindBytes"));
  setWindowTitle(QStringLiteral("Find bytes"));
  ePattern = new QLineEdit(this);
  ePattern->setObjectName(QStringLiteral("ePattern"));
  ePattern->setPlaceholderText(QStringLiteral("4E 4F 4B"));
  ePattern->setMinimumWidth(260);
  cbKind = new QComboBox(this);
  cbKind->setObjectName(QStringLiteral("cbKind"));
  // In the order of TBytePatternKind.
  cbKind->addItems({QStringLiteral("Hex"), QStringLiteral("Text (Windows-1252)"), QStringLiteral("Text (UTF-16BE)")});
  rbNode = new QRadioButton(QStringLiteral("&Selected node"), this);
  rbNode->setObjectName(QStringLiteral("rbNode"));
  rbImage = new QRadioButton(QStringLiteral("&Whole image"), this);
  rbImage->setObjectName(QStringLiteral("rbImage"));
  rbNode->setChecked(true);
  auto* Scope = new QHBoxLayout;
  Scope->addWidget(rbNode);
  Scope->addWidget(rbImage);
  Scope->addStretch();

  auto* Form = new QFormLayout;
  Form->addRow(QStringLiteral("&Bytes:"), ePattern);
  Form->addRow(QStringLiteral("&As:"), cbKind);
  Form->addRow(QStringLiteral("Look in:"), Scope);
  stResult = new QLabel(this);
  stResult->setObjectName(QStringLiteral("stResult"));

  auto* Buttons = new QDialogButtonBox(this);
  bFind = Buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::AcceptRole);
  bFind->setObjectName(QStringLiteral("bFind"));
  bFind->setDefault(true);
  Buttons->addButton(QDialogButtonBox::Close);
  // Find searches and leaves the dialog open; Close (and Escape) hides it.
  connect(Buttons, &QDialogButtonBox::accepted, this, &TFindBytesDialog::FindRequested);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* Layout = new QVBoxLayout(this);
  Layout->addLayout(Form);
  Layout->addWidget(stResult);
  Layout->addWidget(Buttons);
}

TByteSearch TFindBytesDialog::Request() const {
  return {ParseBytePattern(ePattern->text().toStdU16String(), Kind()), WholeImage()};
}

TBytePatternKind TFindBytesDialog::Kind() const {
  return static_cast<TBytePatternKind>(std::clamp(cbKind->currentIndex(), 0, cbKind->count() - 1));
}

void TFindBytesDialog::SetKind(TBytePatternKind Kind) { cbKind->setCurrentIndex(static_cast<int>(Kind)); }

bool TFindBytesDialog::WholeImage() const { return rbImage->isChecked(); }

void TFindBytesDialog::SetWholeImage(bool Whole) { (Whole ? rbImage : rbNode)->setChecked(true); }

void TFindBytesDialog::Open() {
  show();
  raise();
  activateWindow();
  ePattern->setFocus();
  ePattern->selectAll();
}

}  // namespace kavex
