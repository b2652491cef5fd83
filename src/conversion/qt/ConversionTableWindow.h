// TConversionTableWindow "Conversion definition table": the conversion
// table one unit category at a time, in a grid of its definitions ("#",
// "Unit A", "Unit B", "A => B", "B => A"), with the menus that edit it and
// its files. Its dialogs: TDefinitionDialog (add or edit a definition),
// TDeleteDefinitionsDialog and TNameDialog (a category's or a unit's name).
//
// The table belongs to the calculator, whose worker reads it in Conv: every
// change runs on the worker, queued through the main window, and the window
// shows copies of what it read when no change was running.
#pragma once

#include <QAbstractTableModel>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QWidget>
#include <array>
#include <deque>
#include <functional>
#include <memory>

#include "Calculator.h"
#include "ConvRenumbering.h"
#include "ConversionTable.h"
#include "FieldDialogs.h"

namespace helmax {

class TUnitGraphWindow;

// The rows of one category, as copies: "#", "Unit A", "Unit B", "A => B",
// "B => A". The two expressions are edited in place: an edit is handed to
// the window (CellEdited), which changes the table when the text passes.
class TConversionRowsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using TRow = std::array<QString, 4>;
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void SetRows(std::vector<TRow> rows);
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  // row and column from 1 (3: A => B, 4: B => A).
  void CellEdited(int row, int column, const QString& text);

 private:
  std::vector<TRow> Rows_;
};

// Unit A and Unit B, each with the box of its number (from 1), and the two
// expressions.
class TDefinitionDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TDefinitionDialog(QWidget* owner);
  // Fills both unit boxes, nothing chosen.
  void SetUnits(const QStringList& units);
  QComboBox* UnitABox() const { return UnitA_; }
  QComboBox* UnitBBox() const { return UnitB_; }
  QLineEdit* NumberAEdit() const { return NumberA_; }
  QLineEdit* NumberBEdit() const { return NumberB_; }
  QLineEdit* ForwardEdit() const { return Forward_; }
  QLineEdit* BackwardEdit() const { return Backward_; }
  QPushButton* AddUnitButton() const { return AddUnit_; }
  QPushButton* EditUnitButton() const { return EditUnit_; }
  std::function<void()> OnOk, OnAddUnit, OnEditUnit;
  void Close() { QDialog::accept(); }

 public slots:
  void accept() override;

 private:
  void Pair(QComboBox* box, QLineEdit* number);
  QComboBox* UnitA_;
  QComboBox* UnitB_;
  QLineEdit* NumberA_;
  QLineEdit* NumberB_;
  QLineEdit* Forward_;
  QLineEdit* Backward_;
  QPushButton* AddUnit_;
  QPushButton* EditUnit_;
};

class TDeleteDefinitionsDialog : public TFromCountDialog {
  Q_OBJECT
 public:
  explicit TDeleteDefinitionsDialog(QWidget* owner)
      : TFromCountDialog(owner, "deleteDefinitionsDialog", "Delete definition", false, "1", TButtons::OwnRow) {}
  std::function<void()> OnOk;
  void Close() { QDialog::accept(); }

 public slots:
  void accept() override;
};

class TNameDialog : public TNameFieldDialog {
  Q_OBJECT
 public:
  explicit TNameDialog(QWidget* owner) : TNameFieldDialog(owner, "nameDialog", "name", "x", 340, TButtons::OwnRow) {}
  std::function<void()> OnOk;
  void Close() { QDialog::accept(); }

 public slots:
  void accept() override;
};

class TConversionTableWindow : public QWidget {
  Q_OBJECT
 public:
  TConversionTableWindow(TCalculator& calc, QWidget* owner);
  ~TConversionTableWindow() override;

  using TRunForTool =
      std::function<void(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish)>;
  // How changes reach the table: on the calculator's worker (without it,
  // at once).
  TRunForTool RunForTool;
  std::function<void()> OnShowMain, OnShowConversion;
  // After every change (the conversions are locked until the next check)
  // and every save (which checks the table).
  std::function<void()> OnLocked;
  // After a change that moved ids of Conv (categories or units now at other
  // positions): where each went.
  std::function<void(const TConvIdMapping&)> OnIdsMoved;
  void SetGraphWindow(TUnitGraphWindow* graph);

