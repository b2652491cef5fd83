#include "ChartEditorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "FunctionTable.h"

namespace helmax {

namespace {

enum TSeriesColumn { scName, scColor, scWidth, scVisible };

QColor Color(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(28, 14);
  pixmap.fill(color);
  return QIcon(pixmap);
}

void MarkBad(QLineEdit* edit, bool bad) {
  edit->setStyleSheet(bad ? "QLineEdit { background-color: #f7c6c6; }" : QString());
  edit->setToolTip(bad ? "A number, below the maximum" : QString());
}

}  // namespace

TChartEditorDialog::TChartEditorDialog(QWidget* owner)
    : QDialog(owner), Title_(new QLineEdit), Grid_(new QCheckBox("&Grid lines")), Series_(new QTableWidget) {
  setObjectName("chartEditor");
  setWindowTitle("Chart Editor");
  Title_->setObjectName("chartTitle");
  Grid_->setObjectName("gridLines");
  auto* titleForm = new QFormLayout;
  titleForm->addRow("Chart &title", Title_);
  QGroupBox* xBox = nullptr;
  QGroupBox* yBox = nullptr;
  X_ = AxisGroup("&X axis", xBox);
  Y_ = AxisGroup("&Y axis", yBox);
  X_.Title->setObjectName("xTitle");
  X_.Automatic->setObjectName("xAutomatic");
  X_.Min->setObjectName("xMin");
  X_.Max->setObjectName("xMax");
  Y_.Title->setObjectName("yTitle");
  Y_.Automatic->setObjectName("yAutomatic");
  Y_.Min->setObjectName("yMin");
  Y_.Max->setObjectName("yMax");
  auto* axes = new QHBoxLayout;
  axes->addWidget(xBox);
  axes->addWidget(yBox);

  Series_->setObjectName("seriesTable");
  Series_->setColumnCount(4);
  Series_->setHorizontalHeaderLabels({"Function", "Colour", "Width", "Visible"});
  Series_->verticalHeader()->hide();
  Series_->setSelectionMode(QAbstractItemView::NoSelection);
  Series_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Series_->horizontalHeader()->setSectionResizeMode(scName, QHeaderView::Stretch);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(titleForm);
  layout->addLayout(axes);
  layout->addWidget(Grid_);
  auto* seriesLabel = new QLabel("&Functions");
  seriesLabel->setBuddy(Series_);
  layout->addWidget(seriesLabel);
  layout->addWidget(Series_, 1);
  layout->addWidget(buttons);

  connect(Title_, &QLineEdit::textEdited, this, &TChartEditorDialog::Changed);
  connect(Grid_, &QCheckBox::toggled, this, &TChartEditorDialog::Changed);
  resize(520, 460);
}

TChartEditorDialog::TAxisFields TChartEditorDialog::AxisGroup(const QString& title, QGroupBox*& box) {
  TAxisFields f{new QLineEdit, new QCheckBox("&Automatic"), new QLineEdit, new QLineEdit};
  box = new QGroupBox(title);
  auto* form = new QFormLayout(box);
  form->addRow("Title", f.Title);
  form->addRow(f.Automatic);
  form->addRow("Minimum", f.Min);
  form->addRow("Maximum", f.Max);
  connect(f.Title, &QLineEdit::textEdited, this, &TChartEditorDialog::Changed);
  connect(f.Min, &QLineEdit::textEdited, this, &TChartEditorDialog::Changed);
  connect(f.Max, &QLineEdit::textEdited, this, &TChartEditorDialog::Changed);
  connect(f.Automatic, &QCheckBox::toggled, this, [this, f](bool automatic) {
    f.Min->setEnabled(!automatic);
    f.Max->setEnabled(!automatic);
    Changed();
  });
  return f;
}

void TChartEditorDialog::SetStyle(const TChartStyle& style, const QStringList& names) {
  Filling_ = true;
  Style_ = style;
  Title_->setText(QString::fromStdString(style.Title));
  ShowAxis(X_, style.X);
  ShowAxis(Y_, style.Y);
  Grid_->setChecked(style.Grid);
  Series_->setRowCount(static_cast<int>(style.Series.size()));
  for (int i = 0; i < Series_->rowCount(); ++i) {
    const TSeriesStyle& s = style.Series[static_cast<std::size_t>(i)];
    Series_->setItem(i, scName, new QTableWidgetItem(i < names.size() ? names[i] : QString()));
    auto* color = new QPushButton;
    color->setObjectName(QString("color%1").arg(i));
    color->setToolTip("Choose the colour");
    connect(color, &QPushButton::clicked, this, [this, i] { ChooseColor(i); });
    Series_->setCellWidget(i, scColor, color);
    auto* width = new QSpinBox;
    width->setObjectName(QString("width%1").arg(i));
    width->setRange(1, 10);
    width->setValue(s.Width);
    connect(width, &QSpinBox::valueChanged, this, &TChartEditorDialog::Changed);
    Series_->setCellWidget(i, scWidth, width);
    auto* visible = new QCheckBox;
    visible->setObjectName(QString("visible%1").arg(i));
    visible->setChecked(s.Visible);
    connect(visible, &QCheckBox::toggled, this, &TChartEditorDialog::Changed);
    Series_->setCellWidget(i, scVisible, visible);
    ShowColor(i);
  }
  Filling_ = false;
}

void TChartEditorDialog::ShowAxis(const TAxisFields& fields, const TAxisStyle& axis) {
  fields.Title->setText(QString::fromStdString(axis.Title));
  fields.Automatic->setChecked(axis.Automatic);
  fields.Min->setText(QString::fromStdString(RealToText(axis.Range.Min)));
  fields.Max->setText(QString::fromStdString(RealToText(axis.Range.Max)));
  fields.Min->setEnabled(!axis.Automatic);
  fields.Max->setEnabled(!axis.Automatic);
  MarkBad(fields.Min, false);
  MarkBad(fields.Max, false);
}

void TChartEditorDialog::ShowColor(int series) {
  auto* button = static_cast<QPushButton*>(Series_->cellWidget(series, scColor));
  button->setIcon(Swatch(Color(Style_.Series[static_cast<std::size_t>(series)].Color)));
}

void TChartEditorDialog::ChooseColor(int series) {
  TSeriesStyle& s = Style_.Series[static_cast<std::size_t>(series)];
  const QString title = "Colour of " + Series_->item(series, scName)->text();
  const QColor chosen = QColorDialog::getColor(Color(s.Color), this, title, QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return;
  s.Color = chosen.rgb() & 0xFFFFFFu;
  ShowColor(series);
  Changed();
}

bool TChartEditorDialog::ReadAxis(const TAxisFields& fields, TAxisStyle& axis) {
  axis.Title = fields.Title->text().toStdString();
  const bool automatic = fields.Automatic->isChecked();
  const std::optional<double> low = TextNumber(fields.Min->text().toStdString());
  const std::optional<double> high = TextNumber(fields.Max->text().toStdString());
  const bool ordered = low && high && *low < *high;
  MarkBad(fields.Min, !automatic && (!low || (high && !ordered)));
  MarkBad(fields.Max, !automatic && (!high || (low && !ordered)));
  if (automatic) {
    axis.Automatic = true;
    return true;
  }
  if (!ordered) return false;
  axis.Automatic = false;
  axis.Range = {*low, *high};
  return true;
}

void TChartEditorDialog::Changed() {
  if (Filling_) return;
  Style_.Title = Title_->text().toStdString();
  ReadAxis(X_, Style_.X);
  ReadAxis(Y_, Style_.Y);
  Style_.Grid = Grid_->isChecked();
  for (int i = 0; i < Series_->rowCount(); ++i) {
    TSeriesStyle& s = Style_.Series[static_cast<std::size_t>(i)];
    s.Width = static_cast<QSpinBox*>(Series_->cellWidget(i, scWidth))->value();
    s.Visible = static_cast<QCheckBox*>(Series_->cellWidget(i, scVisible))->isChecked();
  }
  if (OnChanged) OnChanged(Style_);
}

}  // namespace helmax
