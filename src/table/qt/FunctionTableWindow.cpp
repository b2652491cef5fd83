#include "FunctionTableWindow.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include "ChartWindow.h"
#include "FileDialog.h"
#include "TableComputation.h"
#include "TableFiles.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

// Both cases of each extension.
const char* const kDataFilter = "Data files (*.dat *.DAT);;Text files (*.txt *.TXT);;All files (*)";
const char* const kWorkbookFilter = "Excel workbooks (*.xlsx *.XLSX);;All files (*)";
// Work shorter than this many ticks shows no progress bar.
constexpr int kProgressDelayTicks = 3;

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- grid -----------------------------------------------------------------------------------

int TFunctionTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || Table_ == nullptr ? 0 : static_cast<int>(Table_->RowCount());
}

int TFunctionTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || Table_ == nullptr ? 0 : Table_->ColumnCount();
}

QVariant TFunctionTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || Table_ == nullptr) return {};
  return Text(Table_->CellText(index.row(), index.column()));
}

QVariant TFunctionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || Table_ == nullptr) return {};
  return Text(Table_->Header(section));
}

void TFunctionTableModel::ShowTable(const TFunctionTable* table) {
  beginResetModel();
  Table_ = table;
  endResetModel();
}

void TFunctionTableModel::TextsChanged() {
  if (rowCount() > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// ---- the window -------------------------------------------------------------------------------

TFunctionTableWindow::TFunctionTableWindow(TCalculator& calc, TUserInterface& ui, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Calc_(calc),
      Ui_(std::make_unique<TGuiThreadUserInterface>(ui)),
      Table_(std::make_shared<TFunctionTable>()),
      Model_(new TFunctionTableModel(this)),
      Grid_(new TFrozenColumnsView(2)),
      Info_(new QLabel) {
  setObjectName("functionTableWindow");
  setWindowTitle("Functions table");
  OnEscape(this, [this] {
    if (!Busy_) close();
    else if (StopCalculation) StopCalculation();
  });
  OpenWithDesktop = [](const QString& file) { return QDesktopServices::openUrl(QUrl::fromLocalFile(file)); };
  auto* menus = new QMenuBar;
  BuildMenus(menus);

  Grid_->setObjectName("tableGrid");
  Grid_->verticalHeader()->hide();
  Grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  Grid_->setWordWrap(false);
  const int rowHeight = fontMetrics().height() + 6;
  Grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
  Grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Grid_->setModel(Model_);

  Info_->setObjectName("tableInfo");
  auto* status = new QStatusBar;
  status->setSizeGripEnabled(false);
  status->addWidget(Info_, 1);
  TProgressLook look;
  look.CancelTip = "Stops the work (Esc)";
  look.BarWidth = 160;
  look.ShowAfterTicks = kProgressDelayTicks;
  look.WithActivity = true;
  Progress_ = new TProgressDisplay(
      status, look,
      [this] {
        if (StopCalculation) StopCalculation();
      },
      this);
  // A long first table shows its progress in the window it will fill.
  Progress_->BeforeShowing = [this] {
    if (!isVisible()) {
      show();
      raise();
    }
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menus);
  layout->addWidget(Grid_, 1);
  layout->addWidget(status);
  setFocusProxy(Grid_);
  resize(520, 560);
}

// The grid may still ask for cells while the widget closes, after the
// table has gone.
TFunctionTableWindow::~TFunctionTableWindow() { Model_->ShowTable(nullptr); }

void TFunctionTableWindow::BuildMenus(QMenuBar* menus) {
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&Save As..", "saveAs", this, [this] { SaveAs(); });
  AddMenuAction(file, "&Export .xlsx...", "exportWorkbook", this, [this] { ExportWorkbook(); });
  QMenu* option = menus->addMenu("&Option");
  NullMarker_ = option->addAction("&Null -> #NUM!");
  NullMarker_->setObjectName("nullMarker");
  NullMarker_->setCheckable(true);
  connect(NullMarker_, &QAction::toggled, this, [this](bool on) { SetNullMarker(on); });
  QMenu* window = menus->addMenu("&Window");
  AddMenuAction(window, "&Main", "main", this, [this] {
    if (OnShowMain) OnShowMain();
  });
  AddMenuAction(window, "&Constants", "constants", this, [this] {
    if (OnShowConstants) OnShowConstants();
  });
  AddMenuAction(window, "&Excel OLE", "excel", this, [this] { OpenInSpreadsheet(); });
  AddMenuAction(window, "C&hart", "chart", this, [this] { ShowChart(); });
}

void TFunctionTableWindow::SetChartWindow(TChartWindow* chart) {
  Chart_ = chart;
  Chart_->TableSource = [this] { return SharedTable(); };
  Chart_->OnShowTable = [this] { ShowInFront(this); };
}

// ---- runs on the calculator's worker ------------------------------------------------------------

void TFunctionTableWindow::StartRun(const QString& activity, std::function<void()> work, std::function<void()> finish) {
  // Without the calculator's queue (a window on its own), here and now.
  const TRunForTool run = RunForTool ? RunForTool : [](auto prepare, auto work, auto done) {
    prepare();
    work();
    done();
  };
  run(
      [this, activity] {
        Busy_ = true;
        WorkProgress_.Start(0);
        Progress_->Start(&WorkProgress_, activity + " (Esc stops)");
      },
      [this, work = std::move(work)] {
        // Nothing may escape into the calculator's queue; what the core
        // does not catch (no memory for a copy, say) is said here.
        try {
          work();
        } catch (const std::exception& e) { Ui_->ShowMessage(e.what()); }
      },
      [this, finish = std::move(finish)] {
        Progress_->Stop();
        Busy_ = false;
        finish();
      });
}

void TFunctionTableWindow::ComputeTable() {
  // What the run works with and gives back; the marker as it was asked for.
  struct TRun {
    std::shared_ptr<TFunctionTable> Table = std::make_shared<TFunctionTable>();
    TTableOutcome Outcome = TTableOutcome::Refused;
    bool NullMarker = false;
    int ColumnWidth = 150;
  };
  auto run = std::make_shared<TRun>();
  run->NullMarker = NullMarker_->isChecked();
  StartRun(
      "Computing the table",
      [this, run] {
        run->Outcome = ComputeFunctionTable(Calc_, *Ui_, TableRangeOf(Calc_), run->NullMarker, *run->Table,
                                            &WorkProgress_, PausePoint);
        // The status bar's memory figure follows the table's rows.
        Calc_.RefreshMemoryPanel();
        run->ColumnWidth = static_cast<int>(Calc_.GetParameter(parColWidth));
      },
      [this, run] {
        if (run->Outcome == TTableOutcome::Stopped) Info_->setText("Stopped: the table is as it was");
        if (run->Outcome != TTableOutcome::Done) return;
        // The option may have changed while the table was computed.
        if (NullMarker_->isChecked() != run->NullMarker) run->Table->SetNullMarker(NullMarker_->isChecked());
        ShowNewTable(run->Table, run->ColumnWidth);
        ShowInFront(this);
        setFocus();
      });
}

void TFunctionTableWindow::ShowNewTable(std::shared_ptr<TFunctionTable> table, int columnWidth) {
  Table_ = std::move(table);
  Model_->ShowTable(Table_.get());
  // "#" wide enough for the largest point number, the others colwidth.
  const QString widest = QString::number(std::max<std::int64_t>(0, Table_->RowCount() - 1));
  Grid_->setColumnWidth(0, std::max(40, fontMetrics().horizontalAdvance(widest + "00")));
  for (int c = 1; c < Table_->ColumnCount(); ++c) Grid_->setColumnWidth(c, columnWidth);
  ShowInfo();
  FitWidthToColumns();
}

// Wide enough for every column (and the scroll bar), up to the screen's
// width; never narrower than it is.
void TFunctionTableWindow::FitWidthToColumns() {
  int columns = 0;
  for (int c = 0; c < Table_->ColumnCount(); ++c) columns += Grid_->columnWidth(c);
  // The layout has no margins: the grid's frame and scroll bar beside the columns.
  const int wanted = columns + 2 * Grid_->frameWidth() + Grid_->verticalScrollBar()->sizeHint().width() + 4;
  if (wanted <= width()) return;
  const QRect placed = ClampToScreen(
      QRect(frameGeometry().topLeft(), QSize(wanted + frameGeometry().width() - width(), frameGeometry().height())));
  resize(placed.width() - (frameGeometry().width() - width()), height());
  if (isVisible()) move(placed.topLeft());
}

void TFunctionTableWindow::ShowInfo() {
  const std::int64_t rows = Table_->RowCount();
  Info_->setText(rows == 1 ? QString("1 point") : QString("%1 points").arg(rows));
}

TFunctionTable& TFunctionTableWindow::EditableTable() {
  if (Table_.use_count() > 1) {
    Table_ = std::make_shared<TFunctionTable>(*Table_);
    Model_->ShowTable(Table_.get());
  }
  return *Table_;
}

void TFunctionTableWindow::SetNullMarker(bool on) {
  if (NullMarker_->isChecked() != on) {
    NullMarker_->setChecked(on);  // comes back here through toggled
    return;
  }
  EditableTable().SetNullMarker(on);
  Model_->TextsChanged();
}

// ---- files -----------------------------------------------------------------------------------------

QString TFunctionTableWindow::ChooseSaveFile(const QString& caption, const QString& filter, const QString& suffix) {
  return TFileDialog::SaveFileName(this, caption, LastFolder_, filter, suffix);
}

void TFunctionTableWindow::SaveAs() {
  const QString file = ChooseSaveFile("Save As", kDataFilter, "dat");
  if (!file.isEmpty()) SaveAsFile(file);
}

namespace {
struct TFileRun {
  TWriteOutcome Outcome = TWriteOutcome::Failed;
  std::string Error;
  std::string Path;
};
}  // namespace

void TFunctionTableWindow::SaveAsFile(const QString& fileName) {
  auto run = std::make_shared<TFileRun>();
  run->Path = fileName.toStdString();
  std::shared_ptr<const TFunctionTable> table = Table_;
  StartRun(
      "Saving",
      [this, run, table] {
        run->Outcome = SaveTableCommaText(
            *table, run->Path, run->Error, [this] { return Calc_.StopRequested(); }, &WorkProgress_);
      },
      [this, run] {
        if (run->Outcome == TWriteOutcome::Failed) Ui_->ShowMessage(run->Error);
        // The next dialog starts where a file was last written.
        if (run->Outcome == TWriteOutcome::Written) LastFolder_ = QFileInfo(Text(run->Path)).absolutePath();
        Info_->setText(run->Outcome == TWriteOutcome::Written ? "Saved " + Text(run->Path) : "Not saved");
      });
}

void TFunctionTableWindow::ExportWorkbook() {
  const QString file = ChooseSaveFile("Export .xlsx", kWorkbookFilter, "xlsx");
  if (!file.isEmpty()) ExportWorkbookFile(file);
}

void TFunctionTableWindow::ExportWorkbookFile(const QString& fileName) {
  auto run = std::make_shared<TFileRun>();
  run->Path = fileName.toStdString();
  std::shared_ptr<const TFunctionTable> table = Table_;
  StartRun(
      "Writing the workbook",
      [this, run, table] {
        run->Outcome = WriteTableWorkbook(
            *table, run->Path, run->Error, [this] { return Calc_.StopRequested(); }, &WorkProgress_);
      },
      [this, run] {
        if (run->Outcome == TWriteOutcome::Failed) Ui_->ShowMessage(run->Error);
        if (run->Outcome == TWriteOutcome::Written) LastFolder_ = QFileInfo(Text(run->Path)).absolutePath();
        Info_->setText(run->Outcome == TWriteOutcome::Written ? "Exported to " + Text(run->Path) : "Not exported");
      });
}

void TFunctionTableWindow::OpenInSpreadsheet() {
  auto run = std::make_shared<TFileRun>();
  std::shared_ptr<const TFunctionTable> table = Table_;
  StartRun(
      "Writing the workbook",
      [this, run, table] {
        const std::string folder = NewExportFolder(run->Error);
        if (folder.empty()) return;
        run->Path = folder + kExportFileName;
        run->Outcome = WriteTableWorkbook(
            *table, run->Path, run->Error, [this] { return Calc_.StopRequested(); }, &WorkProgress_);
      },
      [this, run] {
        if (run->Outcome == TWriteOutcome::Failed) Ui_->ShowMessage(run->Error);
        if (run->Outcome != TWriteOutcome::Written) {
          Info_->setText("Not exported");
          return;
        }
        Info_->setText("Exported to " + Text(run->Path));
        if (!OpenWithDesktop(Text(run->Path)))
          Ui_->ShowMessage("No program could open the workbook. It was saved as " + run->Path);
      });
}

void TFunctionTableWindow::ShowChart() {
  if (Chart_ != nullptr) Chart_->ShowChart();
}

}  // namespace helmax
