// TCalculator: the whole state of the calculator and its evaluation cycle,
// without windows. The main window owns one and forwards its events here;
// the command-line calculator drives one directly.
//
// Panes are plain texts (lines separated by LF). Setting a pane from outside
// runs nothing: the host calls the matching handler for user edits only.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "CalculatorForTools.h"
#include "ConstantList.h"
#include "Document.h"
#include "FixedTexts.h"
#include "HelmaxDateTimeEval.h"
#include "History.h"
#include "Settings.h"
#include "UserInterface.h"

namespace helmax {

class TInterpolationSheets;
class TConversionTable;

// Where the calculator keeps its own files. An empty path means the file is
// neither read nor written (the command line writes nothing).
struct TCalculatorFiles {
  std::string ProgramFolder;    // ends with a separator
  std::string SettingsFile;     // .ini
  std::string LogFile;          // .log
  std::string DefaultDocument;  // .txt
  // .con, written with the built-in library when missing; its initializer
  // lets brace lists of the other files leave it out.
  std::string ConstantsLibrary{};
  // .cnv, written with the built-in conversion table when missing (empty:
  // the built-in table is kept in memory only).
  std::string ConversionTable{};
  // .pte, written with the built-in element data when missing (empty: the
  // built-in data is kept in memory only).
  std::string PeriodicTable{};
};

// The built-in default document: the six internal constants, x, and
// f(x)~Sin(x), Fact(n)~..., y=1/3.
const TCalculatorTexts& DefaultDocumentTexts();

// How the evaluation cycle reports that it cannot run (definitions that do
// not compile, no function variable): in a message box, as for an explicit
// command, or in the results pane, as for typing, where a box at every
// keystroke would be in the way.
enum class TReport { Box, Pane };

class TCalculator : public TCalculatorForTools, private TConstantListHost {
 public:
  static constexpr const char* kCaption = "Calculator";

  explicit TCalculator(TUserInterface& ui, TCalculatorFiles files = {});
  ~TCalculator() override;
  TCalculator(const TCalculator&) = delete;
  TCalculator& operator=(const TCalculator&) = delete;
  const TCalculatorFiles& Files() const { return Files_; }

  // ---- panes and view ----
  const std::string& Definitions() const { return DefinitionsText_; }
  const std::string& Expressions() const { return ExpressionsText_; }
  const std::string& Results() const { return ResultsText_; }
  // Setting a pane to the text it holds allocates nothing (its storage is
  // reused), as when a user's edit is taken again.
  void SetDefinitions(std::string_view text) { DefinitionsText_.assign(text); }
  void SetExpressions(std::string_view text) { ExpressionsText_.assign(text); }
  // The window's caption: the document file last read or written, or
  // kCaption.
  const std::string& Caption() const { return Caption_; }
  void ResetCaption() { Caption_ = kCaption; }
  // Engine errors shown in the results pane (the view switch).
  bool ErrorMessageView() const { return ErrorMessageView_; }
  // The function-variable dialog's edit text, when the host has that dialog:
  // each definitions compile applies it first.
  const std::optional<std::string>& FunctionVariableDialogText() const { return FunctionVariableDialogText_; }
  void SetFunctionVariableDialogText(std::optional<std::string> text) { FunctionVariableDialogText_ = std::move(text); }

  // ---- evaluation cycle ----
  void DefinitionsChanged(TReport report = TReport::Box);  // compile the definitions
  void ExpressionsChanged(TReport report = TReport::Box);  // evaluate the expressions (memory that runs out
                                                           // says "Out of memory")
  // True when the last evaluation filled the results pane with values.
  bool ResultsShown() const { return ResultsShown_; }
  // The window's rule: when the pane fails, the results pane still shows
  // the results of every expression that does not depend on the failing
  // one, one line per expression, with the error line in the failing one's
  // place. Off (documents, the command line): the error line alone.
  void SetKeepOtherResults(bool on) { KeepOtherResults_ = on; }
  // The last evaluation failed and the results are those of the others
  // (ResultsShown() is true then too).
  bool PartialResults() const { return PartialResults_; }
  // Why the definitions did not compile (their error line), or empty.
  const std::string& DefinitionsError() const { return DefinitionsError_; }
  // Where the last failed evaluation's fault lies in Expressions() (a byte
  // range: the failed expression, or the fragment a compile error names),
  // when that can be told.
  const std::optional<std::pair<std::size_t, std::size_t>>& ExpressionsErrorRange() const {
    return ExpressionsErrorRange_;
  }

  // Changes whenever the names the panes may use may have changed (each
  // definitions compile, each change of the constants).
  std::uint64_t NamesVersion() const { return NamesVersion_; }

