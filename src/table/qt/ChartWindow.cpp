#include "ChartWindow.h"

#include <QHBoxLayout>
#include <QMenuBar>
#include <QPen>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "ChartAxes.h"
#include "ChartEditorDialog.h"
#include "WindowKit.h"

namespace helmax {

namespace {

QColor Color(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  return QIcon(pixmap);
}

}  // namespace

TChartWindow::TChartWindow(QWidget* owner)
    : QWidget(owner, Qt::Window),
      Chart_(new QChart),
      Legend_(new QListWidget),
      AxisX_(new QCategoryAxis),
      AxisY_(new QCategoryAxis),
      RedrawTimer_(new QTimer(this)) {
  setObjectName("chartWindow");
  setWindowTitle("Chart");
  CloseOnEscape(this);
  auto* menus = new QMenuBar;
  BuildMenus(menus);

  // Our own legend below has the check boxes; the chart's is not needed.
  Chart_->legend()->hide();
  Chart_->setAnimationOptions(QChart::NoAnimation);
  Chart_->addAxis(AxisX_, Qt::AlignBottom);
  Chart_->addAxis(AxisY_, Qt::AlignLeft);
  for (QCategoryAxis* axis : {AxisX_, AxisY_}) axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  View_ = new QChartView(Chart_);
  View_->setObjectName("chartView");
  View_->setRenderHint(QPainter::Antialiasing);

  Legend_->setObjectName("legend");
  Legend_->setMaximumWidth(180);
  Legend_->setToolTip("Show or hide a function");
  connect(Legend_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (FillingLegend_) return;
    TChartStyle style = Style_;
    style.Series[static_cast<std::size_t>(Legend_->row(item))].Visible = item->checkState() == Qt::Checked;
    ApplyStyle(style);
    if (Editor_->isVisible()) OpenEditor();  // the editor shows the same
  });

  Editor_ = new TChartEditorDialog(this);
  Editor_->OnChanged = [this](const TChartStyle& style) { ApplyStyle(style); };
  RedrawTimer_->setSingleShot(true);
  RedrawTimer_->setInterval(30);
  connect(RedrawTimer_, &QTimer::timeout, this, [this] {
    if (static_cast<int>(Chart_->plotArea().width()) != DrawnWidth_) Redraw();
  });
  // A wider or narrower plot draws the points again for its pixels.
  connect(Chart_, &QChart::plotAreaChanged, RedrawTimer_, qOverload<>(&QTimer::start));

  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 4, 4);
  body->addWidget(View_, 1);
  body->addWidget(Legend_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  layout->addLayout(body, 1);
  // The keyboard starts in the legend: Space shows or hides a function.
  setFocusProxy(Legend_);
  resize(760, 480);
}

void TChartWindow::BuildMenus(QMenuBar* menus) {
  AddMenuAction(menus->addMenu("&View"), "&Refresh", "refresh", this, [this] { Refresh(); });
  AddMenuAction(menus->addMenu("&Options"), "&Chart Editor", "chartEditor", this, [this] { OpenEditor(); });
  QMenu* window = menus->addMenu("&Window");
  AddMenuAction(window, "&Main", "main", this, [this] {
    if (OnShowMain) OnShowMain();
  });
  AddMenuAction(window, "&Table", "table", this, [this] {
    if (OnShowTable) OnShowTable();
  });
}

void TChartWindow::ShowChart() {
  Refresh();
  ShowInFront(this);
  setFocus();
}

void TChartWindow::Refresh() {
  const std::shared_ptr<const TFunctionTable> table = TableSource ? TableSource() : nullptr;
  std::vector<std::string> formerNames;
  for (const TChartSeriesData& series : Data_.Series) formerNames.push_back(series.Name);
  Data_ = table ? BuildChartData(*table) : TChartData{};
  // The editor's settings stay while the functions keep their names.
  Style_ = KeptChartStyle(Style_, formerNames, Data_);
  Chart_->removeAllSeries();
  Lines_.assign(Data_.Series.size(), {});
  FillLegend();
  ApplyStyle(Style_);
  if (Editor_->isVisible()) OpenEditor();
}

