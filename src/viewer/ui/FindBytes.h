#pragma once
// Edit > Find bytes...: the dialog that asks for a byte pattern (hex or text), how to read it
// and where to look. It stays open beside the main window, which runs the search.

#include <QDialog>

#include "present/Kav_FindBytes.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kavex {

// A search as it was asked for: the pattern made of the field's text, and its scope.
struct TByteSearch {
  TBytePattern Pattern;
  bool WholeImage = false;
};

class TFindBytesDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFindBytesDialog(QWidget* Parent = nullptr);

  // The search the fields ask for now (the pattern's Error says why it is none).
  TByteSearch Request() const;
  TBytePatternKind Kind() const;
  void SetKind(TBytePatternKind Kind);
  bool WholeImage() const;
  void SetWholeImage(bool Whole);
  // Shows the dialog, raised, with the pattern selected for typing over.
  void Open();

  QLineEdit* ePattern = nullptr;
  QComboBox* cbKind = nullptr;  // hex, text in Windows-1252, text in UTF-16BE
  QRadioButton* rbNode = nullptr;
  QRadioButton* rbImage = nullptr;
  QLabel* stResult = nullptr;  // where the last search ended
  QPushButton* bFind = nullptr;
  // The search that ran last, which F3 and Shift+F3 go on with; no bytes before the first.
  TByteSearch Last;

signals:
  void FindRequested();
};

}  // namespace kavex
