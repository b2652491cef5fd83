// TMainWindow's tool windows: how each is created at start, wired to the
// core's queue and the main window, opened from the menus and asked about
// unsaved edits at the end.
#include <QTimer>

#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
#include "ConversionTable.h"
#include "ConversionTableWindow.h"
#include "ElementWindow.h"
#include "ExchangeWindow.h"
#include "FunctionVariableDialog.h"
#include "HelpWindow.h"
#include "IntegrationWindow.h"
#include "InterpolationWindow.h"
#include "LinearSystemWindow.h"
#include "MainWindow.h"
#include "PeriodicTableWindow.h"
#include "ProgramFolder.h"
#include "UnitConversionWindow.h"
#include "UnitGraphWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

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

// ---- constants library -------------------------------------------------------------

void TMainWindow::CreateConstantsLibrary() {
  TUserInterface& libraryUi = NewToolUi();
  Library_ = std::make_unique<TConstantsLibrary>(Calc_->FunctionTable(), libraryUi, Calc_->Files().ConstantsLibrary);
  LibraryWindow_ = new TConstantsLibraryWindow(*Library_, Calc_->Constants(), this);
  PlaceToolUi(libraryUi, LibraryWindow_);
  LibraryWindow_->OnShowMain = [this] { ShowInFront(this); };
  LibraryWindow_->OnShowConstants = [this] { ShowConstantList(); };
  LibraryWindow_->OnConstantAdded = [this] { Constants_->RefreshList(); };
  LibraryWindow_->BeforeCoreAccess = [this] { StopAndWait(); };
  Constants_->OnShowLibrary = [this] { ShowConstantsLibrary(); };
  // The library the settings remember, or the default one.
  LibraryWindow_->LoadLibrary(Calc_->Settings().ConstFilePath);
}

void TMainWindow::ShowConstantsLibrary() { LibraryWindow_->ShowLibrary(); }

bool TMainWindow::CloseConstantsLibrary() {
  if (!LibraryWindow_->MayExit()) return false;
  Calc_->Settings().ConstFilePath = Library_->FilePath();
  LibraryWindow_->close();
  return true;
}

// ---- numerical tools ---------------------------------------------------------------

// What a tool window is given to calculate with the core and to reach the
// main window; ui is the tool's own message interface.
TToolHost TMainWindow::ToolHost(TUserInterface& ui) {
  TToolHost host;
  host.Calc = Calc_.get();
  host.Ui = &ui;
  host.RunForTool = [this](std::function<void()> prepare, std::function<void()> work, std::function<void()> finish) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  };
  host.StopCalculation = [this] { StopCalculation(); };
  host.StopMainCalculation = [this] { StopMainCalculation(); };
  host.ShowMain = [this] { ShowInFront(this); };
  host.CoreBusy = [this] { return !Idle(); };
  return host;
}

void TMainWindow::CreateNumericTools() {
  // In the program's order: the linear systems, the interpolation and the
  // integration window.
  // Each with its own boxes, over it.
  TUserInterface& linearSystemUi = NewToolUi();
  LinearSystem_ = new TLinearSystemWindow(ToolHost(linearSystemUi), this);
  PlaceToolUi(linearSystemUi, LinearSystem_);
  TUserInterface& interpolationUi = NewToolUi();
  Interpolation_ = new TInterpolationWindow(ToolHost(interpolationUi), this);
  PlaceToolUi(interpolationUi, Interpolation_);
  TUserInterface& integrationUi = NewToolUi();
  Integration_ = new TIntegrationWindow(ToolHost(integrationUi), this);
  PlaceToolUi(integrationUi, Integration_);
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
  TUserInterface& exchangeUi = NewToolUi();
  Exchange_ = new TExchangeWindow(ToolHost(exchangeUi), this);
  PlaceToolUi(exchangeUi, Exchange_);
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
  Calc_->Conversions().LoadAtStart(Calc_->Settings().ConvFilePath, Calc_->Files().ConversionTable);
  Conversion_ = new TUnitConversionWindow(*Calc_, this);
  Conversion_->RunForTool = [this](std::function<void()> prepare, std::function<void()> work,
                                   std::function<void()> finish) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  };
  Conversion_->StopCalculation = [this] { StopCalculation(); };
  Conversion_->OnShowMain = [this] { ShowInFront(this); };
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
  Periodic_->LoadAtStart(Calc_->Settings().PTEFilePath, Calc_->Files().PeriodicTable);
  ElementWindow_ = new TElementWindow(*Periodic_, Calc_->Constants(), this);
  PeriodicWindow_ = new TPeriodicTableWindow(*Periodic_, *ElementWindow_, Calc_->Files().PeriodicTable, this);
  PlaceToolUi(periodicUi, PeriodicWindow_);
  auto showMain = [this] { ShowInFront(this); };
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
