#include "MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

#include "ChartWindow.h"
#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
#include "ConversionTable.h"
#include "ConversionTableWindow.h"
#include "DerivativeWindow.h"
#include "ElementWindow.h"
#include "EquivalenceWindow.h"
#include "ExchangeWindow.h"
#include "FileDialog.h"
#include "FunctionTableWindow.h"
#include "FunctionVariableDialog.h"
#include "HelpWindow.h"
#include "IntegrationWindow.h"
#include "InterpolationWindow.h"
#include "LinearSystemWindow.h"
#include "PeriodicTableWindow.h"
#include "ProgramFolder.h"
#include "QtUserInterface.h"
#include "UnitConversionWindow.h"
#include "UnitGraphWindow.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

constexpr int kMinimumPane = 50;
const char* const kFileFilter = "Text files (*.txt);;All files (*)";

QGroupBox* Group(const QString& title, QPlainTextEdit* pane) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pane);
  box->setMinimumHeight(kMinimumPane);
  return box;
}

}  // namespace

TMainWindow::TMainWindow(TCalculatorFiles files, TUserInterface* ui, QWidget* parent) : QMainWindow(parent) {
  setObjectName("mainWindow");
  if (ui == nullptr) {
    auto own = std::make_unique<TQtUserInterface>(this);
    QtUi_ = own.get();
    OwnUi_ = std::move(own);
    ui = OwnUi_.get();
  }
  Ui_ = ui;
  // The core may speak from the worker thread: its boxes open on this one.
  GuiUi_ = std::make_unique<TGuiThreadUserInterface>(*Ui_);
  Calc_ = std::make_unique<TCalculator>(*GuiUi_, std::move(files));
  Calc_->SetStepBudget(kStepBudget);  // until the settings are read
  // One bad expression leaves the others' results in sight.
  Calc_->KeepOtherResults = true;
  // A document or history entry shows its panes before it is calculated.
  Calc_->OnPanesLoaded = [this](const std::string& definitions, const std::string& expressions) {
    const std::uint64_t run = Runner_->RunNumber();
    QMetaObject::invokeMethod(
        this,
        [this, run, definitions, expressions] {
          // Only while that run goes on (afterwards the window shows the
          // core) and nothing was typed since it began.
          if (!Runner_->Busy() || Runner_->RunNumber() != run || Edits_ != EditsAtRun_) return;
          SetPaneText(DefinitionsPane_, definitions);
          SetPaneText(ExpressionsPane_, expressions);
        },
        Qt::QueuedConnection);
  };
  Runner_ = new TCalculationRunner(this);
  // A tool's long work shows its progress in the tool: the panes stay.
  connect(Runner_, &TCalculationRunner::LongRun, this, [this] {
    if (Running_ != TWork::Tool) ResultsPane_->setPlainText(QString::fromUtf8("Calculating\u2026 (Esc stops)"));
  });
  EditTimer_ = new QTimer(this);
  EditTimer_->setSingleShot(true);
  EditTimer_->setInterval(0);
  connect(EditTimer_, &QTimer::timeout, this, &TMainWindow::ProcessQueue);
  MemoryTimer_ = new QTimer(this);
  MemoryTimer_->setInterval(2000);
  connect(MemoryTimer_, &QTimer::timeout, this, [this] {
    if (!Idle()) return;
    Calc_->RefreshMemoryPanel();
    Panels_[2]->setText(QString::fromStdString(Calc_->MemoryPanelText()));
  });
  MemoryTimer_->start();
  // The function-variable dialog exists for the whole run: every
  // definitions compile applies the name it shows.
  Calc_->FunctionVariableDialogText = Calc_->FunctionVariable();
  BuildPanes();
  BuildMenus();
  BuildStatusBar();
  resize(640, 680);
  Splitter_->setSizes({150, 200, 300});

  // The other windows, once, in the program's order; closing hides them.
  Help_ = new THelpWindow(this);
  Variable_ = new TFunctionVariableDialog(*this);
  // Functions > Table computes on the core's worker, through the queue.
  TUserInterface& tableUi = NewToolUi();
  Table_ = new TFunctionTableWindow(*Calc_, tableUi, this);
  PlaceToolUi(tableUi, Table_);
  Table_->RunForTool = [this](auto prepare, auto work, auto finish) { RunForTool(prepare, work, finish); };
  Table_->StopCalculation = [this] { StopCalculation(); };
  Table_->PausePoint = [this] { PauseForMain(); };
  Table_->OnShowConstants = [this] { ShowConstantList(); };
  Action("table")->setEnabled(true);
  connect(Action("table"), &QAction::triggered, Table_, &TFunctionTableWindow::ComputeTable);
  Constants_ = new TConstantListWindow(Calc_->Constants(), this);
  Constants_->OnShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  Constants_->OnClearResults = [this] { ClearResults(); };
  Constants_->BeforeCoreAccess = [this] { StopAndWait(); };
  Derivative_ = new TDerivativeWindow(this);
  TUserInterface& equivalenceUi = NewToolUi();
  Equivalence_ = new TEquivalenceWindow(equivalenceUi, this);
  PlaceToolUi(equivalenceUi, Equivalence_);
  auto showTool = [](QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
  };
  QAction* derivative = Action("derivative");
  derivative->setEnabled(true);
  connect(derivative, &QAction::triggered, this, [this, showTool] { showTool(Derivative_); });
  Derivative_->OnCopyToExpressions = [this](const QString& derivative) { AppendExpression(derivative); };
  QAction* equivalent = Action("equivalentTest");
  equivalent->setEnabled(true);
  connect(equivalent, &QAction::triggered, this, [this, showTool] { showTool(Equivalence_); });

  SetFont(19);
  SetExpressionsColor(TPaneColor::Money);
  // Settings: written first when missing (with this start-up state), then
  // read and applied.
  CollectSettings();
  Calc_->ReadSettings();
  ApplySettings();
  CreateConversionTools();
  CreateConstantsLibrary();
  CreatePeriodicTable();
  CreateNumericTools();
  CreateExchange();
  Chart_ = new TChartWindow(this);
  Table_->SetChartWindow(Chart_);
  // Every tool window exists now: all take the main window's layer and
  // open within the screen.
  SetStayOnTop(Action("stayOnTop")->isChecked());
  for (QWidget* w : findChildren<QWidget*>())
    if (w->isWindow() && w->windowType() == Qt::Window) KeepOnScreen(w);
  for (std::function<void()>* showMain : {&Table_->OnShowMain, &Chart_->OnShowMain})
    *showMain = [this] {
      show();
      raise();
      activateWindow();
    };
  SyncFromCore();
}

TMainWindow::~TMainWindow() {
  StopAndWait();
  delete Runner_;  // its worker thread ends before the core goes
  Runner_ = nullptr;
}

// ---- building ------------------------------------------------------------------

