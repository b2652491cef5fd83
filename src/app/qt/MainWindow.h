// TMainWindow, the calculator's main window: three stacked panes
// (definitions, expressions, results), menus, keys and the status bar. It
// presents the core's TCalculator and forwards every event to it.
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSplitter>
#include <memory>

#include "Calculator.h"

namespace helmax {

class THelpWindow;
class TFunctionVariableDialog;
class TConstantListWindow;
class TDerivativeWindow;
class TEquivalenceWindow;

class TMainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // ui: where messages and questions go (message boxes when null). files:
  // the calculator's own files.
  TMainWindow(TCalculatorFiles files, TUserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TMainWindow() override;

  TCalculator& Calculator() { return *Calc_; }
  TUserInterface& Ui() { return *Ui_; }

  // The panes and status panels, for the other windows and for tests.
  QPlainTextEdit* DefinitionsPane() const { return DefinitionsPane_; }
  QPlainTextEdit* ExpressionsPane() const { return ExpressionsPane_; }
  QPlainTextEdit* ResultsPane() const { return ResultsPane_; }
  QString StatusText(int panel) const;
  QAction* Action(const QString& objectName) const;
  THelpWindow* HelpWindow() const { return Help_; }
  TFunctionVariableDialog* VariableDialog() const { return Variable_; }
  TConstantListWindow* ConstantList() const { return Constants_; }
  TDerivativeWindow* DerivativeWindow() const { return Derivative_; }
  TEquivalenceWindow* EquivalenceWindow() const { return Equivalence_; }
  QSplitter* Splitter() const { return Splitter_; }
  int FontPixelSize() const { return FontPixels_; }

  // Shows the core's state: panes changed by the program, results, status,
  // caption and the enabled states of Undo, Redo and Save.
  void SyncFromCore();
  // Clears the results pane (the dialogs of the constant list do so when
  // they close).
  void ClearResults();

  // Reads from / writes to the file the user picked in the dialogs.
  void OpenDocument(const QString& fileName);
  void SaveDocumentAs(const QString& fileName);

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPanes();
  void BuildMenus();
  void BuildStatusBar();
  void ApplySettings();
  void CollectSettings();
  void SetFont(int pixels);
  void SetExpressionsColor(const QColor& color);
  void SetStayOnTop(bool on);
  void SetUserFunctionsVisible(bool visible);
  void PrepareShow();
  void FirstActivated();
  bool HandleKey(QObject* watched, QKeyEvent* key);
  void ResizeGroup(int pane, int delta);
  static void SetPaneText(QPlainTextEdit* pane, const std::string& text);
  QAction* AddAction(QMenu* menu, const QString& caption, const char* objectName);

  std::unique_ptr<TUserInterface> OwnUi_;
  TUserInterface* Ui_;
  std::unique_ptr<TCalculator> Calc_;

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
  int SavedDefinitionsHeight_ = 2;
  int FontPixels_ = 19;
  bool FirstActivation_ = true;
  bool Shown_ = false;

  THelpWindow* Help_ = nullptr;
  TFunctionVariableDialog* Variable_ = nullptr;
  TConstantListWindow* Constants_ = nullptr;
  TDerivativeWindow* Derivative_ = nullptr;
  TEquivalenceWindow* Equivalence_ = nullptr;
};

}  // namespace helmax
