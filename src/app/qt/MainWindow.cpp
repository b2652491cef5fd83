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

TForm1::TForm1(TCalculatorFiles files, TUserInterface* ui, QWidget* parent) : QMainWindow(parent) {
  setObjectName("TForm1");
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
  Help_ = new TForm2(this);
  Variable_ = new TForm6(*this);
  Constants_ = new TForm10(*Calc_, this);
  Constants_->OnShowMain = [this] {
    show();
    raise();
    activateWindow();
  };
  Constants_->OnClearResults = [this] { ClearResults(); };

  SetFont(19);
  SetExpressionsColor(kMoney);
  // Settings: written first when missing (with this start-up state), then
  // read and applied.
  CollectSettings();
  Calc_->ReadSettings();
  ApplySettings();
  SyncFromCore();
}

TForm1::~TForm1() = default;

// ---- building ------------------------------------------------------------------

void TForm1::BuildPanes() {
  Memo1_ = new QPlainTextEdit;
  Memo1_->setObjectName("Memo1");
  Memo2_ = new QPlainTextEdit;
  Memo2_->setObjectName("Memo2");
  Memo3_ = new QPlainTextEdit;
  Memo3_->setObjectName("Memo3");
  Memo3_->setReadOnly(true);
  for (QPlainTextEdit* pane : {Memo1_, Memo2_, Memo3_}) {
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->installEventFilter(this);
  }
  Memo1_->setPlainText(QString::fromStdString(Calc_->DefinitionsText));
  DefinitionsGroup_ = Group("User variables and functions ", Memo1_);
  ExpressionsGroup_ = Group("Mathematical expressions", Memo2_);
  ResultsGroup_ = Group("Results", Memo3_);
  Splitter_ = new QSplitter(Qt::Vertical);
  Splitter_->setChildrenCollapsible(false);
  Splitter_->addWidget(DefinitionsGroup_);
  Splitter_->addWidget(ExpressionsGroup_);
  Splitter_->addWidget(ResultsGroup_);
  Splitter_->setStretchFactor(2, 1);
  setCentralWidget(Splitter_);
  connect(Memo1_, &QPlainTextEdit::textChanged, this, &TForm1::Frame31Memo1Change);
  connect(Memo2_, &QPlainTextEdit::textChanged, this, &TForm1::Frame41Memo1Change);
  installEventFilter(this);
}

QAction* TForm1::AddAction(QMenu* menu, const QString& caption, const char* objectName) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(objectName);
  return a;
}