void TMainWindow::BuildPanes() {
  DefinitionsPane_ = new QPlainTextEdit;
  DefinitionsPane_->setObjectName("definitionsPane");
  ExpressionsPane_ = new QPlainTextEdit;
  ExpressionsPane_->setObjectName("expressionsPane");
  ResultsPane_ = new QPlainTextEdit;
  ResultsPane_->setObjectName("resultsPane");
  ResultsPane_->setReadOnly(true);
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) {
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves between the panes: the engine takes no tab for a blank.
    pane->setTabChangesFocus(true);
    pane->installEventFilter(this);
  }
  DefinitionsPane_->setPlainText(QString::fromStdString(Calc_->DefinitionsText));
  DefinitionsGroup_ = Group("User variables and functions ", DefinitionsPane_);
  ExpressionsGroup_ = Group("Mathematical expressions", ExpressionsPane_);
  ResultsGroup_ = Group("Results", ResultsPane_);
  Splitter_ = new QSplitter(Qt::Vertical);
  Splitter_->setChildrenCollapsible(false);
  Splitter_->addWidget(DefinitionsGroup_);
  Splitter_->addWidget(ExpressionsGroup_);
  Splitter_->addWidget(ResultsGroup_);
  Splitter_->setStretchFactor(2, 1);
  setCentralWidget(Splitter_);
  DefinitionsHelp_ = new TPaneTypingHelp(DefinitionsPane_, Names_);
  ExpressionsHelp_ = new TPaneTypingHelp(ExpressionsPane_, Names_);
  // Typing evaluates; the name being typed gets its completions. Only
  // edits count: highlighting the panes again (new names) is no edit,
  // though the document reports it as a change.
  connect(DefinitionsPane_, &QPlainTextEdit::textChanged, this, [this] {
    if (DefinitionsHelp_->Rehighlighting()) return;
    DefinitionsChanged();
    if (DefinitionsPane_->hasFocus()) DefinitionsHelp_->OfferCompletions(false);
  });
  connect(ExpressionsPane_, &QPlainTextEdit::textChanged, this, [this] {
    if (ExpressionsHelp_->Rehighlighting()) return;
    ExpressionsChanged();
    if (ExpressionsPane_->hasFocus()) ExpressionsHelp_->OfferCompletions(false);
  });
  ResultsPane_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ResultsPane_, &QWidget::customContextMenuRequested, this, &TMainWindow::ShowResultsMenu);
  // Aligned results scroll with their expressions.
  connect(ExpressionsPane_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (AlignedResults_) ResultsPane_->verticalScrollBar()->setValue(v);
  });
  connect(ResultsPane_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (AlignedResults_) ExpressionsPane_->verticalScrollBar()->setValue(v);
  });
  installEventFilter(this);
}

QAction* TMainWindow::AddAction(QMenu* menu, const QString& caption, const char* objectName) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(objectName);
  return a;
}

void TMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("fileMenu");
  connect(AddAction(file, "&Open", "open"), &QAction::triggered, this, &TMainWindow::OpenFile);
  Save_ = AddAction(file, "&Save", "save");
  connect(Save_, &QAction::triggered, this, &TMainWindow::SaveFile);
  connect(AddAction(file, "Save &As...", "saveAs"), &QAction::triggered, this, &TMainWindow::SaveFileAs);
  connect(file, &QMenu::aboutToShow, this, [this] {
    if (Idle()) Save_->setEnabled(Calc_->DocumentFileValid);
  });

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(AddAction(edit, "&Clear", "clear"), &QAction::triggered, this, &TMainWindow::ClearExpressions);
  Undo_ = AddAction(edit, "&Undo", "undo");
  connect(Undo_, &QAction::triggered, this, &TMainWindow::Undo);
  Redo_ = AddAction(edit, "&Redo", "redo");
  connect(Redo_, &QAction::triggered, this, &TMainWindow::Redo);
  connect(AddAction(edit, "Clear &History", "clearHistory"), &QAction::triggered, this, &TMainWindow::ClearHistory);

  QMenu* view = menuBar()->addMenu("&View");
  QAction* onTop = AddAction(view, "&Stay on top", "stayOnTop");
  onTop->setCheckable(true);
  onTop->setChecked(true);
  connect(onTop, &QAction::toggled, this, &TMainWindow::SetStayOnTop);
  QAction* userFunctions = AddAction(view, "&User functions", "userFunctions");
  userFunctions->setCheckable(true);
  userFunctions->setChecked(true);
  connect(userFunctions, &QAction::toggled, this, &TMainWindow::SetUserFunctionsVisible);
  QAction* aligned = AddAction(view, "&Aligned results", "alignedResults");
  aligned->setCheckable(true);
  connect(aligned, &QAction::toggled, this, [this](bool on) {
    AlignedResults_ = on;
    if (Idle()) ShowResults();
  });
  QAction* errorMessage = AddAction(view, "&Error message", "errorMessage");
  errorMessage->setCheckable(true);
  errorMessage->setChecked(true);
  connect(errorMessage, &QAction::toggled, this,
          [this](bool on) { Enqueue(TWork::Command, [this, on] { Calc_->SetErrorMessageView(on); }); });

  // The tool windows come later; their items are there, disabled.
  // "u": File has the F.
  QMenu* functions = menuBar()->addMenu("F&unctions");
  const char* tools[][2] = {{"&Table", "table"},
                            {"&Derivative", "derivative"},
                            {"I&ntegral", "integral"},
                            {"&Equivalent test", "equivalentTest"},
                            {"&Conversion", "conversion"},
                            {"&System Solver", "systemSolver"},
                            {"&Periodic Table", "periodicTable"},
                            {"&Interpolation", "interpolation"},
                            {"E&xchange", "exchange"}};
  for (const auto& t : tools) AddAction(functions, t[0], t[1])->setEnabled(false);

  QMenu* options = menuBar()->addMenu("&Options");
  QMenu* format = options->addMenu("&Format");
  auto* formats = new QActionGroup(this);
  QAction* currency = AddAction(format, "&Currency", "currency");
  QAction* scientific = AddAction(format, "&Scientific", "scientific");
  for (QAction* a : {currency, scientific}) {
    a->setCheckable(true);
    formats->addAction(a);
  }
  scientific->setChecked(true);
  for (QAction* a : {currency, scientific}) {
    const bool toCurrency = a == currency;
    connect(a, &QAction::triggered, this, [this, toCurrency] {
      Enqueue(
          TWork::Command, [this] { TakeExpressions(); },
          [this, toCurrency] { Calc_->SetCurrencyMode(toCurrency, TReport::Pane); });
    });
  }
  connect(AddAction(options, "&Variable", "variable"), &QAction::triggered, this,
          &TMainWindow::ShowFunctionVariableDialog);
  connect(AddAction(options, "&Constants", "constants"), &QAction::triggered, this, &TMainWindow::ShowConstantList);
  AddAction(options, "&Def conversions", "conversionTables")->setEnabled(false);
  connect(AddAction(options, "D&ef constants", "constantsLibrary"), &QAction::triggered, this,
          &TMainWindow::ShowConstantsLibrary);
  // How long an evaluation may run before it is stopped as a runaway.
  QMenu* limit = options->addMenu("&Time limit");
  limit->setObjectName("timeLimitMenu");
  auto* limits = new QActionGroup(this);
  const std::pair<const char*, int> limitItems[] = {
      {"&5 seconds", 5}, {"&30 seconds", 30}, {"&2 minutes", 120}, {"&10 minutes", 600}, {"&None", 0}};
  for (const auto& [caption, seconds] : limitItems) {
    QAction* a =
        AddAction(limit, caption, seconds == 0 ? "timeLimitNone" : qPrintable(QString("timeLimit%1").arg(seconds)));
    a->setCheckable(true);
    a->setData(seconds);
    limits->addAction(a);
    connect(a, &QAction::triggered, this, [this, seconds = seconds] { SetTimeLimit(seconds); });
  }
  Action("timeLimit5")->setChecked(true);
  QMenu* font = options->addMenu("F&ont");
  auto* fonts = new QActionGroup(this);
  QAction* normal = AddAction(font, "&Normal", "normalFont");
  QAction* large = AddAction(font, "&Large", "largeFont");
  for (QAction* a : {normal, large}) {
    a->setCheckable(true);
    fonts->addAction(a);
  }
  normal->setChecked(true);
  connect(normal, &QAction::triggered, this, [this] { SetFont(19); });
  connect(large, &QAction::triggered, this, [this] { SetFont(27); });
  QMenu* color = options->addMenu("Co&lor");
  auto* colors = new QActionGroup(this);
  QAction* money = AddAction(color, "&Money", "money");
  QAction* sky = AddAction(color, "&Sky", "sky");
  for (QAction* a : {money, sky}) {
    a->setCheckable(true);
    colors->addAction(a);
  }
  money->setChecked(true);
  connect(money, &QAction::triggered, this, [this] { SetExpressionsColor(TPaneColor::Money); });
  connect(sky, &QAction::triggered, this, [this] { SetExpressionsColor(TPaneColor::Sky); });

  QMenu* help = menuBar()->addMenu("&Help");
  connect(AddAction(help, "&Built-in functions", "builtInFunctions"), &QAction::triggered, this,
          &TMainWindow::ShowBuiltInFunctions);
}

