// TChartWindow "Chart": the functions of the table drawn as lines over the
// variable (Qt Charts), a legend whose check boxes show and hide them, and
// the chart editor. The table's numbers stay whole in the window; what is
// drawn is reduced to the few points per pixel column that the plot can
// show, again whenever the plot's width or x range changes. The axes write
// their numbers as the calculator does (1E6, not 1e+06).
#pragma once

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "ChartData.h"
#include "FunctionTable.h"

namespace helmax {

class TChartEditorDialog;

class TChartWindow : public QWidget {
  Q_OBJECT
 public:
  explicit TChartWindow(QWidget* owner);

  // The table to draw (the table window's).
  std::function<std::shared_ptr<const TFunctionTable>()> TableSource;
  std::function<void()> OnShowMain;
  std::function<void()> OnShowTable;

  // Window > Chart of the table window: rebuilds, then shows the window.
  void ShowChart();
  // View > Refresh: the chart built again from the table, with the
  // default look (what the editor changed goes).
  void Refresh();
  // Options > Chart Editor.
  void OpenEditor();

  const TChartStyle& Style() const { return Style_; }
  // The editor's and the legend's changes: applied at once.
  void ApplyStyle(const TChartStyle& style);

  QChart* Chart() const { return Chart_; }
  QChartView* View() const { return View_; }
  QListWidget* Legend() const { return Legend_; }
  TChartEditorDialog* Editor() const { return Editor_; }
  // Value axes whose tick labels are the calculator's number texts.
  QCategoryAxis* AxisX() const { return AxisX_; }
  QCategoryAxis* AxisY() const { return AxisY_; }
  const TChartData& Data() const { return Data_; }
  // The points on screen for one function, over all its runs, and the
  // pixel columns they were reduced for.
  int DrawnPointCount(int series) const;
  int DrawnColumns() const { return DrawnColumns_; }
  // The runs (line series) drawn for one function.
  const std::vector<QLineSeries*>& Lines(int series) const { return Lines_[static_cast<std::size_t>(series)]; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus(QMenuBar* menus);
  void FillLegend();
  // Draws the data for the current width and ranges.
  void Redraw();
  TAxisRange XRange() const;

  QChart* Chart_;
  QChartView* View_;
  QListWidget* Legend_;
  QCategoryAxis* AxisX_;
  QCategoryAxis* AxisY_;
  TChartEditorDialog* Editor_;
  QTimer* RedrawTimer_;
  TChartData Data_;
  TChartStyle Style_;
  std::vector<std::vector<QLineSeries*>> Lines_;  // per function, one series per run between gaps
  int DrawnWidth_ = 0;                            // the plot's width at the last drawing
  int DrawnColumns_ = 0;                          // the pixel columns the points were reduced for
  bool FillingLegend_ = false;
};

}  // namespace helmax
