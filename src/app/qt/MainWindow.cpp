#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ConstantListWindow.h"
#include "DerivativeWindow.h"
#include "EquivalenceWindow.h"
#include "FunctionVariableDialog.h"
#include "HelpWindow.h"
#include "QtUserInterface.h"

namespace helmax {

namespace {

const QColor kMoney(192, 220, 192);
const QColor kSky(169, 205, 225);
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
    OwnUi_ = std::make_unique<TQtUserInterface>(this);
    ui = OwnUi_.get();
  }
  Ui_ = ui;
  Calc_ = std::make_unique<TCalculator>(*Ui_, std::move(files));
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
  Constants_ = new TConstantListWindow(Calc_->Constants(), this);
  Constants_->OnShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  Constants_->OnClearResults = [this] { ClearResults(); };
  Derivative_ = new TDerivativeWindow(this);
  Equivalence_ = new TEquivalenceWindow(*Ui_, this);
  auto showTool = [](QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
  };
  QAction* derivative = Action("derivative");
  derivative->setEnabled(true);
  connect(derivative, &QAction::triggered, this, [this, showTool] { showTool(Derivative_); });
  QAction* equivalent = Action("equivalentTest");
  equivalent->setEnabled(true);
  connect(equivalent, &QAction::triggered, this, [this, showTool] { showTool(Equivalence_); });

  SetFont(19);
  SetExpressionsColor(kMoney);
  // Settings: written first when missing (with this start-up state), then
  // read and applied.
  CollectSettings();
  Calc_->ReadSettings();
  ApplySettings();
  SyncFromCore();
}