  // ---- stopping ----
  // Ends the running evaluation (from any thread): srStopped shows
  // "Calculation stopped", srTooLong "Calculation stopped: too long".
  void RequestStop(TStopReason reason = srStopped) { StopFlag_.store(reason); }
  // Lowers the flag before the next run.
  void ClearStopRequest() { StopFlag_.store(srNone); }
  // For long work of the tool windows outside the engines (a table's rows,
  // an elimination): true once a stop was asked for.
  bool StopRequested() const override { return StopFlag_.load(std::memory_order_relaxed) != srNone; }
  // The step budget of every evaluation of every engine (0: none).
  void SetStepBudget(std::int64_t steps);
  void SetCurrencyMode(bool currency, TReport report = TReport::Box);  // and evaluate again
  bool CurrencyMode() const { return CurrencyMode_; }
  std::string FormatPanelText() const { return CurrencyMode_ ? texts::kTypeCurrency : texts::kTypeScientific; }
  std::string MemoryPanelText() const { return MemoryPanel_; }
  void SetErrorMessageView(bool on);  // clears the results pane
  // Empties the results pane's text (what the last evaluation showed stays
  // told by ResultsShown()); a tool's calculation starts so.
  void ClearResults() { ResultsText_.clear(); }

  // ---- function variable and parameters ----
  void SetFunctionVariable(const std::string& name);
  const std::string& FunctionVariable() const override { return FunctionVariable_; }
  double GetParameter(int index) const override;
  void SetParameter(int index, double value) override;

  // ---- shared calculation state (read by tool windows) ----
  const TUserFuncArray& FunctionTable() const override { return FunctionTable_; }
  const TUserVarArray& DefinitionsVars() const { return DefinitionsVars_; }
  const TUserVarArray& ExpressionsVars() const override { return ExpressionsVars_; }
  const std::string& RunTimeFunctionsText() const override { return RunTimeFunctionsText_; }
  bool DefinitionsInvalid() const override { return DefinitionsInvalid_; }
  // Also set after a cell of an interpolation sheet changed.
  bool DefinitionsStale() const;
  // Binds an engine of a tool window to the calculator's stop request and
  // step budget.
  void PrepareToolEngine(THelmaxComplexEval& engine) const override;
  // ---- TCalculatorForTools: a tool's run ----
  std::optional<std::string> PrepareToolRun(THelmaxComplexEval& engine, const TValue& variableStart) override;
  void CompileDefinitions() override { DefinitionsChanged(TReport::Box); }
  int RunTimeFunctionCount() const override { return Definitions_->RunTimeFunctionCount(); }
  std::string RunTimeFunctionText(int index) const override { return Definitions_->RunTimeFunctionText(index); }
  void CallRunTimeFunction(int index, const TUserValuesArray& arguments, TValue& result) override;
  // The interpolation sheets, over which Lagrange and CubicSpline interpolate.
  TInterpolationSheets& InterpolationSheets() { return *Sheets_; }
  // The unit conversion table, over which Conv converts.
  TConversionTable& Conversions() { return *Conversions_; }
  THelmaxDateTimeEval& DefinitionsEngine() { return *Definitions_; }
  THelmaxDateTimeEval& ExpressionsEngine() { return *Expressions_; }
  TConstantList& Constants() { return *ConstantList_; }

  // ---- documents, snapshots, log, settings ----
  // The document file: the one last opened, read or written.
  const std::string& DocumentFileName() const { return DocumentFileName_; }
  // False once the document file could not be read or written (Save then
  // asks for a name).
  bool DocumentFileValid() const { return DocumentFileValid_; }
  TCalculatorTexts CurrentTexts() const;
  // Writes the current state to the document file; reports a failure
  // through the user interface.
  bool WriteDocument();
  // The whole state as the history keeps it, and back.
  std::string TakeSnapshot() const;
  bool RestoreSnapshot(const std::string& text);
  // Applies the four sections: constants, function variable, definitions
  // (compiled) and expressions (evaluated when the definitions compile).
  // The panes-loaded handler is called once the panes hold the new texts,
  // before anything is calculated, so that a window can show them at once.
  void LoadSections(const std::string& constants, const std::string& functionVariable, const std::string& expressions,
                    const std::string& definitions);
  using TPanesLoaded = std::function<void(const std::string& definitions, const std::string& expressions)>;
  void SetOnPanesLoaded(TPanesLoaded handler) { OnPanesLoaded_ = std::move(handler); }
  // Applies the four sections of a document's text without touching any
  // file or the history; false (with "Bad file format") when it is not one.
  bool LoadDocumentText(std::string_view text);

  // True when the document as the panes show it differs from the one last
  // read or written (the results do not count).
  bool HasUnsavedChanges() const;

  // File menu. Open and Save As take the file the user picked.
  void Open(const std::string& fileName);
  bool Save();
  bool SaveAs(const std::string& fileName);
  // The first activation: writes the default document when it is missing,
  // then reads it.
  void FirstActivation();

