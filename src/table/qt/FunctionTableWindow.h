// TFunctionTableWindow "Functions table": the grid of the function table
// (columns "#" and the variable fixed, the functions scrolling), its Save
// As, the Null marker option, the spreadsheet export and the chart. The
// table is computed by the core on the calculator's worker (through the
// main window's queue); the window shows it and forwards the commands.
#pragma once

#include <QAbstractTableModel>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QWidget>
#include <functional>
#include <memory>

#include "Calculator.h"
#include "FrozenColumnsView.h"
#include "FunctionTable.h"
#include "ProgressDisplay.h"
#include "QtUserInterface.h"
#include "WorkProgress.h"

namespace helmax {

class TChartWindow;

// The table's cells and headers for the grid.
class TFunctionTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Another table (the model is reset), or the same with new texts.
  void ShowTable(const TFunctionTable* table);
  void TextsChanged();

 private:
  const TFunctionTable* Table_ = nullptr;
};

class TFunctionTableWindow : public QWidget {
  Q_OBJECT
 public:
  using TRunForTool =
      std::function<void(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish)>;

  // calc is used only by the work handed to RunForTool; ui takes the
  // messages (from any thread).
  TFunctionTableWindow(TCalculator& calc, TUserInterface& ui, QWidget* owner);
  ~TFunctionTableWindow() override;

  // Wiring by the main window: how work reaches the calculator's worker,
  // how a run is stopped, and the other windows.
  TRunForTool RunForTool;
  std::function<void()> StopCalculation;
  // Called on the worker now and then while the table is computed, so that
  // the calculator may evaluate in between (the main window's typing).
  std::function<void()> PausePoint;
  std::function<void()> OnShowMain;
  std::function<void()> OnShowConstants;
  void SetChartWindow(TChartWindow* chart);
  // Opens a file with the desktop's program for its type; false when none
  // could be started. Tests replace it.
  std::function<bool(const QString& file)> OpenWithDesktop;

  // Functions > Table: computes the table and shows the window.
  void ComputeTable();
  // File menu; the ...File forms take the file the user picked.
  void SaveAs();
  void SaveAsFile(const QString& fileName);
  void ExportWorkbook();
  void ExportWorkbookFile(const QString& fileName);
  // Window > Excel OLE: a workbook in a fresh temporary folder, opened with
  // the desktop's spreadsheet program.
  void OpenInSpreadsheet();
  void ShowChart();
  void SetNullMarker(bool on);

  const TFunctionTable& Table() const { return *Table_; }
  std::shared_ptr<const TFunctionTable> SharedTable() const { return Table_; }
  TFrozenColumnsView* Grid() const { return Grid_; }
  // True while work of this window runs or waits for the worker.
  bool Busy() const { return Busy_; }
  QString StatusText() const { return Info_->text(); }

 protected:
 private:
  void BuildMenus(QMenuBar* menus);
  // Runs work through the calculator's queue with the progress shown;
  // finish runs on this thread afterwards.
  void StartRun(const QString& activity, std::function<void()> work, std::function<void()> finish);
  void ShowNewTable(std::shared_ptr<TFunctionTable> table, int columnWidth);
  void FitWidthToColumns();
  // The table to change in place: a copy when work elsewhere still reads it.
  TFunctionTable& EditableTable();
  QString ChooseSaveFile(const QString& caption, const QString& filter, const QString& suffix);
  void ShowInfo();

  TCalculator& Calc_;
  std::unique_ptr<TGuiThreadUserInterface> Ui_;
  std::shared_ptr<TFunctionTable> Table_;
  TFunctionTableModel* Model_;
  TFrozenColumnsView* Grid_;
  TChartWindow* Chart_ = nullptr;
  QAction* NullMarker_ = nullptr;
  QLabel* Info_;
  TProgressDisplay* Progress_;
  TProgress WorkProgress_;
  bool Busy_ = false;
  QString LastFolder_;
};

}  // namespace helmax
