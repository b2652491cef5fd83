#include "InterpolationWindow.h"
#include "DialogButtons.h"
#include "EditableGrid.h"
#include "FileDialog.h"
#include "FixedTexts.h"
#include "WindowPlacement.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>

#include "Calculator.h"
#include "ChartAxes.h"
#include "ChartData.h"
#include "WindowKit.h"

namespace helmax {
namespace {

// Both cases of each extension.
const char* const kFilter = "Interpolation files (*.dat *.DAT);;Text files (*.txt *.TXT);;All files (*)";
const char* const kLagrangeAt = "Lagrange(x) = ";
const char* const kSplineAt = "CubicSpline(x) = ";

// The pairs that can be drawn (finite both).
QList<QPointF> Drawable(const std::vector<double>& x, const std::vector<double>& y) {
  QList<QPointF> points;
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
    if (std::isfinite(x[i]) && std::isfinite(y[i])) points.append(QPointF(x[i], y[i]));
  return points;
}

}  // namespace

// ---- the grid's model ----------------------------------------------------------------

int TSheetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || Sheet_ >= Sheets_.SheetCount() ? 0 : Sheets_.RowCount(Sheet_);
}

int TSheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TSheetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  // The row numbers look like the header they stand for.
  if (role == Qt::BackgroundRole && index.column() == 0) return QGuiApplication::palette().button();
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (index.column() == 0) return role == Qt::DisplayRole ? QVariant(index.row() + 1) : QVariant();
  return QString::fromStdString(Sheets_.Cell(Sheet_, index.row(), index.column()));
}

bool TSheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.column() == 0) return false;
  Sheets_.SetCell(Sheet_, index.row(), index.column(), value.toString().toStdString());
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags TSheetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return index.column() == 0 ? base : base | Qt::ItemIsEditable;
}

QVariant TSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 2) return {};
  static const char* const titles[] = {"#", "x", "f(x)"};
  return titles[section];
}

void TSheetModel::Reload() {
  beginResetModel();
  endResetModel();
}

// ---- dialogs ----------------------------------------------------------------------------

TRowsCountDialog::TRowsCountDialog(QWidget* owner) : QDialog(owner), Count_(new QLineEdit) {
  setObjectName("rowsCountDialog");
  setWindowTitle("Rows count");
  Count_->setObjectName("Count");
  auto* form = new QFormLayout;
  form->addRow("Count", Count_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancelBox(this));
}

void TRowsCountDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

TDeleteRowsDialog::TDeleteRowsDialog(QWidget* owner)
    : QDialog(owner), From_(new QLineEdit("1")), Count_(new QLineEdit("1")) {
  setObjectName("deleteRowsDialog");
  setWindowTitle("Delete rows");
  From_->setObjectName("From");
  Count_->setObjectName("Count");
  auto* form = new QFormLayout;
  form->addRow("From #", From_);
  form->addRow("Count", Count_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancelBox(this));
}

void TDeleteRowsDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

// ---- the window ---------------------------------------------------------------------------