// The panels take 110, 220 and the rest of the pixels while there is room;
// a narrow window shrinks them side by side (their texts cut) instead of
// drawing them over each other.
void TMainWindow::BuildStatusBar() {
  const int widths[3] = {110, 220, 50};
  for (int i = 0; i < 3; ++i) {
    Panels_[i] = new QLabel;
    Panels_[i]->setObjectName(QString("statusPanel%1").arg(i));
    Panels_[i]->setMinimumWidth(30);
    Panels_[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    if (i < 2) Panels_[i]->setMaximumWidth(widths[i]);
    statusBar()->addWidget(Panels_[i], i == 2 ? 1 : widths[i] / 50);
  }
}

QAction* TMainWindow::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

QString TMainWindow::StatusText(int panel) const { return Panels_[panel]->text(); }

// ---- presenting the core ------------------------------------------------------

void TMainWindow::SetPaneText(QPlainTextEdit* pane, const std::string& text) {
  const QString wanted = QString::fromStdString(text);
  if (pane->toPlainText() == wanted) return;
  const QSignalBlocker quiet(pane);  // set by the program: not an edit
  pane->setPlainText(wanted);
}

void TMainWindow::SyncFromCore() {
  if (Runner_->Busy()) return;
  // Only what the core itself put in a pane (a document, Undo, Clear) goes
  // in: text typed meanwhile, which the core has not taken yet, stays.
  if (Calc_->DefinitionsText != DefinitionsTaken_) {
    SetPaneText(DefinitionsPane_, Calc_->DefinitionsText);
    DefinitionsTaken_ = Calc_->DefinitionsText;
  }
  if (Calc_->ExpressionsText != ExpressionsTaken_) {
    SetPaneText(ExpressionsPane_, Calc_->ExpressionsText);
    ExpressionsTaken_ = Calc_->ExpressionsText;
  }
  SyncNames();
  ShowResults();
  ShowDefinitionsError();
  Panels_[0]->setText(QString::fromStdString(Calc_->FormatPanelText()));
  Panels_[1]->setText(QString::fromStdString(Calc_->HistoryPanelText()));
  Panels_[2]->setText(QString::fromStdString(Calc_->MemoryPanelText()));
  setWindowTitle(QString::fromStdString(Calc_->Caption));
  Undo_->setEnabled(Calc_->History().UndoEnabled());
  Redo_->setEnabled(Calc_->History().RedoEnabled());
  Save_->setEnabled(Calc_->DocumentFileValid);
  if (QAction* a = Action("errorMessage"); a->isChecked() != Calc_->ErrorMessageView) {
    const QSignalBlocker quiet(a);
    a->setChecked(Calc_->ErrorMessageView);
  }
  Action(Calc_->CurrencyMode() ? "currency" : "scientific")->setChecked(true);
}

// The definitions' own error stays in sight in their group's title (cut to
// fit; the whole line in the tooltip) while the results pane may say
// something else.
void TMainWindow::ShowDefinitionsError() {
  static const QString kTitle = "User variables and functions ";
  const QString error = QString::fromStdString(Calc_->DefinitionsError());
  if (error.isEmpty()) {
    DefinitionsGroup_->setTitle(kTitle);
    DefinitionsGroup_->setToolTip(QString());
    return;
  }
  const QFontMetrics metrics(DefinitionsGroup_->font());
  const int room = std::max(80, DefinitionsGroup_->width() - metrics.horizontalAdvance(kTitle) - 40);
  DefinitionsGroup_->setTitle(kTitle + QString::fromUtf8("\u2014 ") + metrics.elidedText(error, Qt::ElideRight, room));
  DefinitionsGroup_->setToolTip(error);
}

// The catalogue of names follows the definitions and constants, and with it
// the highlighting and the completions.
void TMainWindow::SyncNames() {
  if (Calc_->NamesVersion() == NamesShown_) return;
  NamesShown_ = Calc_->NamesVersion();
  Names_.Rebuild(Calc_->DefinitionsEngine(), Calc_->Constants());
  DefinitionsHelp_->NamesChanged();
  ExpressionsHelp_->NamesChanged();
}

// The results, on the lines of their expressions when asked for and the
// pane holds one expression per line; the place of a failure is marked.
void TMainWindow::ShowResults() {
  QString shown = QString::fromStdString(Calc_->ResultsText);
  if (Calc_->ResultsShown() && !Calc_->PartialResults()) {
    const std::string& all = Calc_->ResultsText;
    const std::size_t lastLine = all.rfind('\n');
    const QString last = QString::fromStdString(lastLine == std::string::npos ? all : all.substr(lastLine + 1));
    if (!last.isEmpty()) LastResult_ = last;
  }
  if (AlignedResults_ && Calc_->ResultsShown()) {
    if (const auto lines = ExpressionLines(Calc_->ExpressionsText)) {
      std::vector<std::string> results;
      for (const QString& r : shown.split('\n')) results.push_back(r.toStdString());
      if (results.size() == lines->size())
        shown = QString::fromStdString(AlignedResults(results, *lines, ExpressionsPane_->blockCount()));
    }
  }
  ResultsPane_->setPlainText(shown);
  if (AlignedResults_) ResultsPane_->verticalScrollBar()->setValue(ExpressionsPane_->verticalScrollBar()->value());
  if (const auto& range = Calc_->ExpressionsErrorRange()) {
    const std::string& text = Calc_->ExpressionsText;
    auto at = [&](std::size_t byte) {
      return static_cast<int>(
          QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(byte, text.size()))).size());
    };
    ExpressionsHelp_->MarkError(at(range->first), at(range->second));
  } else {
    ExpressionsHelp_->MarkError(0, 0);
  }
}