  void ShowWindow();
  // Shows the table as it is now (after a change that did not come from
  // this window).
  void ShowTable();

  // File menu; the ...File forms take the file the user picked.
  void NewTable();
  void OpenTable();
  void OpenTableFile(const QString& fileName);
  void SaveTable();
  void SaveTableAs();
  void SaveTableAsFile(const QString& fileName);
  void RestoreDefaultTable();
  // Edit and Category menus, and the grid (row from 1).
  void AddDefinition();
  void EditRow(int row);
  void DeleteDefinitions();
  // An expression edited in its cell (row from 1, column 3 or 4), checked
  // as the definition dialog checks it.
  void EditCell(int row, int column, const QString& text);
  // Edit > Undo (Ctrl+Z): the table as it was before the last edit; up to
  // kUndoSteps edits back (a file opened or made new starts afresh).
  static constexpr std::size_t kUndoSteps = 50;
  void Undo();
  bool CanUndo() const { return !UndoSteps_.empty(); }
  void AddCategory();
  void EditCategory();
  void DeleteCategory();
  // Window > Graph: the selected category in the graph window; false when
  // there is none or it is too large.
  bool ShowGraph();
  // When the program ends: false keeps it running (unsaved edits).
  bool MayExit();

  int CurrentCategory() const { return Categories_->currentIndex(); }
  void SelectCategory(const QString& name);
  int CurrentRow() const { return CurrentRow_; }
  bool Running() const { return Running_; }
  QComboBox* CategoryBox() const { return Categories_; }
  QTableView* Grid() const { return Grid_; }
  TConversionRowsModel* Model() const { return Model_; }
  QString StatusText() const { return Status_->currentMessage(); }
  QAction* Action(const QString& objectName) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TNameMode { AddCategory, EditCategory, AddUnit, EditUnit };
  void BuildMenus(QWidget* menuBar);
  // Runs change on the table where the calculator allows it, then after
  // with its answer, here. An edit can be undone; a file read starts the
  // undo steps afresh. renamed: the category or unit the change renames.
  enum class TChangeKind { Edit, Load, Keep };
  void Change(std::function<bool(TConversionTable&)> change, std::function<void(bool)> after,
              TChangeKind kind = TChangeKind::Edit, std::vector<TRenamed> renamed = {});
  struct TUndoStep {
    std::vector<TUnitCategory> Categories;
    std::vector<TRenamed> Renamed;
  };
  // Refills the category box (selecting category, -1 for none) and the
  // grid from the table.
  void ShowCategories(int category);
  void ShowCategory();
  void ShowFileState();
  // After a change: the conversions locked, the graph drawn again, the
  // current row selected at the top of the grid.
  void Locked();
  void DefinitionOk();
  void DeleteOk();
  void NameOk();
  void OpenNameDialog(TNameMode mode, const QString& caption, const QString& name);
  QString StartFolder() const;
  QString ChooseSaveFile();
  void FitColumns();

  TCalculator& Calc_;
  TConversionTable& Table_;
  std::unique_ptr<TDefinitionCheck> Check_;
  TConversionRowsModel* Model_;
  QComboBox* Categories_;
  QTableView* Grid_;
  QStatusBar* Status_;
  QAction* Save_ = nullptr;
  TDefinitionDialog* DefinitionDialog_;
  TDeleteDefinitionsDialog* DeleteDialog_;
  TNameDialog* NameDialog_;
  TUnitGraphWindow* Graph_ = nullptr;
  int CurrentRow_ = 0;       // from 1; 0: none
  bool EditingRow_ = false;  // the definition dialog edits CurrentRow_ (else adds)
  TNameMode NameMode_ = TNameMode::AddCategory;
  bool Running_ = false;             // a change is under way
  bool Filling_ = false;             // the boxes are being filled by the program
  bool Placed_ = false;              // centred on the calculator when first shown
  QStringList UnitNames_;            // of the category shown
  std::deque<TUndoStep> UndoSteps_;  // the last one last
};

}  // namespace helmax