  // What the settings file keeps; the windows read and change it,
  // WriteToIniFile writes it.
  TSettings& Settings() { return Settings_; }
  const TSettings& Settings() const { return Settings_; }
  void WriteToIniFile();
  // Writes the settings file first when it is missing, then reads it and
  // applies its view switches and paths (the geometry is left to the window
  // in Settings().Geometry; GeometryRead() tells whether it was present).
  void ReadSettings();
  bool GeometryRead() const { return GeometryRead_; }

  // ---- history ----
  const THistory& History() const { return History_; }
  // Undo and Redo first keep panes that differ from every history entry, so
  // that a step back can always be stepped forward again.
  void Undo();
  void Redo();
  void ReloadCurrentEntry();  // back to the history's current entry
  void ClearHistory();
  void ClearExpressions();  // keeps the state in the history, then empties expressions and results
  std::string HistoryPanelText() const { return History_.PanelText(); }

  // The help window's text.
  std::string HelpText() const;

  // Reads the heap figures again for the status bar.
  void RefreshMemoryPanel();

  // Replaces the clock of the log's time stamps (days since 30.12.1899).
  void SetClock(std::function<double()> clock) { Clock_ = std::move(clock); }

 private:
  // Compiles the definitions when they are stale (each evaluation and each
  // tool's run does so first).
  void RefreshStaleDefinitions(TReport report = TReport::Box);
  // Reads the document file and applies it; reports a failure through the
  // user interface.
  bool ReadDocument();
  // Keeps the state in the history, and the new entry in the log.
  void AddHistory();
  void WriteToLogFile();

  // TConstantListHost
  void ConstantsRecompiled() override {
    DefinitionsStale_ = true;
    ++NamesVersion_;
  }
  void RevalidateFunctionVariable(bool withCurrentName) override;
  void PrepareEngine(THelmaxComplexEval& engine) override;

  void BuildFunctionTable();
  void DefinitionsCompile(TReport report);
  void Report(TReport report, const std::string& message);
  bool CheckBraces(const char* what);
  bool PrepareSave();
  void LocateError(int failedExpression);
  struct TPaneRun {
    bool Ok = false;
    bool Compiled = false;
    int FailedExpression = -1;  // from 0, when a run failed
    std::string ErrorMessage;
  };
  void EvaluateExpressions(TReport report);
  TPaneRun RunPane(const std::string& source);
  void ShowOtherResults(const TPaneRun& failedRun);
  bool CallsRunTimeFunction(std::string_view source) const;
  bool ShowsEntry(const std::string& entry) const;
  bool ApplySections(const std::optional<TSections>& sections, const char* badFormatMessage);
  std::string LogStamp() const;

  TUserInterface& Ui_;
  TCalculatorFiles Files_;
  std::string DefinitionsText_;
  std::string ExpressionsText_;
  std::string ResultsText_;
  std::string Caption_ = kCaption;
  bool ErrorMessageView_ = true;
  std::optional<std::string> FunctionVariableDialogText_;
  bool KeepOtherResults_ = false;
  std::string DocumentFileName_;
  bool DocumentFileValid_ = true;
  TPanesLoaded OnPanesLoaded_;
  TSettings Settings_;
  bool GeometryRead_ = false;
  TUserFuncArray FunctionTable_;
  std::unique_ptr<THelmaxDateTimeEval> Definitions_, Expressions_, Auxiliary_, Constants_;
  std::unique_ptr<TConstantList> ConstantList_;
  std::unique_ptr<TInterpolationSheets> Sheets_;
  std::unique_ptr<TConversionTable> Conversions_;
  std::array<double, 6> Parameters_{};
  std::int64_t StepBudget_ = 0;

  std::unique_ptr<TValue> FunctionVariableCell_;
  TUserVarArray DefinitionsVars_;
  TUserVarArray ExpressionsVars_;
  int SharedConstantCount_ = 0;
  std::string RunTimeFunctionsText_ = "nan";
  std::vector<std::string> RunTimeFunctionNames_;  // lower case
  std::string FunctionVariable_ = "x";
  bool DefinitionsInvalid_ = true;
  bool DefinitionsStale_ = true;
  bool DefinitionsOutOfMemory_ = false;  // the last definitions compile ran out of memory
  bool CurrencyMode_ = false;
  bool ResultsShown_ = false;
  bool PartialResults_ = false;
  std::string MemoryPanel_;
  std::string DefinitionsError_;
  std::uint64_t NamesVersion_ = 0;
  std::optional<std::pair<std::size_t, std::size_t>> ExpressionsErrorRange_;
  std::string SavedDocument_;  // the document text last read or written
  std::atomic<std::uint8_t> StopFlag_{srNone};
  // A tool's call of a run-time function runs: its error line is not the
  // results pane's.
  bool ToolCallRunning_ = false;

  THistory History_;
  bool LogFailureReported_ = false;
  std::function<double()> Clock_;
};

}  // namespace helmax