void TMainWindow::ShowResultsMenu(const QPoint& at) {
  QMenu menu(this);
  const QString line = ResultsPane_->cursorForPosition(at).block().text();
  QAction* one = menu.addAction("Copy &result");
  one->setEnabled(!line.isEmpty());
  connect(one, &QAction::triggered, this, [line] { QApplication::clipboard()->setText(line); });
  connect(menu.addAction("Copy &all results"), &QAction::triggered, this,
          [this] { QApplication::clipboard()->setText(ResultsPane_->toPlainText()); });
  menu.exec(ResultsPane_->viewport()->mapToGlobal(at));
}

// Ctrl+R: the last result that was shown goes in at the cursor, also while
// the pane does not compile (2+3* waits for its operand).
void TMainWindow::InsertLastResult() {
  if (!LastResult_.isEmpty()) ExpressionsPane_->insertPlainText(LastResult_);
}

// A new expression after the pane's last one, on a line of its own, as if
// typed there: the pane is evaluated again.
void TMainWindow::AppendExpression(const QString& expression) {
  const QString pane = ExpressionsPane_->toPlainText();
  int trailing = 0;  // blanks after the last expression go
  while (trailing < pane.size() && pane[pane.size() - 1 - trailing].isSpace()) ++trailing;
  QString added = expression;
  if (trailing < pane.size()) added.prepend(pane[pane.size() - 1 - trailing] == ',' ? "\n" : ",\n");
  QTextCursor end(ExpressionsPane_->document());
  end.movePosition(QTextCursor::End);
  if (trailing > 0) end.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, trailing);
  end.insertText(added);
  ExpressionsPane_->setTextCursor(end);
}

void TMainWindow::ClearResults() {
  Calc_->ResultsText.clear();
  ResultsPane_->clear();
}

// ---- work for the core --------------------------------------------------------

bool TMainWindow::Idle() const { return !Runner_->Busy() && Queue_.empty() && !Processing_ && !EditTimer_->isActive(); }

bool TMainWindow::MainCalculating() const {
  if (Runner_->Busy() && Running_ != TWork::Tool) return true;
  if (InPause_ || EditTimer_->isActive()) return true;
  return std::any_of(Queue_.begin(), Queue_.end(), [](const TQueued& q) { return q.Kind != TWork::Tool; });
}

void TMainWindow::Enqueue(TWork kind, std::function<void()> prepare, std::function<void()> work) {
  const bool coveredByWaitingEdit = kind != TWork::Command && !Queue_.empty() && Queue_.back().Kind == kind;
  if (!coveredByWaitingEdit) Queue_.push_back({kind, std::move(prepare), std::move(work), {}});
  // What comes later replaces a running evaluation of the same pane, or any
  // evaluation of the expressions; a command replaces anything. An edit of
  // the expressions never stops the definitions, which it needs. A tool's
  // work goes on: an edit of the expressions is evaluated at its next pause
  // (PauseForMain), anything else waits until it is done.
  if (Runner_->Busy() && Running_ == TWork::Tool) {
    if (kind == TWork::ExpressionsEdit) MainWorkWaiting_.store(true);
    if (InPause_ && kind == TWork::ExpressionsEdit) Calc_->RequestStop();
  } else if (Runner_->Busy() && (kind == TWork::Command || kind == Running_ || Running_ == TWork::ExpressionsEdit)) {
    Calc_->RequestStop();
  }
  if (kind == TWork::Command) ProcessQueue();
  else EditTimer_->start();  // typing: once the keystrokes waiting are in
}

void TMainWindow::ProcessQueue() {
  if (Processing_ || Runner_->Busy()) return;  // the running loop below takes it
  Processing_ = true;
  while (!Queue_.empty()) {
    TQueued next = std::move(Queue_.front());
    Queue_.pop_front();
    TBoxesOver over(QtUi_, next.Kind == TWork::Tool ? next.Window.data() : nullptr);
    if (next.Prepare) next.Prepare();
    const std::uint64_t names = Calc_->NamesVersion();
    const std::uint64_t edits = Edits_;
    if (next.Work) {
      Running_ = next.Kind;
      EditsAtRun_ = Edits_;
      Calc_->ClearStopRequest();
      ToolStop_.store(false);
      Calc_->SetStepBudget(Calc_->Settings.TimeLimit * kStepsPerSecond);
      Runner_->Run(next.Work);
      Running_ = TWork::Command;
    }
    if (next.Finish) next.Finish();
    // Definitions typed while a tool ran are compiled now; the expressions
    // are evaluated with them afterwards, so that their results show.
    if (next.Kind == TWork::Tool && Edits_ != edits) {
      const auto lastDefinitions = std::find_if(Queue_.rbegin(), Queue_.rend(),
                                                [](const TQueued& q) { return q.Kind == TWork::DefinitionsEdit; });
      const bool evaluated = std::any_of(Queue_.rbegin(), lastDefinitions,
                                         [](const TQueued& q) { return q.Kind == TWork::ExpressionsEdit; });
      if (lastDefinitions != Queue_.rend() && !evaluated)
        Queue_.push_back({TWork::ExpressionsEdit,
                          [this] { TakeExpressions(); },
                          [this] { Calc_->ExpressionsChanged(TReport::Pane); },
                          {}});
    }
    // A tool that compiled the definitions again (the table does) left the
    // expressions to be evaluated with them: that shows their results.
    const bool evaluateAgain = next.Kind == TWork::Tool && Calc_->NamesVersion() != names &&
                               (Queue_.empty() || Queue_.front().Kind != TWork::ExpressionsEdit);
    if (evaluateAgain)
      Queue_.push_front({TWork::ExpressionsEdit,
                         [this] { TakeExpressions(); },
                         [this] { Calc_->ExpressionsChanged(TReport::Pane); },
                         {}});
    // Only the latest work's results are shown.
    else if (Queue_.empty() || next.Kind == TWork::Command || next.Kind == TWork::Tool) SyncFromCore();
  }
  Processing_ = false;
}

void TMainWindow::RunForTool(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish) {
  // The calculator's own messages during the run (its definitions, say) go
  // over the tool window that started it.
  QWidget* tool = QApplication::activeWindow();
  Queue_.push_back({TWork::Tool, std::move(prepare), std::move(work), std::move(finish),
                    tool != nullptr && tool != this && tool->isWindow() ? tool : nullptr});
  // A tool's command replaces a tool's work that runs; the main window's
  // own evaluation ends first.
  if (Runner_->Busy() && Running_ == TWork::Tool) StopToolWork();
  ProcessQueue();
}

// A tool's Cancel (or Esc in it): only a tool's work stops, also while the
// main window's evaluation runs in one of its pauses.
void TMainWindow::StopCalculation() {
  if (Runner_->Busy() && Running_ == TWork::Tool) StopToolWork();
}

