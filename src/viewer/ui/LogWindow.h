#pragma once
// The log window TfLog: lists the stored log records of the kinds switched on, filters them
// by kind, copies and exports them, clears the log, and keeps its placement and options.

#include <QAbstractTableModel>
#include <QIcon>
#include <QMainWindow>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "log/Log.h"
#include "ui/Dialogs.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class QTreeView;

namespace kavex {

class TSettingsStore;

// The rows of lvLog: each refers to a record of the store by its position there. A row exists
// only for a record whose kind was shown when the row was made.
class TLogListModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum TColumn { colKind, colId, colMessage, colPath, ColumnCount };

  explicit TLogListModel(const TMsgCollection& Store, QObject* Parent = nullptr);

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

  void AppendRow(std::size_t Record);
  // Replaces all rows at once (one reset, one repaint).
  void SetRows(std::vector<std::size_t> Records);
  const TMsgItem& RecordAt(int Row) const { return Store_.At(Rows_[static_cast<std::size_t>(Row)]); }
  // The row of the record at Record in the store; -1 when it is not listed.
  int RowOfRecord(std::size_t Record) const;

private:
  const TMsgCollection& Store_;
  std::vector<std::size_t> Rows_;
  std::array<QIcon, MsgKindCount> KindIcons_;
};

class TfLog : public QMainWindow {
  Q_OBJECT
public:
  // Installs LogMessage as the model's log procedure, so message 2 is the first record.
  explicit TfLog(TSettingsStore& Settings, QWidget* Parent = nullptr);
  ~TfLog() override;

  void AddMessage(int Ident, const std::string& Path, const std::string& Text);
  void ClearLog();
  bool ClearAtNewFile() const;
  // Options > Follow new rows: a list standing at its end stays there as rows come; otherwise
  // new rows leave it where it is.
  bool FollowNewRows() const;

  // Lines "%s (%4d) %s Path: %s" of the listed rows, top to bottom.
  QStringList BuildLines(bool SelectedOnly) const;
  void CopyLines(bool SelectedOnly);
  // Makes the row of a stored record the current and only selected one, and shows it; with no
  // record, or one whose kind is not listed, nothing is selected. False when no row was.
  bool SelectRecord(std::optional<std::size_t> Record);

  const TMsgCollection& Store() const { return Store_; }
  TLogListModel* Model() const { return Model_; }
  TFileDialog& ExportDialog() { return sdLogExport; }

  // The window's controls, for the main window and for tests.
  QTreeView* lvLog = nullptr;
  QToolBar* tbLog = nullptr;
  QMenu* pmLog = nullptr;
  std::array<QAction*, MsgKindCount> KindActions{};
  std::array<QToolButton*, MsgKindCount> KindButtons{};
  QToolButton* sbCopy = nullptr;
  QAction* aClearAtNewFile = nullptr;
  QAction* aFollowNewRows = nullptr;
  QAction* aClear = nullptr;
  QAction* aCopyToFile = nullptr;
  QAction* aCopyToClip = nullptr;
  QAction* aCopySlctd = nullptr;

signals:
  // A row was double-clicked or Enter pressed on it: the path of its record.
  void PathActivated(const QString& Path);
  // A record was stored at Record (whether its kind is listed or not).
  void RecordAdded(std::size_t Record);
  // Every record went.
  void Cleared();

private:
  void CreateActions();
  void CreateMenusAndBars();
  void RebuildList();
  void SwitchMsgKind(QAction* Action);
  void aCopyToFileExecute();
  void UpdateCommands();

  TSettingsStore& Settings_;
  TMsgCollection Store_;
  TLogListModel* Model_ = nullptr;
  TFileDialog sdLogExport;
  bool ScrollToEndPending_ = false;  // rows came while the list stood at its end
};

}  // namespace kavex
