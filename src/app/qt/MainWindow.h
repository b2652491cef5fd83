// TForm1, the calculator's main window: three stacked panes (definitions,
// expressions, results), menus, keys and the status bar. It presents the
// core's TCalculator and forwards every event to it.
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

class TForm2;
class TForm6;
class TForm10;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // ui: where messages and questions go (message boxes when null). files:
  // the calculator's own files.
  TForm1(TCalculatorFiles files, TUserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TForm1() override;

  TCalculator& Calculator() { return *Calc_; }
  TUserInterface& Ui() { return *Ui_; }

  // The panes and status panels, for the other windows and for tests.
  QPlainTextEdit* DefinitionsPane() const { return Memo1_; }
  QPlainTextEdit* ExpressionsPane() const { return Memo2_; }
  QPlainTextEdit* ResultsPane() const { return Memo3_; }
  QString StatusText(int panel) const;
  QAction* Action(const QString& objectName) const;
  TForm2* HelpWindow() const { return Help_; }
  TForm6* VariableDialog() const { return Variable_; }
  TForm10* ConstantList() const { return Constants_; }
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
  void Frame31Memo1Change();
  void Frame41Memo1Change();
  void Clear1Click();
  void Undo1Click();
  void Redo1Click();
  void Actual();
  void ClearHistory1Click();
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void BuiltInFunctions1Click();
  void Variable1Click();
  void Constants1Click();

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
  void FormShow();
  void FormActivate();
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
  QPlainTextEdit* Memo1_ = nullptr;  // definitions
  QPlainTextEdit* Memo2_ = nullptr;  // expressions
  QPlainTextEdit* Memo3_ = nullptr;  // results
  QLabel* Panels_[3] = {};
  QAction* Save_ = nullptr;
  QAction* Undo_ = nullptr;
  QAction* Redo_ = nullptr;
  int SavedDefinitionsHeight_ = 2;
  int FontPixels_ = 19;
  bool FirstActivation_ = true;
  bool Shown_ = false;

  TForm2* Help_ = nullptr;
  TForm6* Variable_ = nullptr;
  TForm10* Constants_ = nullptr;
};

}  // namespace helmax