void TMainWindow::StopMainCalculation() {
  if (InPause_ || (Runner_->Busy() && Running_ != TWork::Tool)) Calc_->RequestStop();
}

void TMainWindow::StopToolWork() {
  ToolStop_.store(true);
  if (!InPause_) Calc_->RequestStop();
}

// Runs on the worker, between two pieces of a tool's work: an edit of the
// expressions that waits is evaluated now (the tool's state put aside by
// the tool), so that the main window goes on giving results. Nothing but
// such edits runs here, and not while the definitions are to be compiled
// again.
void TMainWindow::PauseForMain() {
  if (!MainWorkWaiting_.exchange(false)) return;
  std::function<void()> work;
  QMetaObject::invokeMethod(
      this,
      [this, &work] {
        if (Queue_.empty() || Calc_->DefinitionsStale()) return;
        for (const TQueued& q : Queue_)
          if (q.Kind != TWork::ExpressionsEdit) return;
        TQueued next = std::move(Queue_.back());
        Queue_.clear();
        EditTimer_->stop();
        if (next.Prepare) next.Prepare();
        work = std::move(next.Work);
        InPause_ = true;
      },
      Qt::BlockingQueuedConnection);
  if (!work) return;
  const bool toolStop = Calc_->StopRequested() || ToolStop_.load();
  Calc_->ClearStopRequest();
  try {
    work();
  } catch (const std::exception& e) { GuiUi_->ShowMessage(e.what()); }
  QMetaObject::invokeMethod(
      this,
      [this] {
        InPause_ = false;
        // The panes stay as typed; the results and the panels follow.
        ShowResults();
        Panels_[0]->setText(QString::fromStdString(Calc_->FormatPanelText()));
      },
      Qt::BlockingQueuedConnection);
  if (toolStop || ToolStop_.load()) Calc_->RequestStop();
  else Calc_->ClearStopRequest();
}

void TMainWindow::StopAndWait() {
  if (!Runner_->Busy()) return;
  Calc_->RequestStop();
  Runner_->WaitUntilIdle();
}

// ---- the evaluation cycle ----------------------------------------------------

void TMainWindow::DefinitionsChanged() {
  ++Edits_;
  Enqueue(
      TWork::DefinitionsEdit, [this] { TakeDefinitions(); }, [this] { Calc_->DefinitionsChanged(TReport::Pane); });
}

void TMainWindow::ExpressionsChanged() {
  ++Edits_;
  Enqueue(
      TWork::ExpressionsEdit, [this] { TakeExpressions(); }, [this] { Calc_->ExpressionsChanged(TReport::Pane); });
}

// Both panes as they stand, for the commands that keep or write them.
void TMainWindow::EditsChanged() {
  TakeDefinitions();
  TakeExpressions();
}

void TMainWindow::TakeDefinitions() {
  Calc_->DefinitionsText = DefinitionsPane_->toPlainText().toStdString();
  DefinitionsTaken_ = Calc_->DefinitionsText;
}

void TMainWindow::TakeExpressions() {
  Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
  ExpressionsTaken_ = Calc_->ExpressionsText;
}

// ---- history --------------------------------------------------------------------

void TMainWindow::ClearExpressions() {
  Enqueue(TWork::Command, [this] {
    EditsChanged();
    Calc_->ClearExpressions();
  });
}

void TMainWindow::Undo() {
  Enqueue(
      TWork::Command, [this] { EditsChanged(); }, [this] { Calc_->Undo(); });
}

void TMainWindow::Redo() {
  Enqueue(
      TWork::Command, [this] { EditsChanged(); }, [this] { Calc_->Redo(); });
}

void TMainWindow::ReloadCurrentEntry() {
  Enqueue(TWork::Command, {}, [this] { Calc_->ReloadCurrentEntry(); });
}

void TMainWindow::ClearHistory() {
  Enqueue(TWork::Command, [this] { Calc_->ClearHistory(); });
}

// ---- files ------------------------------------------------------------------------

void TMainWindow::OpenFile() {
  Enqueue(TWork::Command, [this] {
    Calc_->Caption = TCalculator::kCaption;
    setWindowTitle(QString::fromStdString(Calc_->Caption));
    const QString file =
        TFileDialog::OpenFileName(this, "Open", QString::fromStdString(Calc_->Settings.FilePath), kFileFilter);
    if (!file.isEmpty()) OpenDocument(file);
  });
}

void TMainWindow::OpenDocument(const QString& fileName) {
  const std::string name = fileName.toStdString();
  Enqueue(TWork::Command, {}, [this, name] {
    Calc_->Open(name);
    Calc_->Settings.FilePath = name;
  });
}

void TMainWindow::SaveFile() {
  Enqueue(
      TWork::Command, [this] { EditsChanged(); }, [this] { Calc_->Save(); });
}

void TMainWindow::SaveFileAs() {
  Enqueue(TWork::Command, [this] {
    Calc_->Caption = TCalculator::kCaption;
    setWindowTitle(QString::fromStdString(Calc_->Caption));
    TFileDialog dialog(this, "Save As", QString::fromStdString(Calc_->Settings.FilePath), kFileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      SaveDocumentAs(dialog.selectedFiles().front());
  });
}

void TMainWindow::SaveDocumentAs(const QString& fileName) {
  const std::string name = fileName.toStdString();
  Enqueue(
      TWork::Command, [this] { EditsChanged(); },
      [this, name] {
        if (Calc_->SaveAs(name)) Calc_->Settings.FilePath = name;
      });
}

// ---- other windows --------------------------------------------------------------

void TMainWindow::ShowBuiltInFunctions() {
  Enqueue(TWork::Command, [this] {
    Help_->ShowHelp(QString::fromStdString(Calc_->HelpText()));
    CentreOnOwner(Help_, this);
  });
}

void TMainWindow::ShowFunctionVariableDialog() {
  Enqueue(TWork::Command, [this] { Variable_->exec(); });
}

void TMainWindow::ShowConstantList() {
  Enqueue(TWork::Command, [this] { Constants_->ShowList(); });
}

// ---- view ---------------------------------------------------------------------------

void TMainWindow::SetFont(int pixels) {
  FontPixels_ = pixels;
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) SetFontSize(pane, pixels);
  Variable_->SetFontPixels(pixels);
  Constants_->SetFontPixels(pixels);
  Derivative_->SetFontPixels(pixels);
  Equivalence_->SetFontPixels(pixels);
  if (LinearSystem_ != nullptr) LinearSystem_->SetFontPixels(pixels);
  if (Integration_ != nullptr) Integration_->SetFontPixels(pixels);
  FitMinimumHeights();
}