TInterpolationWindow::TInterpolationWindow(TToolHost host, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Host_(std::move(host)),
      Sheets_(Host_.Calc->InterpolationSheets()),
      Tabs_(new QTabWidget),
      RowsDialog_(new TRowsCountDialog(this)),
      DeleteDialog_(new TDeleteRowsDialog(this)) {
  setObjectName("interpolationWindow");
  setWindowTitle(kCaption);
  OnEscape(this, [this] {
    if (Indicator_->Running()) CancelRun();
    else close();
  });
  auto* menus = new QMenuBar;
  BuildMenus(menus);
  Tabs_->setObjectName("sheets");
  Tabs_->setTabPosition(QTabWidget::South);
  connect(Tabs_, &QTabWidget::currentChanged, this, &TInterpolationWindow::ShowActiveSheet);
  auto* status = new QStatusBar;
  status->setSizeGripEnabled(false);
  Indicator_ = new TProgressDisplay(
      status, {}, [this] { CancelRun(); }, this);
  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(Tabs_);
  splitter->addWidget(BuildView());
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  layout->addWidget(splitter, 1);
  layout->addWidget(status);
  resize(920, 520);
  RowsDialog_->OnOk = [this] {
    const bool done = Sheets_.AddRows(ActiveSheet(), RowsDialog_->CountEdit()->text().toStdString(), *Host_.Ui);
    if (done) ReloadActive();
    return done;
  };
  DeleteDialog_->OnOk = [this] {
    if (Sheets_.DeleteRows(ActiveSheet(), DeleteDialog_->FromEdit()->text().toStdString(),
                           DeleteDialog_->CountEdit()->text().toStdString(), *Host_.Ui))
      ReloadActive();
    return true;
  };
  RebuildTabs();
  // Lagrange and CubicSpline read a stale sheet while the calculator
  // evaluates an expression: a long reading shows here too, with Cancel.
  auto* watch = new QTimer(this);
  watch->setInterval(200);
  connect(watch, &QTimer::timeout, this, [this] {
    const bool reading = Sheets_.Progress().Active.load();
    if (reading && !Indicator_->Running()) {
      Indicator_->Start(&Sheets_.Progress());
      Watching_ = true;
    } else if (!reading && Watching_) {
      Indicator_->Stop();
      Watching_ = false;
    }
  });
  watch->start();
}

void TInterpolationWindow::BuildMenus(QMenuBar* menus) {
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&Open", "open", this, &TInterpolationWindow::Open);
  Save_ = AddMenuAction(file, "&Save", "save", this, &TInterpolationWindow::Save);
  AddMenuAction(file, "&Save As...", "saveAs", this, &TInterpolationWindow::SaveAs);
  QMenu* edit = menus->addMenu("&Edit");
  AddMenuAction(edit, "&Add Rows", "addRows", this, &TInterpolationWindow::AddRows);
  AddMenuAction(edit, "&Delete Rows", "deleteRows", this, &TInterpolationWindow::DeleteRows);
  AddMenuAction(edit, "Add &Sheet", "addSheet", this, &TInterpolationWindow::AddSheet);
  AddMenuAction(edit, "&Delete S&heet", "deleteSheet", this, &TInterpolationWindow::DeleteSheet);
  QMenu* options = menus->addMenu("&Options");
  QMenu* spline = options->addMenu("&Cubic Spline");
  spline->setObjectName("cubicSpline");
  auto* kinds = new QActionGroup(this);
  Natural_ = AddMenuAction(spline, "&Natural", "natural");
  Periodic_ = AddMenuAction(spline, "&Periodic", "periodic");
  for (QAction* a : {Natural_, Periodic_}) {
    a->setCheckable(true);
    kinds->addAction(a);
  }
  connect(Natural_, &QAction::triggered, this, [this] { SetSplineKind(TSplineKind::Natural); });
  connect(Periodic_, &QAction::triggered, this, [this] { SetSplineKind(TSplineKind::Periodic); });
  // Opening the submenu ticks the active sheet's kind.
  connect(spline, &QMenu::aboutToShow, this, [this] {
    (Sheets_.SplineKind(ActiveSheet()) == TSplineKind::Natural ? Natural_ : Periodic_)->setChecked(true);
  });
  AddMenuAction(options, "&Ordination", "ordination", this, &TInterpolationWindow::Ordination);
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  AddMenuAction(window, "&Main", "main", this, [this] {
    if (Host_.ShowMain) Host_.ShowMain();
  });
}

void TInterpolationWindow::ShowWindow() { ShowInFront(this); }

QTableView* TInterpolationWindow::Grid(int sheet) const { return qobject_cast<QTableView*>(Tabs_->widget(sheet)); }

void TInterpolationWindow::RebuildTabs() {
  const int active = std::max(0, Tabs_->currentIndex());
  const QSignalBlocker quiet(Tabs_);
  while (Tabs_->count() > 0) {
    QWidget* page = Tabs_->widget(0);
    Tabs_->removeTab(0);
    delete page;
  }
  for (int s = 0; s < Sheets_.SheetCount(); ++s) {
    auto* grid = new QTableView;
    grid->setObjectName(QString("sheet%1").arg(s + 1));
    auto* model = new TSheetModel(Sheets_, s, grid);
    grid->setModel(model);
    connect(model, &QAbstractItemModel::dataChanged, this, &TInterpolationWindow::ScheduleView);
    connect(model, &QAbstractItemModel::modelReset, this, &TInterpolationWindow::ScheduleView);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    SetUpEditableGrid(grid);
    Tabs_->addTab(grid, QString("Sheet&%1").arg(s + 1));
  }
  Tabs_->setCurrentIndex(std::min(active, Tabs_->count() - 1));
  ShowActiveSheet();
}

void TInterpolationWindow::ShowActiveSheet() {
  const int sheet = ActiveSheet();
  if (sheet < 0) return;
  FitColumns(Grid(sheet));
  const bool file = Sheets_.FileValid(sheet);
  Save_->setEnabled(file);
  setWindowTitle(file ? QString::fromStdString(Sheets_.FileName(sheet)) : QString(kCaption));
  ScheduleView();
}

// Column 0 is 50 pixels; x and f(x) share the rest.
void TInterpolationWindow::FitColumns(QTableView* grid) {
  if (grid == nullptr) return;
  grid->setColumnWidth(0, 50);
  const int rest = std::max(60, (grid->viewport()->width() - 50) / 2 - 15);
  grid->setColumnWidth(1, rest);
  grid->setColumnWidth(2, rest);
}

void TInterpolationWindow::ReloadActive() {
  if (QTableView* grid = Grid(ActiveSheet())) static_cast<TSheetModel*>(grid->model())->Reload();
  ShowActiveSheet();
}

// ---- Edit and Options ----------------------------------------------------------------------

void TInterpolationWindow::AddRows() {
  RowsDialog_->CountEdit()->setText(QString::number(Sheets_.RowCount(ActiveSheet())));
  RowsDialog_->CountEdit()->selectAll();
  RowsDialog_->exec();
}

void TInterpolationWindow::DeleteRows() {
  if (Sheets_.RowCount(ActiveSheet()) <= 1) return;
  DeleteDialog_->FromEdit()->setFocus();
  DeleteDialog_->exec();
}

void TInterpolationWindow::AddSheet() {
  const int sheet = Sheets_.AddSheet();
  RebuildTabs();
  Tabs_->setCurrentIndex(sheet);
}

void TInterpolationWindow::DeleteSheet() {
  if (Sheets_.DeleteSheet(ActiveSheet(), *Host_.Ui)) RebuildTabs();
}

void TInterpolationWindow::SetSplineKind(TSplineKind kind) {
  Sheets_.SetSplineKind(ActiveSheet(), kind);
  (kind == TSplineKind::Natural ? Natural_ : Periodic_)->setChecked(true);
  ScheduleView();
}

void TInterpolationWindow::Ordination() {
  if (Running()) return;
  struct TRun {
    int Sheet = 0;
    TInterpolationSheets::TOrdering Ordering;
    std::string Error;
  };
  auto run = std::make_shared<TRun>();
  Host_.RunForTool(
      [this, run] {
        run->Sheet = ActiveSheet();
        Watching_ = false;
        Indicator_->Start(&Sheets_.Progress());
      },
      [this, run] {
        try {
          run->Ordering = Sheets_.ReadOrdering(run->Sheet);
        } catch (const std::exception& e) { run->Error = e.what(); }
      },
      [this, run] {
        Indicator_->Stop();
        if (!run->Error.empty()) {
          Host_.Ui->ShowMessage(run->Error);
          return;
        }
        if (!Sheets_.ApplyOrdering(run->Ordering)) {
          Host_.Ui->ShowMessage("The sheet changed while its points were read; its rows were not moved");
          return;
        }
        ReloadActive();
      });
}

// ---- files -------------------------------------------------------------------------------------

QString TInterpolationWindow::StartFolder() const { return FolderOf(Sheets_.FileName(ActiveSheet())); }

void TInterpolationWindow::Open() {
  setWindowTitle(kCaption);
  const QString file = TFileDialog::OpenFileName(this, "Open", StartFolder(), kFilter);
  if (!file.isEmpty()) OpenFile(file);
  else ShowActiveSheet();
}

void TInterpolationWindow::OpenFile(const QString& fileName) {
  Sheets_.ReadFile(ActiveSheet(), fileName.toStdString(), *Host_.Ui);
  ReloadActive();
}

void TInterpolationWindow::Save() {
  const int sheet = ActiveSheet();
  if (Sheets_.FileValid(sheet)) Sheets_.WriteFile(sheet, Sheets_.FileName(sheet), *Host_.Ui);
  ShowActiveSheet();
}

void TInterpolationWindow::SaveAs() {
  setWindowTitle(kCaption);
  if (const QString file = TFileDialog::SaveFileName(this, "Save As", StartFolder(), kFilter, "dat"); !file.isEmpty())
    SaveAsFile(file);
  else ShowActiveSheet();
}

bool TInterpolationWindow::SaveAsFile(const QString& fileName) {
  const bool saved = Sheets_.WriteFile(ActiveSheet(), fileName.toStdString(), *Host_.Ui);
  ShowActiveSheet();
  return saved;
}

bool TInterpolationWindow::MayExit() {
  if (!Sheets_.AnyModified()) return true;
  ShowWindow();
  // Cancel (or Esc) keeps the program running, like No.
  return Host_.Ui->AskYesNoCancel(texts::kAreYouSure) == TAnswer::Yes;
}

// ---- cells by keyboard ------------------------------------------------------------------------

void TInterpolationWindow::CopyCells() {
  QTableView* grid = Grid(ActiveSheet());
  const QModelIndexList cells = grid->selectionModel()->selectedIndexes();
  if (cells.isEmpty()) return;
  int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
  for (const QModelIndex& i : cells) {
    top = std::min(top, i.row());
    bottom = std::max(bottom, i.row());
    left = std::max(1, std::min(left, i.column()));
    right = std::max(right, i.column());
  }
  QString text;
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) {
      if (c > left) text += '\t';
      text += grid->model()->index(r, c).data().toString();
    }
    text += '\n';
  }
  QApplication::clipboard()->setText(text);
}

