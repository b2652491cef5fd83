// TInterpolationWindow "Interpolation table": one tab per sheet (tabs at the
// bottom), each a grid of points over the core's TInterpolationSheets; the
// Edit, Options and File commands; and its two dialogs, TRowsCountDialog
// "Rows count" and TDeleteRowsDialog "Delete rows". Beside the sheets, a
// chart of the active sheet's points with its Lagrange and spline curves,
// and both values at an x the user types, kept up to date as the sheet and
// the x change.
#pragma once

#include <QAbstractTableModel>
#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>
#include <functional>

#include "InterpolationSheets.h"
#include "ProgressDisplay.h"
#include "ToolHost.h"

namespace helmax {

// One sheet: "#" (the row number), "x", "f(x)"; the two value columns are
// edited in place.
class TSheetModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  TSheetModel(TInterpolationSheets& sheets, int sheet, QObject* parent)
      : QAbstractTableModel(parent), Sheets_(sheets), Sheet_(sheet) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  int Sheet() const { return Sheet_; }
  // The rows changed from outside (row count, file, ordering).
  void Reload();

 private:
  TInterpolationSheets& Sheets_;
  int Sheet_;
};

class TRowsCountDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TRowsCountDialog(QWidget* owner);
  QLineEdit* CountEdit() const { return Count_; }
  std::function<bool()> OnOk;  // the dialog closes when it returns true
 public slots:
  void accept() override;

 private:
  QLineEdit* Count_;
};

class TDeleteRowsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TDeleteRowsDialog(QWidget* owner);
  QLineEdit* FromEdit() const { return From_; }
  QLineEdit* CountEdit() const { return Count_; }
  std::function<bool()> OnOk;
 public slots:
  void accept() override;

 private:
  QLineEdit* From_;
  QLineEdit* Count_;
};

class TInterpolationWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Interpolation table";

  TInterpolationWindow(TToolHost host, QWidget* owner);

  void ShowWindow();
  int ActiveSheet() const { return Tabs_->currentIndex(); }
  QTableView* Grid(int sheet) const;
  QTabWidget* Tabs() const { return Tabs_; }

  // Edit menu.
  void AddRows();
  void DeleteRows();
  void AddSheet();
  void DeleteSheet();
  // Options menu.
  void SetSplineKind(TSplineKind kind);
  void Ordination();
  // File menu; the ...File forms take the file the user picked.
  void Open();
  void OpenFile(const QString& fileName);
  void Save();
  void SaveAs();
  bool SaveAsFile(const QString& fileName);
  // When the program ends: false keeps it running.
  bool MayExit();
  // Grid keys: copy, cut, paste and delete of the selected cells.
  void CopyCells();
  void PasteCells(const QString& text);
  void ClearCells();
  bool Running() const { return Indicator_->Running() && !Watching_; }

  // The chart and the "evaluate at x" field.
  QChart* Chart() const { return Chart_; }
  QScatterSeries* PointSeries() const { return Points_; }
  QLineSeries* LagrangeSeries() const { return LagrangeCurve_; }
  QLineSeries* SplineSeries() const { return SplineCurve_; }
  QLineEdit* EvaluateEdit() const { return EvaluateAt_; }
  QLabel* LagrangeLabel() const { return LagrangeValue_; }
  QLabel* SplineLabel() const { return SplineValue_; }
  QLabel* ViewMessage() const { return ViewMessage_; }
  // The chart and the values follow the latest change.
  bool ViewCurrent() const { return !ViewTimer_->isActive() && !ViewQueued_ && !ViewRunning_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Cancel (or Esc): stops the window's run, or the evaluation whose sheet
  // reading the window shows.
  void CancelRun();

 private:
  void BuildMenus(QMenuBar* menus);
  // One tab per sheet, captioned by its number.
  void RebuildTabs();
  void ShowActiveSheet();
  void FitColumns(QTableView* grid);
  void ReloadActive();
  QString StartFolder() const;
  QWidget* BuildView();
  // The view is computed on the worker a moment after the latest change.
  void ScheduleView();
  void UpdateView();
  void ShowView(const TInterpolationSheets::TSheetView& view);

  TToolHost Host_;
  TInterpolationSheets& Sheets_;
  QTabWidget* Tabs_;
  QAction* Save_ = nullptr;
  QAction* Natural_ = nullptr;
  QAction* Periodic_ = nullptr;
  TRowsCountDialog* RowsDialog_;
  TDeleteRowsDialog* DeleteDialog_;
  TProgressDisplay* Indicator_;
  bool Watching_ = false;  // the indicator shows a reading that an expression started
  QChart* Chart_ = nullptr;
  QCategoryAxis* AxisX_ = nullptr;
  QCategoryAxis* AxisY_ = nullptr;
  QScatterSeries* Points_ = nullptr;
  QLineSeries* LagrangeCurve_ = nullptr;
  QLineSeries* SplineCurve_ = nullptr;
  QLineEdit* EvaluateAt_ = nullptr;
  QLabel* LagrangeValue_ = nullptr;
  QLabel* SplineValue_ = nullptr;
  QLabel* ViewMessage_ = nullptr;
  QTimer* ViewTimer_ = nullptr;
  bool ViewQueued_ = false;     // a view's work waits on the worker
  bool ViewRunning_ = false;    // it runs
  bool ViewCancelled_ = false;  // Cancel stopped it
};

}  // namespace helmax