// No group gets smaller than one line of its pane's font (nor 50 pixels).
void TMainWindow::FitMinimumHeights() {
  const QFontMetrics metrics(ExpressionsPane_->font());
  const int frame = 2 * ExpressionsPane_->frameWidth();
  const int document = 2 * static_cast<int>(ExpressionsPane_->document()->documentMargin());
  const int paneHeight = metrics.lineSpacing() + frame + document;
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) pane->setMinimumHeight(paneHeight);
  int group = 0;
  for (QGroupBox* box : {DefinitionsGroup_, ExpressionsGroup_, ResultsGroup_})
    group = std::max(group, box->minimumSizeHint().height());
  MinimumPane_ = std::max(kMinimumPane, group);
  for (QGroupBox* box : {DefinitionsGroup_, ExpressionsGroup_, ResultsGroup_}) box->setMinimumHeight(MinimumPane_);
  // Groups that are now too small take the height from the largest.
  QList<int> sizes = Splitter_->sizes();
  for (int i = 0; i < sizes.size(); ++i) {
    if (sizes[i] == 0 || sizes[i] >= MinimumPane_) continue;
    const int need = MinimumPane_ - sizes[i];
    const int donor = static_cast<int>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    sizes[donor] -= need;
    sizes[i] += need;
  }
  Splitter_->setSizes(sizes);
}

QColor TMainWindow::PaneColor(TPaneColor color, bool darkPalette) {
  if (color == TPaneColor::Money) return darkPalette ? QColor(28, 56, 34) : QColor(192, 220, 192);
  return darkPalette ? QColor(20, 44, 64) : QColor(169, 205, 225);
}

void TMainWindow::SetExpressionsColor(TPaneColor color) {
  ExpressionsColor_ = color;
  ApplyColors();
}

// The panes follow the desktop's palette: the expressions pane takes the
// counterpart of its colour that suits it, and the typing help colours
// read well on each pane's background.
void TMainWindow::ApplyColors() {
  const QPalette desktop = QApplication::palette(DefinitionsPane_);
  const bool dark = desktop.color(QPalette::Base).lightness() < 128;
  QPalette p = ExpressionsPane_->palette();
  p.setColor(QPalette::Base, PaneColor(ExpressionsColor_, dark));
  p.setColor(QPalette::Text, desktop.color(QPalette::Text));
  ExpressionsPane_->setPalette(p);
  DefinitionsHelp_->SetColors(TTypingColors::For(desktop.color(QPalette::Base)));
  ExpressionsHelp_->SetColors(TTypingColors::For(PaneColor(ExpressionsColor_, dark)));
}

// The tool windows share the main window's layer, so that one opened from
// its menus comes in front of it.
void TMainWindow::SetTimeLimit(int seconds) {
  seconds = std::max(0, seconds);
  Calc_->Settings.TimeLimit = seconds;
  for (QAction* a : Action("timeLimit5")->actionGroup()->actions()) {
    const QSignalBlocker quiet(a);
    a->setChecked(a->data().toInt() == seconds);
  }
  // Taken by the next evaluation (ProcessQueue); a running one keeps the
  // budget it began with.
}

void TMainWindow::SetStayOnTop(bool on) {
  SetStaysOnTop(this, on);
  for (QWidget* w : findChildren<QWidget*>())
    if (w->isWindow() && w->windowType() == Qt::Window) SetOwnerStaysOnTop(w, on);
}

// Hiding gives the definitions group's height to the expressions group;
// showing takes the remembered height back from it.
void TMainWindow::SetUserFunctionsVisible(bool visible) {
  QList<int> sizes = Splitter_->sizes();
  if (!visible) {
    const int height = DefinitionsGroup_->isVisible() ? sizes[0] : 2;
    SavedDefinitionsHeight_ = height <= 2 ? MinimumPane_ : height;
    DefinitionsGroup_->hide();
    sizes[1] += sizes[0];
    sizes[0] = 0;
  } else {
    DefinitionsGroup_->show();
    const int give = std::max(0, std::min(SavedDefinitionsHeight_ - 2, sizes[1] - MinimumPane_));
    sizes[0] = std::max(MinimumPane_, give);
    sizes[1] -= give;
  }
  Splitter_->setSizes(sizes);
}

// Grows (or shrinks) the definitions (0) or expressions (1) group, taking
// the height from the results group; no pane goes under its minimum.
void TMainWindow::ResizeGroup(int pane, int delta) {
  QList<int> sizes = Splitter_->sizes();
  if (sizes[pane] + delta < MinimumPane_ || sizes[2] - delta < MinimumPane_) return;
  sizes[pane] += delta;
  sizes[2] -= delta;
  Splitter_->setSizes(sizes);
}

bool TMainWindow::HandleKey(QObject* watched, QKeyEvent* key) {
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  const bool keypad = key->modifiers() & Qt::KeypadModifier;
  switch (key->key()) {
    case Qt::Key_Escape:
      // Esc stops the window's own calculation and what waits behind it
      // (a tool's work goes on); only when nothing of its own runs does it
      // clear.
      if (MainCalculating()) {
        std::erase_if(Queue_, [](const TQueued& q) { return q.Kind != TWork::Tool; });
        EditTimer_->stop();
        StopMainCalculation();
      } else {
        ClearExpressions();
      }
      return true;
    case Qt::Key_F1: Undo(); return true;
    case Qt::Key_F2: Redo(); return true;
    case Qt::Key_F3: ReloadCurrentEntry(); return true;
    case Qt::Key_Space:
      // Ctrl+Space: the completions of the name at the cursor.
      if (mods != Qt::ControlModifier) return false;
      if (watched == DefinitionsPane_) DefinitionsHelp_->OfferCompletions(true);
      else if (watched == ExpressionsPane_) ExpressionsHelp_->OfferCompletions(true);
      return true;
    case Qt::Key_R:
      if (mods != Qt::ControlModifier || watched != ExpressionsPane_) return false;
      InsertLastResult();
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Ctrl+Tab moves on like Tab instead of typing a tab.
      if (!(mods & Qt::ControlModifier)) return false;
      focusNextPrevChild(key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
      if (!keypad) return false;
      const int delta = key->key() == Qt::Key_Plus ? 5 : -5;
      if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        resize(width() + delta, height());
        return true;
      }
      if (mods != Qt::ControlModifier) return false;
      if (watched == DefinitionsPane_) ResizeGroup(0, delta);
      else if (watched == ExpressionsPane_) ResizeGroup(1, delta);
      else if (watched == ResultsPane_) resize(width(), height() + delta);
      else return false;
      return true;
    }
    default: return false;
  }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
      // Ctrl+Tab reaches the pane's key handling below, not a shortcut.
      if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier)) event->accept();
    } else if (HandleKey(watched, key)) {
      return true;
    }
  } else if (event->type() == QEvent::FocusIn && (watched == DefinitionsPane_ || watched == ExpressionsPane_)) {
    // Entering a pane by the user (not the window getting focus back after
    // a message box) compiles again.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && Shown_) {
      DefinitionsChanged();
      if (watched == ExpressionsPane_) ExpressionsChanged();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange && DefinitionsGroup_ != nullptr) FitMinimumHeights();
  if (event->type() == QEvent::PaletteChange && DefinitionsHelp_ != nullptr) ApplyColors();
}

