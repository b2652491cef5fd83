// TMainWindow: construction, menus, keys, settings, the document commands,
// and the start and end of the program. The panes, the work queue and the
// tool windows are in MainWindowPanes.cpp, MainWindowWork.cpp and
// MainWindowTools.cpp.
#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

#include "ChartWindow.h"
#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
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
#include "QtUserInterface.h"
#include "UnitConversionWindow.h"
#include "UnitGraphWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

const char* const kFileFilter = "Text files (*.txt);;All files (*)";

// A key sent to another window (a tool window, a completion list, a menu)
// while the main window is the active one stays that window's key: the
// main window's menu items would take it as their shortcut otherwise.
class TKeysOfOtherWindows : public QObject {
 public:
  TKeysOfOtherWindows(QWidget* window, const std::vector<QAction*>& actions)
      : QObject(window), Window_(window), Actions_(actions) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() == Window_ || QApplication::activeWindow() != Window_) return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* a : Actions_) {
      if (a->shortcut() != pressed) continue;
      event->accept();  // delivered as a key press, not as a shortcut
      return true;
    }
    return false;
  }

 private:
  QWidget* Window_;
  const std::vector<QAction*>& Actions_;
};

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
  Calc_->SetKeepOtherResults(true);
  // A document or history entry shows its panes before it is calculated.
  Calc_->SetOnPanesLoaded([this](const std::string& definitions, const std::string& expressions) {
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
  });
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
  Calc_->SetFunctionVariableDialogText(Calc_->FunctionVariable());
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
  Constants_->OnShowMain = [this] { ShowInFront(this); };
  Constants_->OnClearResults = [this] { ClearResults(); };
  Constants_->BeforeCoreAccess = [this] { StopAndWait(); };
  Derivative_ = new TDerivativeWindow(this);
  TUserInterface& equivalenceUi = NewToolUi();
  Equivalence_ = new TEquivalenceWindow(equivalenceUi, this);
  PlaceToolUi(equivalenceUi, Equivalence_);
  QAction* derivative = Action("derivative");
  derivative->setEnabled(true);
  connect(derivative, &QAction::triggered, this, [this] { ShowInFront(Derivative_); });
  Derivative_->OnCopyToExpressions = [this](const QString& derivative) { AppendExpression(derivative); };
  QAction* equivalent = Action("equivalentTest");
  equivalent->setEnabled(true);
  connect(equivalent, &QAction::triggered, this, [this] { ShowInFront(Equivalence_); });

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
    *showMain = [this] { ShowInFront(this); };
  SyncFromCore();
}

TMainWindow::~TMainWindow() {
  StopAndWait();
  delete Runner_;  // its worker thread ends before the core goes
  Runner_ = nullptr;
}

// ---- building ------------------------------------------------------------------

void TMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("fileMenu");
  AddMenuAction(file, "&Open", "open", this, &TMainWindow::OpenFile);
  Save_ = AddMenuAction(file, "&Save", "save", this, &TMainWindow::SaveFile);
  AddMenuAction(file, "Save &As...", "saveAs", this, &TMainWindow::SaveFileAs);
  connect(file, &QMenu::aboutToShow, this, [this] {
    if (Idle()) Save_->setEnabled(Calc_->DocumentFileValid());
  });

  // The items' keys work anywhere in the window; HandleKey takes them with
  // other modifiers, while their item is disabled, and Esc while the window
  // calculates.
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("editMenu");
  QAction* clear = AddMenuAction(edit, "&Clear", "clear", this, &TMainWindow::ClearExpressions, Qt::Key_Escape);
  Undo_ = AddMenuAction(edit, "&Undo", "undo", this, &TMainWindow::Undo, Qt::Key_F1);
  Redo_ = AddMenuAction(edit, "&Redo", "redo", this, &TMainWindow::Redo, Qt::Key_F2);
  QAction* reload =
      AddMenuAction(edit, "Reload current &entry", "reloadEntry", this, &TMainWindow::ReloadCurrentEntry, Qt::Key_F3);
  AddMenuAction(edit, "Clear &History", "clearHistory", this, &TMainWindow::ClearHistory);
  edit->addSeparator();
  // Into the expressions pane only.
  QAction* lastResult = AddMenuAction(
      edit, "Insert last re&sult", "insertLastResult", this,
      [this] {
        if (focusWidget() == ExpressionsPane_) InsertLastResult();
      },
      QKeyCombination(Qt::ControlModifier, Qt::Key_R));
  KeyActions_ = {clear, Undo_, Redo_, reload, lastResult};

  QMenu* view = menuBar()->addMenu("&View");
  QAction* onTop = AddMenuAction(view, "&Stay on top", "stayOnTop");
  onTop->setCheckable(true);
  onTop->setChecked(true);
  connect(onTop, &QAction::toggled, this, &TMainWindow::SetStayOnTop);
  QAction* userFunctions = AddMenuAction(view, "&User functions", "userFunctions");
  userFunctions->setCheckable(true);
  userFunctions->setChecked(true);
  connect(userFunctions, &QAction::toggled, this, &TMainWindow::SetUserFunctionsVisible);
  QAction* aligned = AddMenuAction(view, "&Aligned results", "alignedResults");
  aligned->setCheckable(true);
  connect(aligned, &QAction::toggled, this, [this](bool on) {
    AlignedResults_ = on;
    if (Idle()) ShowResults();
  });
  QAction* errorMessage = AddMenuAction(view, "&Error message", "errorMessage");
  errorMessage->setCheckable(true);
  errorMessage->setChecked(true);
  connect(errorMessage, &QAction::toggled, this,
          [this](bool on) { Enqueue(TWork::Command, [this, on] { Calc_->SetErrorMessageView(on); }); });
  // The keypad's + and - (the main keyboard's are typed): the pane with the
  // focus, or the window's width.
  QMenu* size = view->addMenu("Si&ze");
  size->setObjectName("sizeMenu");
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier | Qt::KeypadModifier;
  const Qt::KeyboardModifiers ctrlShift = ctrl | Qt::ShiftModifier;
  const std::tuple<const char*, const char*, QKeyCombination, std::function<void()>> sizeItems[] = {
      {"&Taller pane", "tallerPane", QKeyCombination(ctrl, Qt::Key_Plus), [this] { ResizeFocusedPane(5); }},
      {"&Shorter pane", "shorterPane", QKeyCombination(ctrl, Qt::Key_Minus), [this] { ResizeFocusedPane(-5); }},
      {"&Wider window", "widerWindow", QKeyCombination(ctrlShift, Qt::Key_Plus),
       [this] { resize(width() + 5, height()); }},
      {"&Narrower window", "narrowerWindow", QKeyCombination(ctrlShift, Qt::Key_Minus),
       [this] { resize(width() - 5, height()); }}};
  for (const auto& [caption, name, key, act] : sizeItems) {
    KeyActions_.push_back(AddMenuAction(size, caption, name, this, act, key));
  }

  QApplication::instance()->installEventFilter(new TKeysOfOtherWindows(this, KeyActions_));

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
  for (const auto& t : tools) AddMenuAction(functions, t[0], t[1])->setEnabled(false);

  QMenu* options = menuBar()->addMenu("&Options");
  QMenu* format = options->addMenu("&Format");
  auto* formats = new QActionGroup(this);
  QAction* currency = AddMenuAction(format, "&Currency", "currency");
  QAction* scientific = AddMenuAction(format, "&Scientific", "scientific");
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
  AddMenuAction(options, "&Variable", "variable", this, &TMainWindow::ShowFunctionVariableDialog);
  AddMenuAction(options, "&Constants", "constants", this, &TMainWindow::ShowConstantList);
  AddMenuAction(options, "&Def conversions", "conversionTables")->setEnabled(false);
  AddMenuAction(options, "D&ef constants", "constantsLibrary", this, &TMainWindow::ShowConstantsLibrary);
  // How long an evaluation may run before it is stopped as a runaway.
  QMenu* limit = options->addMenu("&Time limit");
  limit->setObjectName("timeLimitMenu");
  auto* limits = new QActionGroup(this);
  const std::pair<const char*, int> limitItems[] = {
      {"&5 seconds", 5}, {"&30 seconds", 30}, {"&2 minutes", 120}, {"&10 minutes", 600}, {"&None", 0}};
  for (const auto& [caption, seconds] : limitItems) {
    QAction* a =
        AddMenuAction(limit, caption, seconds == 0 ? "timeLimitNone" : qPrintable(QString("timeLimit%1").arg(seconds)));
    a->setCheckable(true);
    a->setData(seconds);
    limits->addAction(a);
    connect(a, &QAction::triggered, this, [this, seconds = seconds] { SetTimeLimit(seconds); });
  }
  Action("timeLimit5")->setChecked(true);
  QMenu* font = options->addMenu("F&ont");
  auto* fonts = new QActionGroup(this);
  QAction* normal = AddMenuAction(font, "&Normal", "normalFont");
  QAction* large = AddMenuAction(font, "&Large", "largeFont");
  for (QAction* a : {normal, large}) {
    a->setCheckable(true);
    fonts->addAction(a);
  }
  normal->setChecked(true);
  connect(normal, &QAction::triggered, this, [this] { SetFont(19); });
  connect(large, &QAction::triggered, this, [this] { SetFont(27); });
  QMenu* color = options->addMenu("Co&lor");
  auto* colors = new QActionGroup(this);
  QAction* money = AddMenuAction(color, "&Money", "money");
  QAction* sky = AddMenuAction(color, "&Sky", "sky");
  for (QAction* a : {money, sky}) {
    a->setCheckable(true);
    colors->addAction(a);
  }
  money->setChecked(true);
  connect(money, &QAction::triggered, this, [this] { SetExpressionsColor(TPaneColor::Money); });
  connect(sky, &QAction::triggered, this, [this] { SetExpressionsColor(TPaneColor::Sky); });

  QMenu* help = menuBar()->addMenu("&Help");
  AddMenuAction(help, "&Built-in functions", "builtInFunctions", this, &TMainWindow::ShowBuiltInFunctions);
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
    Calc_->ResetCaption();
    setWindowTitle(QString::fromStdString(Calc_->Caption()));
    const QString file =
        TFileDialog::OpenFileName(this, "Open", QString::fromStdString(Calc_->Settings().FilePath), kFileFilter);
    if (!file.isEmpty()) OpenDocument(file);
  });
}