void TInterpolationWindow::PasteCells(const QString& text) {
  QTableView* grid = Grid(ActiveSheet());
  const QModelIndex at = grid->currentIndex();
  if (!at.isValid()) return;
  QStringList lines = text.split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  const int firstColumn = std::max(1, at.column());
  for (int l = 0; l < lines.size(); ++l) {
    const int row = at.row() + l;
    if (row >= grid->model()->rowCount()) break;
    const QStringList cells = lines[l].split('\t');
    for (int c = 0; c < cells.size() && firstColumn + c <= 2; ++c) {
      QString cell = cells[c];
      cell.remove('\r');
      grid->model()->setData(grid->model()->index(row, firstColumn + c), cell, Qt::EditRole);
    }
  }
}

void TInterpolationWindow::ClearCells() {
  QTableView* grid = Grid(ActiveSheet());
  for (const QModelIndex& i : grid->selectionModel()->selectedIndexes())
    if (i.column() > 0) grid->model()->setData(i, QString(), Qt::EditRole);
}

bool TInterpolationWindow::eventFilter(QObject* watched, QEvent* event) {
  QTableView* grid = Grid(ActiveSheet());
  if (grid != nullptr && watched == grid->viewport() && event->type() == QEvent::Resize) FitColumns(grid);
  // While a cell is edited its editor has the keys: these reach the grid
  // only between edits.
  if (grid != nullptr && watched == grid && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
      CopyCells();
      return true;
    }
    if (key->matches(QKeySequence::Cut)) {
      CopyCells();
      ClearCells();
      return true;
    }
    if (key->matches(QKeySequence::Paste)) {
      PasteCells(QApplication::clipboard()->text());
      return true;
    }
    if (key->key() == Qt::Key_Delete) {
      ClearCells();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TInterpolationWindow::CancelRun() {
  if (Watching_ && !ViewRunning_) {
    Host_.StopMainCalculation();
    return;
  }
  if (ViewRunning_) ViewCancelled_ = true;
  Host_.StopCalculation();
}

void TInterpolationWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ScheduleView();
}

// ---- the chart and the values at x ------------------------------------------------------------

QWidget* TInterpolationWindow::BuildView() {
  Chart_ = new QChart;
  Chart_->setAnimationOptions(QChart::NoAnimation);
  Chart_->legend()->setAlignment(Qt::AlignBottom);
  AxisX_ = new QCategoryAxis;
  AxisY_ = new QCategoryAxis;
  Chart_->addAxis(AxisX_, Qt::AlignBottom);
  Chart_->addAxis(AxisY_, Qt::AlignLeft);
  for (QCategoryAxis* axis : {AxisX_, AxisY_}) axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  Points_ = new QScatterSeries;
  Points_->setName("Points");
  Points_->setMarkerSize(8);
  Points_->setColor(QColor(0x20, 0x20, 0x20));
  LagrangeCurve_ = new QLineSeries;
  LagrangeCurve_->setName("Lagrange");
  LagrangeCurve_->setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 2));
  SplineCurve_ = new QLineSeries;
  SplineCurve_->setName("Cubic spline");
  SplineCurve_->setPen(QPen(QColor(0xd0, 0x60, 0x10), 2, Qt::DashLine));
  for (QXYSeries* series : std::initializer_list<QXYSeries*>{LagrangeCurve_, SplineCurve_, Points_}) {
    Chart_->addSeries(series);
    series->attachAxis(AxisX_);
    series->attachAxis(AxisY_);
  }
  auto* chartView = new QChartView(Chart_);
  chartView->setObjectName("interpolationChart");
  chartView->setRenderHint(QPainter::Antialiasing);
  chartView->setMinimumSize(260, 200);

  EvaluateAt_ = new QLineEdit;
  EvaluateAt_->setObjectName("evaluateAt");
  EvaluateAt_->setToolTip("An x (a number or an expression of constants): both interpolations at it");
  connect(EvaluateAt_, &QLineEdit::textChanged, this, &TInterpolationWindow::ScheduleView);
  auto* atLabel = new QLabel("Evaluate at &x");
  atLabel->setBuddy(EvaluateAt_);
  LagrangeValue_ = new QLabel(kLagrangeAt);
  LagrangeValue_->setObjectName("lagrangeValue");
  SplineValue_ = new QLabel(kSplineAt);
  SplineValue_->setObjectName("splineValue");
  ViewMessage_ = new QLabel;
  ViewMessage_->setObjectName("viewMessage");
  ViewMessage_->setWordWrap(true);
  for (QLabel* label : {LagrangeValue_, SplineValue_, ViewMessage_})
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* at = new QHBoxLayout;
  at->addWidget(atLabel);
  at->addWidget(EvaluateAt_, 1);
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->addWidget(chartView, 1);
  layout->addLayout(at);
  layout->addWidget(LagrangeValue_);
  layout->addWidget(SplineValue_);
  layout->addWidget(ViewMessage_);

  ViewTimer_ = new QTimer(this);
  ViewTimer_->setSingleShot(true);
  ViewTimer_->setInterval(100);
  connect(ViewTimer_, &QTimer::timeout, this, &TInterpolationWindow::UpdateView);
  return panel;
}