// ---- start and end -------------------------------------------------------------

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown_) return;
  Shown_ = true;
  // The window is painted first; the definitions and the default document
  // are evaluated afterwards, without holding it.
  QTimer::singleShot(0, this, [this] {
    // Now that the frame is known, the whole of it goes on a screen.
    const QRect frame = frameGeometry();
    const QRect placed = ClampToScreen(frame);
    if (placed != frame) {
      resize(size() - (frame.size() - placed.size()));
      move(placed.topLeft());
    }
    PrepareShow();
    if (FirstActivation_) FirstActivated();
  });
}

void TMainWindow::PrepareShow() {
  DefinitionsChanged();
  ExpressionsPane_->setFocus(Qt::OtherFocusReason);
}

void TMainWindow::FirstActivated() {
  FirstActivation_ = false;
  Enqueue(TWork::Command, {}, [this] { Calc_->FirstActivation(); });
  // The results are shown once the command's work is done.
  if (OnStarted) {
    Queue_.push_back({TWork::Command, {}, {}, [this] { QTimer::singleShot(0, this, OnStarted); }});
    ProcessQueue();
  }
}

// The frame's position and the client's size: what move() and resize()
// take back, so that a restart puts the window where it was.
void TMainWindow::CollectSettings() {
  TSettings& s = Calc_->Settings;
  const QPoint at = pos();
  s.Geometry = {at.y(),
                at.x(),
                height(),
                width(),
                DefinitionsGroup_->isVisible() || !Shown_ ? Splitter_->sizes()[0] : 2,
                Splitter_->sizes()[1]};
  s.StayOnTop = Action("stayOnTop")->isChecked();
  s.UserFunctions = Action("userFunctions")->isChecked();
}

void TMainWindow::ApplySettings() {
  const TSettings& s = Calc_->Settings;
  if (Calc_->GeometryRead) {
    const QRect wanted(s.Geometry.Left, s.Geometry.Top, s.Geometry.Width, s.Geometry.Height);
    if (wanted.width() >= 3 * kMinimumPane && wanted.height() >= 4 * kMinimumPane) {
      const QRect placed = ClampToScreen(wanted);
      resize(placed.size());
      move(placed.topLeft());
      const int total = Splitter_->sizes()[0] + Splitter_->sizes()[1] + Splitter_->sizes()[2];
      const int first = std::max(MinimumPane_, s.Geometry.DefinitionsHeight);
      const int second = std::max(MinimumPane_, s.Geometry.ExpressionsHeight);
      Splitter_->setSizes({first, second, std::max(MinimumPane_, total - first - second)});
    }
  }
  SetTimeLimit(s.TimeLimit);
  if (!s.StayOnTop) Action("stayOnTop")->setChecked(false);
  else SetStayOnTop(true);
  if (!s.UserFunctions) Action("userFunctions")->setChecked(false);
}

// "Save changes?" for panes that differ from the document last opened or
// saved: Yes saves (false when that fails or is cancelled), No drops them,
// Cancel keeps the window.
bool TMainWindow::AskToSaveChanges() {
  EditsChanged();
  if (!Calc_->HasUnsavedChanges()) return true;
  const TBoxesOver over(QtUi_, this);
  switch (Ui_->AskYesNoCancel("Save changes?")) {
    case TAnswer::No: return true;
    case TAnswer::Cancel: return false;
    case TAnswer::Yes: break;
  }
  if (Calc_->DocumentFileValid) {
    Runner_->Run([this] { Calc_->Save(); });
  } else {
    TFileDialog dialog(this, "Save As", QString::fromStdString(Calc_->Settings.FilePath), kFileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const std::string name = dialog.selectedFiles().front().toStdString();
    Runner_->Run([this, name] { Calc_->SaveAs(name); });
  }
  SyncFromCore();
  return !Calc_->HasUnsavedChanges();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  // Whatever runs or waits is dropped: the user is leaving.
  Queue_.clear();
  EditTimer_->stop();
  StopAndWait();
  if (Processing_) {
    // Asked from inside a calculation's wait: close once that has unwound.
    event->ignore();
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (!AskToSaveChanges() || !CloseConstantsLibrary() || !CloseNumericTools() || !CloseConversionTable()) {
    event->ignore();
    return;
  }
  CollectSettings();
  Calc_->Settings.ConvFilePath = Calc_->Conversions().FilePath();
  Calc_->Settings.PTEFilePath = Periodic_->FilePath();
  Calc_->WriteToIniFile();
  // The program ends with its main window.
  Help_->close();
  Constants_->close();
  Table_->close();
  Chart_->close();
  for (QWidget* tool : std::initializer_list<QWidget*>{LinearSystem_, Interpolation_, Integration_, Conversion_,
                                                       ConversionTable_, Graph_})
    tool->close();
  Exchange_->HistoryWindow()->close();
  Exchange_->close();
  PeriodicWindow_->close();
  ElementWindow_->close();
  event->accept();
}

// ---- constants library -------------------------------------------------------------

void TMainWindow::CreateConstantsLibrary() {
  TUserInterface& libraryUi = NewToolUi();
  Library_ = std::make_unique<TConstantsLibrary>(Calc_->FunctionTable(), libraryUi, Calc_->Files().ConstantsLibrary);
  LibraryWindow_ = new TConstantsLibraryWindow(*Library_, Calc_->Constants(), this);
  PlaceToolUi(libraryUi, LibraryWindow_);
  LibraryWindow_->OnShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  LibraryWindow_->OnShowConstants = [this] { ShowConstantList(); };
  LibraryWindow_->OnConstantAdded = [this] { Constants_->RefreshList(); };
  LibraryWindow_->BeforeCoreAccess = [this] { StopAndWait(); };
  Constants_->OnShowLibrary = [this] { ShowConstantsLibrary(); };
  // The library the settings remember, or the default one.
  LibraryWindow_->LoadLibrary(Calc_->Settings.ConstFilePath);
}

void TMainWindow::ShowConstantsLibrary() { LibraryWindow_->ShowLibrary(); }

bool TMainWindow::CloseConstantsLibrary() {
  if (!LibraryWindow_->MayExit()) return false;
  Calc_->Settings.ConstFilePath = Library_->FilePath();
  LibraryWindow_->close();
  return true;
}

// ---- numerical tools ---------------------------------------------------------------

void TMainWindow::CreateNumericTools() {
  TToolHost host;
  host.Calc = Calc_.get();
  host.Ui = Ui_;
  host.RunForTool = [this](std::function<void()> prepare, std::function<void()> work, std::function<void()> finish) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  };
  host.StopCalculation = [this] { StopCalculation(); };
  host.StopMainCalculation = [this] { StopMainCalculation(); };
  host.ShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  host.CoreBusy = [this] { return !Idle(); };
  // In the program's order: the linear systems, the interpolation and the
  // integration window.
  // Each with its own boxes, over it.
  host.Ui = &NewToolUi();
  LinearSystem_ = new TLinearSystemWindow(host, this);
  PlaceToolUi(*host.Ui, LinearSystem_);
  host.Ui = &NewToolUi();
  Interpolation_ = new TInterpolationWindow(host, this);
  PlaceToolUi(*host.Ui, Interpolation_);
  host.Ui = &NewToolUi();
  Integration_ = new TIntegrationWindow(host, this);
  PlaceToolUi(*host.Ui, Integration_);
  LinearSystem_->SetFontPixels(FontPixels_);
  Integration_->SetFontPixels(FontPixels_);
  const std::pair<const char*, std::function<void()>> items[] = {
      {"integral", [this] { Integration_->ShowWindow(); }},
      {"systemSolver", [this] { LinearSystem_->ShowWindow(); }},
      {"interpolation", [this] { Interpolation_->ShowWindow(); }}};
  for (const auto& [name, open] : items) {
    QAction* a = Action(name);
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, open);
  }
}