void TForm1::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("File1");
  connect(AddAction(file, "&Open", "Open1"), &QAction::triggered, this, &TForm1::Open1Click);
  Save_ = AddAction(file, "&Save", "Save1");
  connect(Save_, &QAction::triggered, this, &TForm1::Save1Click);
  connect(AddAction(file, "Save &As...", "SaveAs1"), &QAction::triggered, this, &TForm1::SaveAs1Click);
  connect(file, &QMenu::aboutToShow, this, [this] { Save_->setEnabled(Calc_->DocumentFileValid); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(AddAction(edit, "&Clear", "Clear1"), &QAction::triggered, this, &TForm1::Clear1Click);
  Undo_ = AddAction(edit, "&Undo", "Undo1");
  connect(Undo_, &QAction::triggered, this, &TForm1::Undo1Click);
  Redo_ = AddAction(edit, "&Redo", "Redo1");
  connect(Redo_, &QAction::triggered, this, &TForm1::Redo1Click);
  connect(AddAction(edit, "Clear &History", "ClearHistory1"), &QAction::triggered, this,
          &TForm1::ClearHistory1Click);

  QMenu* view = menuBar()->addMenu("&View");
  QAction* onTop = AddAction(view, "&Stay on top", "StayOnTop1");
  onTop->setCheckable(true);
  onTop->setChecked(true);
  connect(onTop, &QAction::toggled, this, &TForm1::SetStayOnTop);
  QAction* userFunctions = AddAction(view, "&User functions", "UserFunctions1");
  userFunctions->setCheckable(true);
  userFunctions->setChecked(true);
  connect(userFunctions, &QAction::toggled, this, &TForm1::SetUserFunctionsVisible);
  QAction* errorMessage = AddAction(view, "&Error message", "ErrorMessage1");
  errorMessage->setCheckable(true);
  errorMessage->setChecked(true);
  connect(errorMessage, &QAction::toggled, this, [this](bool on) {
    Calc_->SetErrorMessageView(on);
    SyncFromCore();
  });

  // The tool windows come later; their items are there, disabled.
  QMenu* functions = menuBar()->addMenu("&Functions");
  const char* tools[][2] = {{"&Table", "Table1"},           {"&Derivative", "Derivative1"},
                            {"I&ntegral", "Integral1"},     {"&Equivalent test", "EquivalentTest1"},
                            {"&Conversion", "Conversion1"}, {"&System Solver", "SystemSolver1"},
                            {"&Periodic Table", "PeriodicTable1"}, {"&Interpolation", "Interpolation1"},
                            {"E&xchange", "Exchange1"}};
  for (const auto& t : tools) AddAction(functions, t[0], t[1])->setEnabled(false);

  QMenu* options = menuBar()->addMenu("&Options");
  QMenu* format = options->addMenu("&Format");
  auto* formats = new QActionGroup(this);
  QAction* currency = AddAction(format, "&Currency", "Currency1");
  QAction* scientific = AddAction(format, "&Scientific", "Scientific1");
  for (QAction* a : {currency, scientific}) {
    a->setCheckable(true);
    formats->addAction(a);
  }
  scientific->setChecked(true);
  connect(currency, &QAction::triggered, this, [this] {
    Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
    Calc_->SetCurrencyMode(true);
    SyncFromCore();
  });
  connect(scientific, &QAction::triggered, this, [this] {
    Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
    Calc_->SetCurrencyMode(false);
    SyncFromCore();
  });
  connect(AddAction(options, "&Variable", "Variable1"), &QAction::triggered, this, &TForm1::Variable1Click);
  connect(AddAction(options, "&Constants", "Constants1"), &QAction::triggered, this, &TForm1::Constants1Click);
  AddAction(options, "&Def conversions", "DefConversions1")->setEnabled(false);
  AddAction(options, "D&ef constants", "DefConstants1")->setEnabled(false);
  QMenu* font = options->addMenu("F&ont");
  auto* fonts = new QActionGroup(this);
  QAction* normal = AddAction(font, "&Normal", "Normal1");
  QAction* large = AddAction(font, "&Large", "Large1");
  for (QAction* a : {normal, large}) {
    a->setCheckable(true);
    fonts->addAction(a);
  }
  normal->setChecked(true);
  connect(normal, &QAction::triggered, this, [this] { SetFont(19); });
  connect(large, &QAction::triggered, this, [this] { SetFont(27); });
  QMenu* color = options->addMenu("Co&lor");
  auto* colors = new QActionGroup(this);
  QAction* money = AddAction(color, "&Money", "Money1");
  QAction* sky = AddAction(color, "&Sky", "Sky1");
  for (QAction* a : {money, sky}) {
    a->setCheckable(true);
    colors->addAction(a);
  }
  money->setChecked(true);
  connect(money, &QAction::triggered, this, [this] { SetExpressionsColor(kMoney); });
  connect(sky, &QAction::triggered, this, [this] { SetExpressionsColor(kSky); });

  QMenu* help = menuBar()->addMenu("&Help");
  connect(AddAction(help, "&Built-in functions", "BuiltInFunctions1"), &QAction::triggered, this,
          &TForm1::BuiltInFunctions1Click);
}

void TForm1::BuildStatusBar() {
  const int widths[3] = {110, 220, 50};
  for (int i = 0; i < 3; ++i) {
    Panels_[i] = new QLabel;
    Panels_[i]->setObjectName(QString("Panel%1").arg(i));
    Panels_[i]->setMinimumWidth(widths[i]);
    statusBar()->addWidget(Panels_[i], i == 2 ? 1 : 0);
  }
}

QAction* TForm1::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

QString TForm1::StatusText(int panel) const { return Panels_[panel]->text(); }

// ---- presenting the core ------------------------------------------------------

void TForm1::SetPaneText(QPlainTextEdit* pane, const std::string& text) {
  const QString wanted = QString::fromStdString(text);
  if (pane->toPlainText() == wanted) return;
  const QSignalBlocker quiet(pane);  // set by the program: not an edit
  pane->setPlainText(wanted);
}

void TForm1::SyncFromCore() {
  SetPaneText(Memo1_, Calc_->DefinitionsText);
  SetPaneText(Memo2_, Calc_->ExpressionsText);
  Memo3_->setPlainText(QString::fromStdString(Calc_->ResultsText));
  Panels_[0]->setText(QString::fromStdString(Calc_->FormatPanelText()));
  Panels_[1]->setText(QString::fromStdString(Calc_->HistoryPanelText()));
  Panels_[2]->setText(QString::fromStdString(Calc_->MemoryPanelText()));
  setWindowTitle(QString::fromStdString(Calc_->Caption));
  Undo_->setEnabled(Calc_->History().UndoEnabled());
  Redo_->setEnabled(Calc_->History().RedoEnabled());
  Save_->setEnabled(Calc_->DocumentFileValid);
  if (QAction* a = Action("ErrorMessage1"); a->isChecked() != Calc_->ErrorMessageView) {
    const QSignalBlocker quiet(a);
    a->setChecked(Calc_->ErrorMessageView);
  }
  Action(Calc_->CurrencyMode() ? "Currency1" : "Scientific1")->setChecked(true);
}

void TForm1::ClearResults() {
  Calc_->ResultsText.clear();
  Memo3_->clear();
}

// ---- the evaluation cycle ----------------------------------------------------

void TForm1::Frame31Memo1Change() {
  Calc_->DefinitionsText = Memo1_->toPlainText().toStdString();
  Calc_->Frame31Memo1Change();
  SyncFromCore();
}

void TForm1::Frame41Memo1Change() {
  Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
  Calc_->Frame41Memo1Change();
  SyncFromCore();
}

// ---- history --------------------------------------------------------------------

void TForm1::Clear1Click() {
  Calc_->DefinitionsText = Memo1_->toPlainText().toStdString();
  Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
  Calc_->Clear1Click();
  SyncFromCore();
}

void TForm1::Undo1Click() {
  Calc_->Undo1Click();
  SyncFromCore();
}

void TForm1::Redo1Click() {
  Calc_->Redo1Click();
  SyncFromCore();
}

void TForm1::Actual() {
  Calc_->Actual();
  SyncFromCore();
}

void TForm1::ClearHistory1Click() {
  Calc_->ClearHistory1Click();
  SyncFromCore();
}

// ---- files ------------------------------------------------------------------------

void TForm1::Open1Click() {
  Calc_->Caption = TCalculator::kCaption;
  SyncFromCore();
  const QString file = QFileDialog::getOpenFileName(this, "Open", QString::fromStdString(Calc_->Settings.FilePath),
                                                    kFileFilter, nullptr, QFileDialog::DontUseNativeDialog);
  if (!file.isEmpty()) OpenDocument(file);
}

void TForm1::OpenDocument(const QString& fileName) {
  Calc_->Open(fileName.toStdString());
  Calc_->Settings.FilePath = fileName.toStdString();
  SyncFromCore();
}

void TForm1::Save1Click() {
  Calc_->DefinitionsText = Memo1_->toPlainText().toStdString();
  Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
  Calc_->Save();
  SyncFromCore();
}

void TForm1::SaveAs1Click() {
  Calc_->Caption = TCalculator::kCaption;
  SyncFromCore();
  QFileDialog dialog(this, "Save As", QString::fromStdString(Calc_->Settings.FilePath), kFileFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    SaveDocumentAs(dialog.selectedFiles().front());
}

void TForm1::SaveDocumentAs(const QString& fileName) {
  Calc_->DefinitionsText = Memo1_->toPlainText().toStdString();
  Calc_->ExpressionsText = Memo2_->toPlainText().toStdString();
  if (Calc_->SaveAs(fileName.toStdString())) Calc_->Settings.FilePath = fileName.toStdString();
  SyncFromCore();
}

// ---- other windows --------------------------------------------------------------

void TForm1::BuiltInFunctions1Click() { Help_->ShowHelp(QString::fromStdString(Calc_->HelpText())); }

void TForm1::Variable1Click() { Variable_->exec(); }

void TForm1::Constants1Click() { Constants_->FormShow(); }

// ---- view ---------------------------------------------------------------------------

void TForm1::SetFont(int pixels) {
  FontPixels_ = pixels;
  for (QPlainTextEdit* pane : {Memo1_, Memo2_, Memo3_}) {
    QFont f = pane->font();
    f.setPixelSize(pixels);
    pane->setFont(f);
  }
  Variable_->SetFontPixels(pixels);
  Constants_->SetFontPixels(pixels);
}

void TForm1::SetExpressionsColor(const QColor& color) {
  QPalette p = Memo2_->palette();
  p.setColor(QPalette::Base, color);
  Memo2_->setPalette(p);
}

void TForm1::SetStayOnTop(bool on) {
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();
}

// Hiding gives the definitions group's height to the expressions group;
// showing takes the remembered height back from it.
void TForm1::SetUserFunctionsVisible(bool visible) {
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
void TForm1::ResizeGroup(int pane, int delta) {
  QList<int> sizes = Splitter_->sizes();
  if (sizes[pane] + delta < kMinimumPane || sizes[2] - delta < kMinimumPane) return;
  sizes[pane] += delta;
  sizes[2] -= delta;
  Splitter_->setSizes(sizes);
}

bool TForm1::HandleKey(QObject* watched, QKeyEvent* key) {
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  const bool keypad = key->modifiers() & Qt::KeypadModifier;
  switch (key->key()) {
    case Qt::Key_Escape:
      Clear1Click();
      return true;
    case Qt::Key_F1:
      Undo1Click();
      return true;
    case Qt::Key_F2:
      Redo1Click();
      return true;
    case Qt::Key_F3:
      Actual();
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
      if (watched == Memo1_) ResizeGroup(0, delta);
      else if (watched == Memo2_) ResizeGroup(1, delta);
      else if (watched == Memo3_) resize(width(), height() + delta);
      else return false;
      return true;
    }
    default:
      return false;
  }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    if (HandleKey(watched, static_cast<QKeyEvent*>(event))) return true;
  } else if (event->type() == QEvent::FocusIn && (watched == Memo1_ || watched == Memo2_)) {
    // Entering a pane by the user (not the window getting focus back after
    // a message box) compiles again.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && Shown_) {
      Frame31Memo1Change();
      if (watched == Memo2_) Frame41Memo1Change();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- start and end -------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown_) return;
  Shown_ = true;
  FormShow();
  if (FirstActivation_) FormActivate();
}

void TForm1::FormShow() {
  Frame31Memo1Change();
  Memo2_->setFocus(Qt::OtherFocusReason);
}

void TForm1::FormActivate() {
  FirstActivation_ = false;
  Calc_->FirstActivation();
  SyncFromCore();
}

void TForm1::CollectSettings() {
  TSettings& s = Calc_->Settings;
  const QRect g = geometry();
  s.FormPos = {g.top(), g.left(), g.height(), g.width(),
               DefinitionsGroup_->isVisible() || !Shown_ ? Splitter_->sizes()[0] : 2, Splitter_->sizes()[1]};
  s.StayOnTop = Action("StayOnTop1")->isChecked();
  s.UserFunctions = Action("UserFunctions1")->isChecked();
}

void TForm1::ApplySettings() {
  const TSettings& s = Calc_->Settings;
  if (Calc_->FormPosRead) {
    const QRect wanted(s.FormPos.Left, s.FormPos.Top, s.FormPos.Width, s.FormPos.Height);
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
      onScreen = onScreen || screen->availableGeometry().intersects(wanted);
    if (onScreen && wanted.width() >= 3 * kMinimumPane && wanted.height() >= 4 * kMinimumPane) {
      setGeometry(wanted);
      const int total = Splitter_->sizes()[0] + Splitter_->sizes()[1] + Splitter_->sizes()[2];
      const int first = std::max(kMinimumPane, s.FormPos.Memo1Height);
      const int second = std::max(kMinimumPane, s.FormPos.Memo2Height);
      Splitter_->setSizes({first, second, std::max(kMinimumPane, total - first - second)});
    }
  }
  if (!s.StayOnTop) Action("StayOnTop1")->setChecked(false);
  else SetStayOnTop(true);
  if (!s.UserFunctions) Action("UserFunctions1")->setChecked(false);
}

void TForm1::closeEvent(QCloseEvent* event) {
  CollectSettings();
  Calc_->WriteToIniFile();
  // The program ends with its main window.
  Help_->close();
  Constants_->close();
  event->accept();
}

}  // namespace helmax