void TChartWindow::FillLegend() {
  FillingLegend_ = true;
  Legend_->clear();
  for (const TChartSeriesData& series : Data_.Series) {
    auto* item = new QListWidgetItem(QString::fromStdString(series.Name), Legend_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  }
  if (Legend_->count() > 0) Legend_->setCurrentRow(0);
  FillingLegend_ = false;
}

void TChartWindow::OpenEditor() {
  QStringList names;
  for (const TChartSeriesData& series : Data_.Series) names << QString::fromStdString(series.Name);
  Editor_->SetStyle(Style_, names);
  ShowInFront(Editor_);
}

void TChartWindow::ApplyStyle(const TChartStyle& style) {
  Style_ = style;
  Chart_->setTitle(QString::fromStdString(style.Title));
  AxisX_->setTitleText(QString::fromStdString(style.X.Title));
  AxisY_->setTitleText(QString::fromStdString(style.Y.Title));
  for (QCategoryAxis* axis : {AxisX_, AxisY_}) {
    axis->setGridLineVisible(style.Grid);
    axis->setMinorGridLineVisible(false);
  }
  FillingLegend_ = true;
  for (int i = 0; i < Legend_->count() && i < static_cast<int>(style.Series.size()); ++i) {
    const TSeriesStyle& s = style.Series[static_cast<std::size_t>(i)];
    Legend_->item(i)->setCheckState(s.Visible ? Qt::Checked : Qt::Unchecked);
    Legend_->item(i)->setIcon(Swatch(Color(s.Color)));
  }
  FillingLegend_ = false;
  Redraw();
}

TAxisRange TChartWindow::XRange() const {
  if (!Style_.X.Automatic) return Style_.X.Range;
  return RangeOf({&Data_.X});
}

void TChartWindow::Redraw() {
  // The plot area is known once the chart was laid out; before, the view's
  // width less the axes' room is near enough.
  int width = static_cast<int>(Chart_->plotArea().width());
  if (width < 50) width = std::max(100, View_->width() - 100);
  DrawnWidth_ = static_cast<int>(Chart_->plotArea().width());
  DrawnColumns_ = width;

  const TAxisRange x = XRange();
  AxisX_->setRange(x.Min, x.Max);
  if (Style_.X.Automatic) {
    AxisX_->applyNiceNumbers();
    Style_.X.Range = {AxisX_->min(), AxisX_->max()};
  }
  LabelTicks(AxisX_);
  std::vector<const std::vector<double>*> shown;
  for (std::size_t i = 0; i < Data_.Series.size(); ++i) {
    const TSeriesStyle& s = Style_.Series[i];
    if (s.Visible) shown.push_back(&Data_.Series[i].Y);
    const std::vector<TPolyline> runs =
        ReduceForDrawing(Data_.X, Data_.Series[i].Y, AxisX_->min(), AxisX_->max(), width);
    std::vector<QLineSeries*>& lines = Lines_[i];
    while (lines.size() < runs.size()) {
      auto* line = new QLineSeries;
      Chart_->addSeries(line);
      line->attachAxis(AxisX_);
      line->attachAxis(AxisY_);
      lines.push_back(line);
    }
    while (lines.size() > runs.size()) {
      Chart_->removeSeries(lines.back());
      delete lines.back();
      lines.pop_back();
    }
    QPen pen(Color(s.Color));
    pen.setWidth(s.Width);
    for (std::size_t k = 0; k < runs.size(); ++k) {
      QList<QPointF> points;
      points.reserve(static_cast<qsizetype>(runs[k].size()));
      for (const TChartPoint& p : runs[k]) points.append(QPointF(p.X, p.Y));
      lines[k]->replace(points);
      lines[k]->setName(QString::fromStdString(Data_.Series[i].Name));
      lines[k]->setPen(pen);
      lines[k]->setVisible(s.Visible);
    }
  }
  if (Style_.Y.Automatic) {
    const TAxisRange y = RangeOf(shown);
    AxisY_->setRange(y.Min, y.Max);
    AxisY_->applyNiceNumbers();
    Style_.Y.Range = {AxisY_->min(), AxisY_->max()};
  } else {
    AxisY_->setRange(Style_.Y.Range.Min, Style_.Y.Range.Max);
  }
  LabelTicks(AxisY_);
}

int TChartWindow::DrawnPointCount(int series) const {
  int count = 0;
  for (const QLineSeries* line : Lines_[static_cast<std::size_t>(series)]) count += line->count();
  return count;
}

void TChartWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A small window keeps most of its width for the plot.
  Legend_->setMaximumWidth(std::clamp(width() / 4, 40, 180));
  RedrawTimer_->start();
}

}  // namespace helmax
