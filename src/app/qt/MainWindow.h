// TMainWindow, the calculator's main window: three stacked panes
// (definitions, expressions, results), menus, keys and the status bar. It
// presents the core's TCalculator and forwards every event to it.
//
// The core calculates on a worker thread (TCalculationRunner), so the window
// never freezes: what the user does meanwhile is queued and run in order
// once the core is free, an edit or command stopping the calculation that
// it replaces, and Esc stopping it outright.
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSplitter>
#include <QTimer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "CalculationRunner.h"
#include "Calculator.h"
#include "PaneTypingHelp.h"
#include "QtUserInterface.h"
#include "TypingHelp.h"

namespace helmax {

class THelpWindow;
class TFunctionVariableDialog;
class TConstantListWindow;
class TConstantsLibrary;
class TConstantsLibraryWindow;
class TFunctionTableWindow;
class TChartWindow;
class TIntegrationWindow;
class TLinearSystemWindow;
class TInterpolationWindow;
class TDerivativeWindow;
class TEquivalenceWindow;
class TExchangeWindow;
class TUnitConversionWindow;
class TPeriodicTable;
class TPeriodicTableWindow;
class TElementWindow;
class TConversionTableWindow;
class TUnitGraphWindow;
struct TConvIdMapping;
struct TToolHost;

class TMainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // ui: where messages and questions go (message boxes when null). files:
  // the calculator's own files.
  TMainWindow(TCalculatorFiles files, TUserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TMainWindow() override;

  TCalculator& Calculator() { return *Calc_; }
  TUserInterface& Ui() { return *Ui_; }
  // Called once the first activation has read the default document and its
  // results are in the results pane (for start-up measurements).
  std::function<void()> OnStarted;

  // The panes and status panels, for the other windows and for tests.
  QPlainTextEdit* DefinitionsPane() const { return DefinitionsPane_; }
  QPlainTextEdit* ExpressionsPane() const { return ExpressionsPane_; }
  QPlainTextEdit* ResultsPane() const { return ResultsPane_; }
  QString StatusText(int panel) const;
  QAction* Action(const QString& objectName) const;
  THelpWindow* HelpWindow() const { return Help_; }
  TFunctionVariableDialog* VariableDialog() const { return Variable_; }
  TConstantListWindow* ConstantList() const { return Constants_; }
  TConstantsLibraryWindow* ConstantsLibrary() const { return LibraryWindow_; }
  TConstantsLibrary& ConstantsLibraryTable() const { return *Library_; }
  TFunctionTableWindow* FunctionTable() const { return Table_; }
  TChartWindow* Chart() const { return Chart_; }
  TIntegrationWindow* IntegrationWindow() const { return Integration_; }
  TLinearSystemWindow* LinearSystemWindow() const { return LinearSystem_; }
  TInterpolationWindow* InterpolationWindow() const { return Interpolation_; }
  TDerivativeWindow* DerivativeWindow() const { return Derivative_; }
  TEquivalenceWindow* EquivalenceWindow() const { return Equivalence_; }
  TExchangeWindow* ExchangeWindow() const { return Exchange_; }
  TUnitConversionWindow* ConversionWindow() const { return Conversion_; }
  TPeriodicTableWindow* PeriodicTableWindow() const { return PeriodicWindow_; }
  TElementWindow* ElementWindow() const { return ElementWindow_; }
  TConversionTableWindow* ConversionTableWindow() const { return ConversionTable_; }
  TUnitGraphWindow* GraphWindow() const { return Graph_; }
  QSplitter* Splitter() const { return Splitter_; }
  QGroupBox* DefinitionsGroup() const { return DefinitionsGroup_; }
  TPaneTypingHelp* DefinitionsTypingHelp() const { return DefinitionsHelp_; }
  TPaneTypingHelp* ExpressionsTypingHelp() const { return ExpressionsHelp_; }
  // The expressions pane's colour, Money or Sky, as its background in the
  // desktop's light or dark palette.
  enum class TPaneColor { Money, Sky };
  static QColor PaneColor(TPaneColor color, bool darkPalette);
  int FontPixelSize() const { return FontPixels_; }

  // Shows the core's state: panes changed by the program, results, status,
  // caption and the enabled states of Undo, Redo and Save.
  void SyncFromCore();
  // Clears the results pane (the dialogs of the constant list do so when
  // they close).
  void ClearResults();
  // Appends an expression to the expressions pane (Copy to expressions of
  // the Symbolic Differentiate window), evaluated as an edit.
  void AppendExpression(const QString& expression);

  // Reads from / writes to the file the user picked in the dialogs.
  void OpenDocument(const QString& fileName);
  void SaveDocumentAs(const QString& fileName);

  // True when the core neither calculates nor has work waiting.
  bool Idle() const;
  // How tool windows calculate with the core (its engines and definitions):
  // after whatever the main window has queued, prepare runs on this thread,
  // work on the core's worker thread (it may take long; StopCalculation ends
  // it) and finish on this thread again, to show the outcome.
  void RunForTool(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish = {});
  // A tool's Cancel (or Esc in it): asks a tool's running work to stop.
  void StopCalculation();
  // Stops the window's own evaluation (a tool's work goes on).
  void StopMainCalculation();
  // Asks a running calculation to stop and waits until the core is free.
  void StopAndWait();
  // The step budget of one evaluation: a runaway text ends by itself. The
  // default time limit of 5 seconds gives kStepBudget.
  static constexpr std::int64_t kStepBudget = 300'000'000;
  static constexpr std::int64_t kStepsPerSecond = kStepBudget / 5;
  // No group of a pane gets lower than this (pixels).
  static constexpr int kMinimumPane = 50;
  // Options > Time limit: seconds, 0 for none; kept in the settings.
  void SetTimeLimit(int seconds);

 public slots:
  void DefinitionsChanged();
  void ExpressionsChanged();
  void ClearExpressions();
  void Undo();
  void Redo();
  void ReloadCurrentEntry();
  void ClearHistory();
  void OpenFile();
  void SaveFile();
  void SaveFileAs();
  void ShowBuiltInFunctions();
  void ShowFunctionVariableDialog();
  void ShowConstantList();
  void ShowConstantsLibrary();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPanes();
  void BuildMenus();
  void BuildStatusBar();
  void ApplySettings();
  void CollectSettings();
  void SetFont(int pixels);
  void SetExpressionsColor(TPaneColor color);
  void ApplyColors();
  void ShowResults();
  void SyncNames();
  void InsertLastResult();
  void ShowResultsMenu(const QPoint& at);
  void SetStayOnTop(bool on);
  void SetUserFunctionsVisible(bool visible);
  void PrepareShow();
  void FirstActivated();
  bool HandleKey(QObject* watched, QKeyEvent* key);
  void ResizeGroup(int pane, int delta);
  void ResizeFocusedPane(int delta);
  void FitMinimumHeights();
  static void SetPaneText(QPlainTextEdit* pane, const std::string& text);
  bool AskToSaveChanges();
  void ShowDefinitionsError();

  // ---- work for the core ----
  enum class TWork { DefinitionsEdit, ExpressionsEdit, Command, Tool };
  struct TQueued {
    TWork Kind;
    std::function<void()> Prepare;  // on this thread, first (reads the widgets)
    std::function<void()> Work;     // on the worker thread, then (may calculate long)
    std::function<void()> Finish;   // on this thread, last
    QPointer<QWidget> Window = {};  // a tool's work: the tool window that asked for it
  };
  // While it lives, the boxes of the window's own interface open over
  // window (none: as usual).
  class TBoxesOver {
   public:
    TBoxesOver(TQtUserInterface* ui, QWidget* window) : Ui_(ui), Former_(ui != nullptr ? ui->Window() : nullptr) {
      if (Ui_ != nullptr && window != nullptr) Ui_->SetWindow(window);
    }
    ~TBoxesOver() {
      if (Ui_ != nullptr) Ui_->SetWindow(Former_);
    }
    TBoxesOver(const TBoxesOver&) = delete;
    TBoxesOver& operator=(const TBoxesOver&) = delete;

   private:
    TQtUserInterface* Ui_;
    QWidget* Former_;
  };
  // Queues work for the core and runs the queue when the core is free. An
  // edit already waiting covers a later edit of the same pane.
  void Enqueue(TWork kind, std::function<void()> prepare, std::function<void()> work = {});
  void ProcessQueue();
  void EditsChanged();
  // The core takes a pane's text as typed (and remembers it: SyncFromCore
  // puts in the panes only what the core changed since).
  void TakeDefinitions();
  void TakeExpressions();
  // True while the window's own work (not a tool's) runs or waits.
  bool MainCalculating() const;
  void StopToolWork();
  // Called by a tool's long work on the worker now and then: evaluates an
  // edit of the expressions that waits meanwhile.
  void PauseForMain();
  // The constants library: created and read at start, asked about unsaved
  // edits when the program ends (false keeps it running).
  void CreateConstantsLibrary();
  bool CloseConstantsLibrary();
  // The numerical tools' windows, and their unsaved edits at the end.
  void CreateNumericTools();
  bool CloseNumericTools();
  bool CloseConversionTable();
  // A tool window's own message interface (boxes over it, once placed), or
  // the window's interface when it was given one.
  TUserInterface& NewToolUi();
  void PlaceToolUi(TUserInterface& ui, QWidget* tool);
  // What a tool window calculates and reaches the main window with; ui: the
  // tool's own message interface.
  TToolHost ToolHost(TUserInterface& ui);
  // The exchange window (with its history and user dialog).
  void CreateExchange();
  // The conversion table (read at start), its window, the graph window and
  // the conversion window.
  void CreateConversionTools();
  // The table moved Conv's ids: asks whether the panes' Conv calls that use
  // them are renumbered, so that they keep their meaning.
  void OfferConvRenumbering(const TConvIdMapping& mapping);
  // The periodic table (its .pte file read at start) and the element window.
  void CreatePeriodicTable();

  std::unique_ptr<TUserInterface> OwnUi_;
  TQtUserInterface* QtUi_ = nullptr;  // OwnUi_, when the window made it
  std::vector<std::unique_ptr<TQtUserInterface>> ToolUis_;
  TUserInterface* Ui_;
  std::unique_ptr<TGuiThreadUserInterface> GuiUi_;
  std::unique_ptr<TCalculator> Calc_;
  TCalculationRunner* Runner_ = nullptr;
  std::deque<TQueued> Queue_;
  TWork Running_ = TWork::Command;
  bool Processing_ = false;
  std::uint64_t Edits_ = 0;                   // edits of the panes so far
  std::uint64_t EditsAtRun_ = 0;              // ... when the running work began
  std::atomic<bool> MainWorkWaiting_{false};  // an edit waits for a tool's pause
  std::atomic<bool> ToolStop_{false};         // a tool's Cancel, kept over a pause
  bool InPause_ = false;                      // the window's evaluation runs in a pause
  QTimer* EditTimer_ = nullptr;               // coalesces keystrokes into one evaluation
  std::string DefinitionsTaken_;              // the panes' texts as the core last took
  std::string ExpressionsTaken_;              // ... them or gave them
  QTimer* MemoryTimer_ = nullptr;             // refreshes the heap figure while idle

  QSplitter* Splitter_ = nullptr;
  QGroupBox* DefinitionsGroup_ = nullptr;
  QGroupBox* ExpressionsGroup_ = nullptr;
  QGroupBox* ResultsGroup_ = nullptr;
  QPlainTextEdit* DefinitionsPane_ = nullptr;
  QPlainTextEdit* ExpressionsPane_ = nullptr;
  QPlainTextEdit* ResultsPane_ = nullptr;
  QLabel* Panels_[3] = {};
  QAction* Save_ = nullptr;
  QAction* Undo_ = nullptr;
  QAction* Redo_ = nullptr;
  std::vector<QAction*> KeyActions_;  // the menu items with a key
  int SavedDefinitionsHeight_ = 2;
  QString LastResult_;  // the last result shown, for Ctrl+R
  TNameCatalogue Names_;
  std::uint64_t NamesShown_ = UINT64_MAX;
  TPaneTypingHelp* DefinitionsHelp_ = nullptr;
  TPaneTypingHelp* ExpressionsHelp_ = nullptr;
  TPaneColor ExpressionsColor_ = TPaneColor::Money;
  bool AlignedResults_ = false;
  int MinimumPane_ = 50;
  int FontPixels_ = 19;
  bool FirstActivation_ = true;
  bool Shown_ = false;

  THelpWindow* Help_ = nullptr;
  TFunctionVariableDialog* Variable_ = nullptr;
  TConstantListWindow* Constants_ = nullptr;
  std::unique_ptr<TConstantsLibrary> Library_;
  TConstantsLibraryWindow* LibraryWindow_ = nullptr;
  TFunctionTableWindow* Table_ = nullptr;
  TChartWindow* Chart_ = nullptr;
  TLinearSystemWindow* LinearSystem_ = nullptr;
  TInterpolationWindow* Interpolation_ = nullptr;
  TIntegrationWindow* Integration_ = nullptr;
  TDerivativeWindow* Derivative_ = nullptr;
  TEquivalenceWindow* Equivalence_ = nullptr;
  TExchangeWindow* Exchange_ = nullptr;
  TUnitConversionWindow* Conversion_ = nullptr;
  std::unique_ptr<TPeriodicTable> Periodic_;
  TPeriodicTableWindow* PeriodicWindow_ = nullptr;
  TElementWindow* ElementWindow_ = nullptr;
  TConversionTableWindow* ConversionTable_ = nullptr;
  TUnitGraphWindow* Graph_ = nullptr;
};

}  // namespace helmax