TMainWindow::~TMainWindow() = default;

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
  connect(DefinitionsPane_, &QPlainTextEdit::textChanged, this, &TMainWindow::DefinitionsChanged);
  connect(ExpressionsPane_, &QPlainTextEdit::textChanged, this, &TMainWindow::ExpressionsChanged);
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
  connect(file, &QMenu::aboutToShow, this, [this] { Save_->setEnabled(Calc_->DocumentFileValid); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(AddAction(edit, "&Clear", "clear"), &QAction::triggered, this, &TMainWindow::ClearExpressions);
  Undo_ = AddAction(edit, "&Undo", "undo");
  connect(Undo_, &QAction::triggered, this, &TMainWindow::Undo);
  Redo_ = AddAction(edit, "&Redo", "redo");
  connect(Redo_, &QAction::triggered, this, &TMainWindow::Redo);
  connect(AddAction(edit, "Clear &History", "clearHistory"), &QAction::triggered, this,
          &TMainWindow::ClearHistory);

  QMenu* view = menuBar()->addMenu("&View");
  QAction* onTop = AddAction(view, "&Stay on top", "stayOnTop");
  onTop->setCheckable(true);
  onTop->setChecked(true);
  connect(onTop, &QAction::toggled, this, &TMainWindow::SetStayOnTop);
  QAction* userFunctions = AddAction(view, "&User functions", "userFunctions");
  userFunctions->setCheckable(true);
  userFunctions->setChecked(true);
  connect(userFunctions, &QAction::toggled, this, &TMainWindow::SetUserFunctionsVisible);
  QAction* errorMessage = AddAction(view, "&Error message", "errorMessage");
  errorMessage->setCheckable(true);
  errorMessage->setChecked(true);
  connect(errorMessage, &QAction::toggled, this, [this](bool on) {
    Calc_->SetErrorMessageView(on);
    SyncFromCore();
  });

  // The tool windows still to come have their items there, disabled; the
  // constructor enables those whose windows exist.
  QMenu* functions = menuBar()->addMenu("&Functions");
  const char* tools[][2] = {{"&Table", "table"},           {"&Derivative", "derivative"},
                            {"I&ntegral", "integral"},     {"&Equivalent test", "equivalentTest"},
                            {"&Conversion", "conversion"}, {"&System Solver", "systemSolver"},
                            {"&Periodic Table", "periodicTable"}, {"&Interpolation", "interpolation"},
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
  connect(currency, &QAction::triggered, this, [this] {
    Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
    Calc_->SetCurrencyMode(true);
    SyncFromCore();
  });
  connect(scientific, &QAction::triggered, this, [this] {
    Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
    Calc_->SetCurrencyMode(false);
    SyncFromCore();
  });
  connect(AddAction(options, "&Variable", "variable"), &QAction::triggered, this,
          &TMainWindow::ShowFunctionVariableDialog);
  connect(AddAction(options, "&Constants", "constants"), &QAction::triggered, this, &TMainWindow::ShowConstantList);
  AddAction(options, "&Def conversions", "conversionTables")->setEnabled(false);
  AddAction(options, "D&ef constants", "constantsLibrary")->setEnabled(false);
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
  connect(money, &QAction::triggered, this, [this] { SetExpressionsColor(kMoney); });
  connect(sky, &QAction::triggered, this, [this] { SetExpressionsColor(kSky); });

  QMenu* help = menuBar()->addMenu("&Help");
  connect(AddAction(help, "&Built-in functions", "builtInFunctions"), &QAction::triggered, this,
          &TMainWindow::ShowBuiltInFunctions);
}

void TMainWindow::BuildStatusBar() {
  const int widths[3] = {110, 220, 50};
  for (int i = 0; i < 3; ++i) {
    Panels_[i] = new QLabel;
    Panels_[i]->setObjectName(QString("statusPanel%1").arg(i));
    Panels_[i]->setMinimumWidth(widths[i]);
    statusBar()->addWidget(Panels_[i], i == 2 ? 1 : 0);
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
  SetPaneText(DefinitionsPane_, Calc_->DefinitionsText);
  SetPaneText(ExpressionsPane_, Calc_->ExpressionsText);
  ResultsPane_->setPlainText(QString::fromStdString(Calc_->ResultsText));
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

void TMainWindow::ClearResults() {
  Calc_->ResultsText.clear();
  ResultsPane_->clear();
}

// ---- the evaluation cycle ----------------------------------------------------

void TMainWindow::DefinitionsChanged() {
  Calc_->DefinitionsText = DefinitionsPane_->toPlainText().toStdString();
  Calc_->DefinitionsChanged();
  SyncFromCore();
}

void TMainWindow::ExpressionsChanged() {
  Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
  Calc_->ExpressionsChanged();
  SyncFromCore();
}

// ---- history --------------------------------------------------------------------

void TMainWindow::ClearExpressions() {
  Calc_->DefinitionsText = DefinitionsPane_->toPlainText().toStdString();
  Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
  Calc_->ClearExpressions();
  SyncFromCore();
}

void TMainWindow::Undo() {
  Calc_->Undo();
  SyncFromCore();
}

void TMainWindow::Redo() {
  Calc_->Redo();
  SyncFromCore();
}

void TMainWindow::ReloadCurrentEntry() {
  Calc_->ReloadCurrentEntry();
  SyncFromCore();
}

void TMainWindow::ClearHistory() {
  Calc_->ClearHistory();
  SyncFromCore();
}

// ---- files ------------------------------------------------------------------------

void TMainWindow::OpenFile() {
  Calc_->Caption = TCalculator::kCaption;
  SyncFromCore();
  const QString file = QFileDialog::getOpenFileName(this, "Open", QString::fromStdString(Calc_->Settings.FilePath),
                                                    kFileFilter, nullptr, QFileDialog::DontUseNativeDialog);
  if (!file.isEmpty()) OpenDocument(file);
}

void TMainWindow::OpenDocument(const QString& fileName) {
  Calc_->Open(fileName.toStdString());
  Calc_->Settings.FilePath = fileName.toStdString();
  SyncFromCore();
}

void TMainWindow::SaveFile() {
  Calc_->DefinitionsText = DefinitionsPane_->toPlainText().toStdString();
  Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
  Calc_->Save();
  SyncFromCore();
}

void TMainWindow::SaveFileAs() {
  Calc_->Caption = TCalculator::kCaption;
  SyncFromCore();
  QFileDialog dialog(this, "Save As", QString::fromStdString(Calc_->Settings.FilePath), kFileFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    SaveDocumentAs(dialog.selectedFiles().front());
}

void TMainWindow::SaveDocumentAs(const QString& fileName) {
  Calc_->DefinitionsText = DefinitionsPane_->toPlainText().toStdString();
  Calc_->ExpressionsText = ExpressionsPane_->toPlainText().toStdString();
  if (Calc_->SaveAs(fileName.toStdString())) Calc_->Settings.FilePath = fileName.toStdString();
  SyncFromCore();
}

// ---- other windows --------------------------------------------------------------

void TMainWindow::ShowBuiltInFunctions() { Help_->ShowHelp(QString::fromStdString(Calc_->HelpText())); }

void TMainWindow::ShowFunctionVariableDialog() { Variable_->exec(); }

void TMainWindow::ShowConstantList() { Constants_->ShowList(); }

// ---- view ---------------------------------------------------------------------------

void TMainWindow::SetFont(int pixels) {
  FontPixels_ = pixels;
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) {
    QFont f = pane->font();
    f.setPixelSize(pixels);
    pane->setFont(f);
  }
  Variable_->SetFontPixels(pixels);
  Constants_->SetFontPixels(pixels);
}

void TMainWindow::SetExpressionsColor(const QColor& color) {
  QPalette p = ExpressionsPane_->palette();
  p.setColor(QPalette::Base, color);
  ExpressionsPane_->setPalette(p);
}

void TMainWindow::SetStayOnTop(bool on) {
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();
}

// Hiding gives the definitions group's height to the expressions group;
// showing takes the remembered height back from it.
void TMainWindow::SetUserFunctionsVisible(bool visible) {
  QList<int> sizes = Splitter_->sizes();
  if (!visible) {
    const int height = DefinitionsGroup_->isVisible() ? sizes[0] : 2;
    SavedDefinitionsHeight_ = height <= 2 ? kMinimumPane : height;
    DefinitionsGroup_->hide();
    sizes[1] += sizes[0];
    sizes[0] = 0;
  } else {
    DefinitionsGroup_->show();
    const int give = std::max(0, std::min(SavedDefinitionsHeight_ - 2, sizes[1] - kMinimumPane));
    sizes[0] = std::max(kMinimumPane, give);
    sizes[1] -= give;
  }
  Splitter_->setSizes(sizes);
}

// Grows (or shrinks) the definitions (0) or expressions (1) group, taking
// the height from the results group; no pane goes under its minimum.
void TMainWindow::ResizeGroup(int pane, int delta) {
  QList<int> sizes = Splitter_->sizes();
  if (sizes[pane] + delta < kMinimumPane || sizes[2] - delta < kMinimumPane) return;
  sizes[pane] += delta;
  sizes[2] -= delta;
  Splitter_->setSizes(sizes);
}

bool TMainWindow::HandleKey(QObject* watched, QKeyEvent* key) {
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  const bool keypad = key->modifiers() & Qt::KeypadModifier;
  switch (key->key()) {
    case Qt::Key_Escape:
      ClearExpressions();
      return true;
    case Qt::Key_F1:
      Undo();
      return true;
    case Qt::Key_F2:
      Redo();
      return true;
    case Qt::Key_F3:
      ReloadCurrentEntry();
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
    default:
      return false;
  }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    if (HandleKey(watched, static_cast<QKeyEvent*>(event))) return true;
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

// ---- start and end -------------------------------------------------------------

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown_) return;
  Shown_ = true;
  PrepareShow();
  if (FirstActivation_) FirstActivated();
}

void TMainWindow::PrepareShow() {
  DefinitionsChanged();
  ExpressionsPane_->setFocus(Qt::OtherFocusReason);
}

void TMainWindow::FirstActivated() {
  FirstActivation_ = false;
  Calc_->FirstActivation();
  SyncFromCore();
}

void TMainWindow::CollectSettings() {
  TSettings& s = Calc_->Settings;
  const QRect g = geometry();
  s.Geometry = {g.top(), g.left(), g.height(), g.width(),
               DefinitionsGroup_->isVisible() || !Shown_ ? Splitter_->sizes()[0] : 2, Splitter_->sizes()[1]};
  s.StayOnTop = Action("stayOnTop")->isChecked();
  s.UserFunctions = Action("userFunctions")->isChecked();
}

void TMainWindow::ApplySettings() {
  const TSettings& s = Calc_->Settings;
  if (Calc_->GeometryRead) {
    const QRect wanted(s.Geometry.Left, s.Geometry.Top, s.Geometry.Width, s.Geometry.Height);
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
      onScreen = onScreen || screen->availableGeometry().intersects(wanted);
    if (onScreen && wanted.width() >= 3 * kMinimumPane && wanted.height() >= 4 * kMinimumPane) {
      setGeometry(wanted);
      const int total = Splitter_->sizes()[0] + Splitter_->sizes()[1] + Splitter_->sizes()[2];
      const int first = std::max(kMinimumPane, s.Geometry.DefinitionsHeight);
      const int second = std::max(kMinimumPane, s.Geometry.ExpressionsHeight);
      Splitter_->setSizes({first, second, std::max(kMinimumPane, total - first - second)});
    }
  }
  if (!s.StayOnTop) Action("stayOnTop")->setChecked(false);
  else SetStayOnTop(true);
  if (!s.UserFunctions) Action("userFunctions")->setChecked(false);
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  CollectSettings();
  Calc_->WriteToIniFile();
  // The program ends with its main window.
  Help_->close();
  Constants_->close();
  event->accept();
}

}  // namespace helmax