void TInterpolationWindow::ScheduleView() {
  if (ViewTimer_ != nullptr) ViewTimer_->start();
}

void TInterpolationWindow::UpdateView() {
  if (!isVisible() || ViewQueued_) return;  // shown: again; queued: it reads the latest when it starts
  // Another calculation first (this window's own view is replaced).
  if (!ViewRunning_ && Host_.CoreBusy && Host_.CoreBusy()) {
    ViewTimer_->start();
    return;
  }
  struct TRun {
    int Sheet = 0;
    std::string X;
    TInterpolationSheets::TSheetView View;
    std::string Failure;
  };
  auto run = std::make_shared<TRun>();
  ViewQueued_ = true;
  Host_.RunForTool(
      [this, run] {
        ViewQueued_ = false;
        ViewRunning_ = true;
        ViewCancelled_ = false;
        run->Sheet = ActiveSheet();
        run->X = EvaluateAt_->text().toStdString();
      },
      [this, run] {
        try {
          run->View = Sheets_.View(run->Sheet, run->X);
        } catch (const std::exception& e) { run->Failure = e.what(); }
      },
      [this, run] {
        ViewRunning_ = false;
        if (!run->Failure.empty()) {
          ViewMessage_->setText(QString::fromStdString(run->Failure));
        } else if (run->View.Stopped) {
          // Stopped by Cancel, or by a command of a tool: drawn again once
          // that is done.
          if (ViewCancelled_) ViewMessage_->setText(texts::kCalculationStopped);
          else if (!ViewQueued_) ScheduleView();
        } else if (run->Sheet == ActiveSheet()) {
          ShowView(run->View);
        }
      });
}

