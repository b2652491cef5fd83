// TChartEditorDialog "Chart Editor": the chart's title, the axes' titles and
// ranges (or automatic), grid lines, and per function its colour, line
// width and visibility. Every change applies at once through OnChanged; a
// range that does not read as a number, or whose minimum is not below its
// maximum, is marked and left out until it is put right.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QStringList>
#include <QTableWidget>
#include <functional>

#include "ChartData.h"

namespace helmax {

class TChartEditorDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TChartEditorDialog(QWidget* owner);

  // Shows the look given; names: the functions, in order.
  void SetStyle(const TChartStyle& style, const QStringList& names);
  std::function<void(const TChartStyle&)> OnChanged;

  // The editor's fields, for keyboard users' tests.
  struct TAxisFields {
    QLineEdit* Title;
    QCheckBox* Automatic;
    QLineEdit* Min;
    QLineEdit* Max;
  };
  QLineEdit* TitleEdit() const { return Title_; }
  const TAxisFields& XFields() const { return X_; }
  QCheckBox* GridBox() const { return Grid_; }
  QTableWidget* SeriesTable() const { return Series_; }
  // Asks for a colour of one function (the colour dialog).
  void ChooseColor(int series);

 private:
  TAxisFields AxisGroup(const QString& title, QGroupBox*& box);
  void ShowAxis(const TAxisFields& fields, const TAxisStyle& axis);
  // Reads an axis's fields into axis; false (and the bad field marked)
  // when its range does not read.
  bool ReadAxis(const TAxisFields& fields, TAxisStyle& axis);
  void Changed();
  void ShowColor(int series);

  TChartStyle Style_;
  QLineEdit* Title_;
  TAxisFields X_{}, Y_{};
  QCheckBox* Grid_;
  QTableWidget* Series_;
  bool Filling_ = false;
};

}  // namespace helmax