void TMainWindow::OpenDocument(const QString& fileName) {
  const std::string name = fileName.toStdString();
  Enqueue(TWork::Command, {}, [this, name] {
    Calc_->Open(name);
    Calc_->Settings().FilePath = name;
  });
}

void TMainWindow::SaveFile() {
  Enqueue(
      TWork::Command, [this] { EditsChanged(); }, [this] { Calc_->Save(); });
}

void TMainWindow::SaveFileAs() {
  Enqueue(TWork::Command, [this] {
    Calc_->ResetCaption();
    setWindowTitle(QString::fromStdString(Calc_->Caption()));
    const QString file = TFileDialog::SaveFileName(this, "Save As", QString::fromStdString(Calc_->Settings().FilePath),
                                                   kFileFilter, "txt");
    if (!file.isEmpty()) SaveDocumentAs(file);
  });
}

void TMainWindow::SaveDocumentAs(const QString& fileName) {
  const std::string name = fileName.toStdString();
  Enqueue(
      TWork::Command, [this] { EditsChanged(); },
      [this, name] {
        if (Calc_->SaveAs(name)) Calc_->Settings().FilePath = name;
      });
}

// The tool windows share the main window's layer, so that one opened from
// its menus comes in front of it.
void TMainWindow::SetTimeLimit(int seconds) {
  seconds = std::max(0, seconds);
  Calc_->Settings().TimeLimit = seconds;
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

// The keys that reach the panes or the window itself: the menus' keys come
// here only with other modifiers, while their item is disabled, or (Esc)
// while the window calculates.
bool TMainWindow::HandleKey(QObject* watched, QKeyEvent* key) {
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
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
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Ctrl+Tab moves on like Tab instead of typing a tab.
      if (!(mods & Qt::ControlModifier)) return false;
      focusNextPrevChild(key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
      return true;
    default: return false;
  }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
      // Ctrl+Tab reaches the pane's key handling below, not a shortcut.
      if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier)) event->accept();
      // Esc stops a calculation instead of clearing (HandleKey).
      if (key->key() == Qt::Key_Escape && MainCalculating()) event->accept();
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
  TSettings& s = Calc_->Settings();
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
  const TSettings& s = Calc_->Settings();
  if (Calc_->GeometryRead()) {
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
  if (Calc_->DocumentFileValid()) {
    Runner_->Run([this] { Calc_->Save(); });
  } else {
    const QString file = TFileDialog::SaveFileName(this, "Save As", QString::fromStdString(Calc_->Settings().FilePath),
                                                   kFileFilter, "txt");
    if (file.isEmpty()) return false;
    const std::string name = file.toStdString();
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
  Calc_->Settings().ConvFilePath = Calc_->Conversions().FilePath();
  Calc_->Settings().PTEFilePath = Periodic_->FilePath();
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

}  // namespace helmax