void TInterpolationWindow::ShowView(const TInterpolationSheets::TSheetView& view) {
  Points_->replace(Drawable(view.X, view.F));
  LagrangeCurve_->replace(Drawable(view.At, view.Lagrange));
  SplineCurve_->replace(Drawable(view.At, view.Spline));
  std::vector<double> finiteX;
  for (const double x : view.X)
    if (std::isfinite(x)) finiteX.push_back(x);
  const TAxisRange x = RangeOf({&finiteX});
  AxisX_->setRange(x.Min, x.Max);
  AxisX_->applyNiceNumbers();
  LabelTicks(AxisX_);
  std::vector<double> ys;
  for (const std::vector<double>* values : {&view.F, &view.Lagrange, &view.Spline})
    for (const double y : *values)
      if (std::isfinite(y)) ys.push_back(y);
  const TAxisRange y = RangeOf({&ys});
  AxisY_->setRange(y.Min, y.Max);
  AxisY_->applyNiceNumbers();
  LabelTicks(AxisY_);

  QStringList messages;
  for (const std::string* m : {&view.PointsError, &view.LagrangeError, &view.SplineError})
    if (!m->empty() && !messages.contains(QString::fromStdString(*m))) messages << QString::fromStdString(*m);
  ViewMessage_->setText(messages.join('\n'));
  if (!view.HasX) {
    LagrangeValue_->setText(kLagrangeAt);
    SplineValue_->setText(kSplineAt);
  } else if (!view.XError.empty()) {
    LagrangeValue_->setText("x: " + QString::fromStdString(view.XError));
    SplineValue_->clear();
  } else {
    LagrangeValue_->setText(kLagrangeAt + QString::fromStdString(view.LagrangeAt));
    SplineValue_->setText(kSplineAt + QString::fromStdString(view.SplineAt));
  }
}

}  // namespace helmax