bool TMainWindow::CloseNumericTools() { return LinearSystem_->MayExit() && Interpolation_->MayExit(); }

// Its core asks through the calculator's interface: over the table's window.
bool TMainWindow::CloseConversionTable() {
  const TBoxesOver over(QtUi_, ConversionTable_);
  return ConversionTable_->MayExit();
}

TUserInterface& TMainWindow::NewToolUi() {
  if (QtUi_ == nullptr) return *Ui_;  // messages go where the owner of the window wants them
  ToolUis_.push_back(std::make_unique<TQtUserInterface>(this));
  return *ToolUis_.back();
}

void TMainWindow::PlaceToolUi(TUserInterface& ui, QWidget* tool) {
  for (const auto& own : ToolUis_)
    if (own.get() == &ui) own->SetWindow(tool);
}

// ---- currency exchange ----------------------------------------------------------------

void TMainWindow::CreateExchange() {
  TToolHost host;
  host.Calc = Calc_.get();
  host.Ui = Ui_;
  host.RunForTool = [this](std::function<void()> prepare, std::function<void()> work, std::function<void()> finish) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  };
  host.StopCalculation = [this] { StopCalculation(); };
  host.ShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  host.Ui = &NewToolUi();
  Exchange_ = new TExchangeWindow(host, this);
  PlaceToolUi(*host.Ui, Exchange_);
  Exchange_->SampleFile = QString::fromStdString(SampleRatesFile(ExecutablePath()));
  Exchange_->OnSetMainVisible = [this](bool visible) {
    if (visible) {
      show();
      raise();
    } else {
      hide();
    }
  };
  QAction* exchange = Action("exchange");
  exchange->setEnabled(true);
  connect(exchange, &QAction::triggered, Exchange_, &TExchangeWindow::ShowWindow);
  // The exchange file of the settings opens once the window system runs.
  QTimer::singleShot(0, Exchange_, &TExchangeWindow::OpenAtStart);
}

// ---- unit conversion ----------------------------------------------------------------

void TMainWindow::CreateConversionTools() {
  // The table the settings remember, or the default one (written when
  // missing); nothing calculates yet.
  StopAndWait();
  Calc_->Conversions().LoadAtStart(Calc_->Settings.ConvFilePath, Calc_->Files().ConversionTable);
  Conversion_ = new TUnitConversionWindow(*Calc_, this);
  Conversion_->RunForTool = [this](std::function<void()> prepare, std::function<void()> work,
                                   std::function<void()> finish) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  };
  Conversion_->StopCalculation = [this] { StopCalculation(); };
  Conversion_->OnShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  QAction* item = Action("conversion");
  item->setEnabled(true);
  connect(item, &QAction::triggered, Conversion_, &TUnitConversionWindow::ShowWindow);

  // The table's window edits the table on the worker too; the graph window
  // draws a category of it.
  ConversionTable_ = new TConversionTableWindow(*Calc_, this);
  TUserInterface& graphUi = NewToolUi();
  Graph_ = new TUnitGraphWindow(graphUi, this);
  PlaceToolUi(graphUi, Graph_);
  ConversionTable_->RunForTool = Conversion_->RunForTool;
  ConversionTable_->SetGraphWindow(Graph_);
  ConversionTable_->OnLocked = [this] { Conversion_->TableChanged(); };
  ConversionTable_->OnIdsMoved = [this](const TConvIdMapping& mapping) { OfferConvRenumbering(mapping); };
  const auto showMain = Conversion_->OnShowMain;
  const auto showTable = [this] { ConversionTable_->ShowWindow(); };
  const auto showConversion = [this] { Conversion_->ShowWindow(); };
  ConversionTable_->OnShowMain = Graph_->OnShowMain = showMain;
  ConversionTable_->OnShowConversion = Graph_->OnShowConversion = showConversion;
  Conversion_->OnShowTable = Graph_->OnShowTable = showTable;
  QAction* tables = Action("conversionTables");
  tables->setEnabled(true);
  connect(tables, &QAction::triggered, this, showTable);
}

// Both panes, as the user sees them; Yes rewrites the calls as an edit of
// each pane that holds some.
void TMainWindow::OfferConvRenumbering(const TConvIdMapping& mapping) {
  QPlainTextEdit* const panes[] = {DefinitionsPane_, ExpressionsPane_};
  TRenumberedText renumbered[2];
  int count = 0;
  for (int i = 0; i < 2; ++i) {
    renumbered[i] = RenumberConvCalls(panes[i]->toPlainText().toStdString(), mapping);
    count += renumbered[i].Count;
  }
  if (count == 0 || !Ui_->AskYesNo(RenumberQuestion(count))) return;
  for (int i = 0; i < 2; ++i) {
    if (renumbered[i].Count == 0) continue;
    QTextCursor all(panes[i]->document());
    all.select(QTextCursor::Document);
    all.insertText(QString::fromStdString(renumbered[i].Text));
  }
  EditsChanged();  // the core holds the panes as they now read
}

// ---- periodic table ------------------------------------------------------------------

void TMainWindow::CreatePeriodicTable() {
  // The file the settings remember, or the default one (written when missing).
  TUserInterface& periodicUi = NewToolUi();
  Periodic_ = std::make_unique<TPeriodicTable>(periodicUi);
  Periodic_->LoadAtStart(Calc_->Settings.PTEFilePath, Calc_->Files().PeriodicTable);
  ElementWindow_ = new TElementWindow(*Periodic_, Calc_->Constants(), this);
  PeriodicWindow_ = new TPeriodicTableWindow(*Periodic_, *ElementWindow_, Calc_->Files().PeriodicTable, this);
  PlaceToolUi(periodicUi, PeriodicWindow_);
  auto showMain = [this] {
    show();
    raise();
    activateWindow();
  };
  PeriodicWindow_->OnShowMain = showMain;
  ElementWindow_->OnShowMain = showMain;
  ElementWindow_->OnShowPeriodicTable = [this] { PeriodicWindow_->ShowWindow(); };
  ElementWindow_->OnShowConstants = [this] { ShowConstantList(); };
  // Add to Const changes the constants engine: nothing may calculate then.
  ElementWindow_->BeforeCoreAccess = [this] { StopAndWait(); };
  ElementWindow_->OnConstantAdded = [this] { Constants_->RefreshList(); };
  ElementWindow_->OnSendToConversion = [this](const QString& value, const QString& statusText) {
    Conversion_->ShowInitialValue(value, statusText);
  };
  QAction* item = Action("periodicTable");
  item->setEnabled(true);
  connect(item, &QAction::triggered, PeriodicWindow_, &TPeriodicTableWindow::ShowWindow);
}

}  // namespace helmax
