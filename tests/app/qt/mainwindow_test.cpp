// The calculator's windows driven as a user drives them: typing, menus,
// keys and dialogs, offscreen.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>

#include "../../common/TempFolder.h"
#include "ConstantListWindow.h"
#include "FunctionVariableDialog.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "QtUserInterface.h"

using namespace helmax;

namespace {

// Runs action once the next modal window is up (a dialog, a message box).
void WhenModal(std::function<void(QWidget*)> action) {
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [action, poll](int tries) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      action(modal);
    } else if (tries > 0) {
      QTimer::singleShot(10, [poll, tries] { (*poll)(tries - 1); });
    }
  };
  QTimer::singleShot(0, [poll] { (*poll)(300); });
}

QString Real(double v) { return QString::fromStdString(ValueToText(TValue::MakeReal(v))); }

// A calculator with its files in a fresh folder and recorded messages.
struct TCalculatorWindow {
  test::TTempFolder Dir;
  TMessageRecorder Ui;
  std::unique_ptr<TMainWindow> Form;

  TCalculatorWindow() { Start(); }
  TCalculatorFiles Files() const {
    return {Dir.Folder(), Dir.File("helmax-calc.ini"), Dir.File("helmax-calc.log"), Dir.File("helmax-calc.txt")};
  }
  void Start() {
    Form = std::make_unique<TMainWindow>(Files(), &Ui);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    WaitIdle();
  }
  // The core calculates on a worker thread: results come once it is idle.
  void WaitIdle() { QTRY_VERIFY(Form->Idle()); }
  void Restart() {
    Form->close();
    Form.reset();
    Start();
  }
  QString Results() const { return Form->ResultsPane()->toPlainText(); }
  void Type(QWidget* pane, const QString& text) {
    pane->setFocus();
    QTest::keyClicks(pane, text);
    WaitIdle();
  }
  void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, key, modifiers);
    WaitIdle();
  }
  void ClearExpressions() {
    Form->ExpressionsPane()->selectAll();
    Key(Form->ExpressionsPane(), Qt::Key_Delete);
  }
  void Trigger(const char* action) {
    Form->Action(action)->trigger();
    WaitIdle();
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void StartsWithTheDefaultDocument();
  void TypingEvaluatesOnEveryKeystroke();
  void ErrorsShowTheirLineOrError();
  void CurrencyAndScientific();
  void EscapeAndTheHistoryKeys();
  void SizeKeys();
  void UserFunctionsViewAndColors();
  void FunctionVariableDialog();
  void ConstantListAddEditDelete();
  void ConstantDialogConfirmsWithCtrlEnter();
  void CtrlRAfterAnIncompletePane();
  void OneBadLineKeepsTheOthers();
  void OpenAndSaveAsThroughTheDialogs();
  void SettingsWrittenAtCloseAndAppliedAtStart();
  void FontLargeChangesEveryPane();
  void HelpListsTheFunctions();
  void MessageBoxesAskYesFirst();
  void EscStopsALongEvaluation();
  void TypingDuringARunReplacesIt();
  void AnEndlessDefaultDocumentStillOpens();
  void UndoKeepsUnsavedPanes();
  void ClosingWithChangesAsks();
  void SaveKeepsTheResults();
  void SettingsRoundTripKeepsTheGeometry();
  void NoBoxesForAnEmptiedFunctionVariable();
  void KeysMenusAndSizes();
  void MenuItemsCarryTheKeys();
  void CompletionByKeyboard();
  void HighlightingAndMarks();
  void AlignedResultsAndCopies();
  void HelpSearch();
  void DarkPaletteReadsWell();
  void Screenshots();
};

void MainWindowTest::StartsWithTheDefaultDocument() {
  TCalculatorWindow w;
  QCOMPARE(w.Form->windowTitle(), QString::fromStdString(w.Dir.File("helmax-calc.txt")));
  QCOMPARE(w.Results(), QString("Mathematical expression is empty"));
  QCOMPARE(w.Form->StatusText(0), QString("TYPE: Scientific"));
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 1/1"));
  QVERIFY(w.Form->StatusText(2).startsWith("Total allocated memory: "));
  QCOMPARE(w.Form->DefinitionsPane()->toPlainText(),
           QString("f(x)~Sin(x),\nFact(n)~if(eq(n,0),1,n*Fact(n-1)),\ny=1/3"));
  QVERIFY(w.Form->ExpressionsPane()->hasFocus());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.txt")).find("User definitions\r\n") != std::string::npos);
  // Menus with their captions and access keys.
  const char* captions[][2] = {{"open", "&Open"},
                               {"saveAs", "Save &As..."},
                               {"clearHistory", "Clear &History"},
                               {"stayOnTop", "&Stay on top"},
                               {"exchange", "E&xchange"},
                               {"constantsLibrary", "D&ef constants"},
                               {"builtInFunctions", "&Built-in functions"}};
  for (const auto& c : captions) QCOMPARE(w.Form->Action(c[0])->text(), QString(c[1]));
  QVERIFY(w.Ui.Messages.empty());
}

void MainWindowTest::TypingEvaluatesOnEveryKeystroke() {
  TCalculatorWindow w;
  w.Type(w.Form->ExpressionsPane(), "2*f(y)");
  QCOMPARE(w.Results(), Real(2 * std::sin(1.0 / 3)));
  w.Type(w.Form->ExpressionsPane(), ", Fact(5)");
  QCOMPARE(w.Results(), Real(2 * std::sin(1.0 / 3)) + "\n120");
  // A change of the definitions shows in the next evaluation.
  w.Form->DefinitionsPane()->selectAll();
  w.Type(w.Form->DefinitionsPane(), "f(x)~x*10, Fact(n)~n, y=2");
  w.Form->ExpressionsPane()->setFocus();
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Space);
  QCOMPARE(w.Results(), QString("40\n5"));
  QVERIFY(w.Ui.Messages.empty());
}

void MainWindowTest::ErrorsShowTheirLineOrError() {
  TCalculatorWindow w;
  w.Type(w.Form->ExpressionsPane(), "1/0");
  QCOMPARE(w.Results(), QString("Division by 0"));
  w.Trigger("errorMessage");
  QVERIFY(!w.Form->Action("errorMessage")->isChecked());
  QCOMPARE(w.Results(), QString());
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Space);
  QCOMPARE(w.Results(), QString("ERROR"));
  w.Trigger("errorMessage");
  // Broken definitions: their error shows, and typing or moving between the
  // panes says so in the results pane, never in a box.
  w.Type(w.Form->DefinitionsPane(), ",");
  QVERIFY(w.Results().startsWith("Syntax error"));
  const QString definitionsError = w.Results();
  w.Type(w.Form->ExpressionsPane(), "2");
  QCOMPARE(w.Results(), QString("Please corect user definitions"));
  w.Form->DefinitionsPane()->setFocus();
  w.Form->ExpressionsPane()->setFocus();
  w.WaitIdle();
  QCOMPARE(w.Results(), QString("Please corect user definitions"));
  QCOMPARE(w.Form->DefinitionsGroup()->toolTip(), definitionsError);
  QVERIFY(w.Ui.Messages.empty());
}

void MainWindowTest::CurrencyAndScientific() {
  TCalculatorWindow w;
  w.Type(w.Form->ExpressionsPane(), "1/3, Sin(1)");
  w.Trigger("currency");
  QCOMPARE(w.Form->StatusText(0), QString("TYPE: Currency"));
  QCOMPARE(w.Results(), QString("0.3333\nNot Currency"));
  w.Trigger("scientific");
  QCOMPARE(w.Form->StatusText(0), QString("TYPE: Scientific"));
  QCOMPARE(w.Results(), QString("0.333333333333333\n") + Real(std::sin(1.0)));
}

void MainWindowTest::EscapeAndTheHistoryKeys() {
  TCalculatorWindow w;
  QWidget* pane = w.Form->ExpressionsPane();
  w.Type(pane, "1+1");
  w.Key(pane, Qt::Key_Escape);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString());
  QCOMPARE(w.Results(), QString());
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 2/2"));
  w.Key(pane, Qt::Key_Escape);  // the same cleared state: no new entry
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 3/3"));
  w.Key(pane, Qt::Key_Escape);
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 3/3"));

  // The panes show the last entry: F1 steps over it to the one before.
  w.Key(pane, Qt::Key_F1);
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 1/3"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("1+1"));
  QCOMPARE(w.Results(), QString("2"));
  QVERIFY(w.Form->Action("redo")->isEnabled());
  w.Key(pane, Qt::Key_F2);
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 2/3"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString());
  w.Type(pane, "7");
  w.Key(pane, Qt::Key_F3);  // back to the current entry
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString());
  w.Trigger("clearHistory");
  QCOMPARE(w.Form->StatusText(1), QString("History Index: 0/0"));
  QVERIFY(!w.Form->Action("undo")->isEnabled());
}

void MainWindowTest::SizeKeys() {
  TCalculatorWindow w;
  const QList<int> before = w.Form->Splitter()->sizes();
  // Keys go to the pane with the focus.
  w.Form->DefinitionsPane()->setFocus();
  w.Key(w.Form->DefinitionsPane(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
  QCOMPARE(w.Form->Splitter()->sizes()[0], before[0] + 5);
  w.Form->ExpressionsPane()->setFocus();
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
  QCOMPARE(w.Form->Splitter()->sizes()[1], before[1] - 5);
  const int width = w.Form->width();
  w.Form->ResultsPane()->setFocus();
  w.Key(w.Form->ResultsPane(), Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier);
  QCOMPARE(w.Form->width(), width + 5);
  // The main keyboard's + is just typed.
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Plus, Qt::ControlModifier);
  QCOMPARE(w.Form->width(), width + 5);
}

void MainWindowTest::UserFunctionsViewAndColors() {
  TCalculatorWindow w;
  const QList<int> before = w.Form->Splitter()->sizes();
  w.Trigger("userFunctions");
  QVERIFY(!w.Form->DefinitionsPane()->isVisible());
  QCOMPARE(w.Form->Splitter()->sizes()[2], before[2]);  // the expressions group took the height
  QVERIFY(w.Form->Splitter()->sizes()[1] > before[1]);
  w.Trigger("userFunctions");
  QVERIFY(w.Form->DefinitionsPane()->isVisible());
  QVERIFY(std::abs(w.Form->Splitter()->sizes()[0] - before[0]) <= 2);
  QCOMPARE(w.Form->Splitter()->sizes()[2], before[2]);
  QCOMPARE(w.Form->ExpressionsPane()->palette().color(QPalette::Base), QColor(192, 220, 192));
  w.Trigger("sky");
  QCOMPARE(w.Form->ExpressionsPane()->palette().color(QPalette::Base), QColor(169, 205, 225));
}

void MainWindowTest::FunctionVariableDialog() {
  TCalculatorWindow w;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TFunctionVariableDialog*>(modal);
    QVERIFY(dialog);
    QCOMPARE(dialog->NameEdit()->text(), QString("x"));
    dialog->NameEdit()->setText("from");
    dialog->accept();  // refused: stays open
    QVERIFY(dialog->isVisible());
    dialog->NameEdit()->setText("t");
    dialog->accept();
  });
  w.Trigger("variable");
  QCOMPARE(w.Ui.Messages, std::vector<std::string>{"Incorrect name of function variable (must not be constant)"});
  QCOMPARE(QString::fromStdString(w.Form->Calculator().FunctionVariable()), QString("t"));
  w.Form->DefinitionsPane()->selectAll();
  w.Type(w.Form->DefinitionsPane(), "g(t)~t*3");
  w.Type(w.Form->ExpressionsPane(), "g(2)");
  QCOMPARE(w.Results(), QString("6"));
  // Cancel puts the former name back.
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFunctionVariableDialog*>(modal);
    dialog->NameEdit()->setText("u");
    dialog->reject();
  });
  w.Trigger("variable");
  QCOMPARE(QString::fromStdString(w.Form->Calculator().FunctionVariable()), QString("t"));
}

void MainWindowTest::ConstantListAddEditDelete() {
  TCalculatorWindow w;
  w.Trigger("constants");
  TConstantListWindow* list = w.Form->ConstantList();
  QVERIFY(list->isVisible());
  QCOMPARE(list->windowTitle(), QString("Constant list"));
  QCOMPARE(list->Grid()->model()->rowCount(), 6);
  QCOMPARE(list->Grid()->columnWidth(0), 40);
  QCOMPARE(list->Grid()->model()->headerData(4, Qt::Horizontal).toString(), QString("Description"));

  auto add = [&](const QString& name, const QString& expression) {
    WhenModal([=](QWidget* modal) {
      auto* dialog = qobject_cast<TConstantDialog*>(modal);
      QVERIFY(dialog && dialog->NameEdit()->isEnabled());
      dialog->NameEdit()->setText(name);
      dialog->ExpressionPane()->setPlainText(expression);
      dialog->accept();
    });
    list->findChild<QAction*>("addConstant")->trigger();
  };
  add("c", "299792458");
  add("d", "c*2");
  QCOMPARE(list->Grid()->model()->rowCount(), 8);
  QCOMPARE(list->Grid()->model()->index(6, 2).data().toString(), QString("299792458"));
  w.Type(w.Form->ExpressionsPane(), "d/c");
  QCOMPARE(w.Results(), QString("2"));

  // STEP cannot be 0; the dialog stays open until cancelled.
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TConstantDialog*>(modal);
    QVERIFY(!dialog->NameEdit()->isEnabled());
    QCOMPARE(dialog->NameEdit()->text(), QString("STEP"));
    dialog->ExpressionPane()->setPlainText("0");
    dialog->accept();
    QVERIFY(dialog->isVisible());
    dialog->reject();
  });
  list->EditRow(3);
  QCOMPARE(w.Ui.Messages, std::vector<std::string>{"Invalid value : STEP = 0"});
  QCOMPARE(w.Form->Calculator().GetParameter(3), 0.1);
  QCOMPARE(w.Results(), QString());  // closing the dialog cleared the results pane

  // Deleting c alone breaks d; both together go.
  w.Ui.Clear();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TDeleteConstantsDialog*>(modal);
    QCOMPARE(dialog->FromEdit()->text(), QString("7"));
    dialog->CountEdit()->setText("1");
    dialog->accept();
    dialog->CountEdit()->setText("2");
    dialog->accept();
  });
  list->findChild<QAction*>("deleteConstants")->trigger();
  QCOMPARE(w.Ui.Messages, std::vector<std::string>{"Cannot delete variable dependece : d"});
  QCOMPARE(w.Ui.Questions, std::vector<std::string>(2, "ARE YOU SURE ?"));
  QCOMPARE(list->Grid()->model()->rowCount(), 6);
  list->close();
  QVERIFY(!list->isVisible());
}

void MainWindowTest::OpenAndSaveAsThroughTheDialogs() {
  TCalculatorWindow w;
  w.Type(w.Form->ExpressionsPane(), "y*6");
  const QString file = QString::fromStdString(w.Dir.File("work"));
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    dialog->selectFile(file);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  w.Trigger("saveAs");
  QCOMPARE(w.Form->windowTitle(), file + ".txt");  // the default extension
  QVERIFY(test::ReadBytes((file + ".txt").toStdString()).find("{\r\ny*6\r\n}") != std::string::npos);

  w.ClearExpressions();
  QCOMPARE(w.Results(), QString("Mathematical expression is empty"));
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    dialog->selectFile(file + ".txt");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  w.Trigger("open");
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("y*6"));
  QCOMPARE(w.Results(), QString("2"));
  QVERIFY(w.Form->Action("save")->isEnabled());

  test::WriteBytes(w.Dir.File("bad.txt"), "{}{}{}");
  w.Form->OpenDocument(QString::fromStdString(w.Dir.File("bad.txt")));
  QCOMPARE(w.Ui.Messages, std::vector<std::string>{"Bad file format"});
  QVERIFY(!w.Form->Action("save")->isEnabled());
}

void MainWindowTest::SettingsWrittenAtCloseAndAppliedAtStart() {
  TCalculatorWindow w;
  w.Form->resize(500, 620);
  w.Trigger("stayOnTop");
  w.Trigger("errorMessage");
  w.Form->close();
  const std::string ini = test::ReadBytes(w.Dir.File("helmax-calc.ini"));
  QVERIFY(ini.find("Width=500\r\n") != std::string::npos);
  QVERIFY(ini.find("StayOnTop=0\r\nUserFunctions=1\r\nErrorMessage=0\r\n") != std::string::npos);
  w.Restart();
  QVERIFY(!w.Form->Action("stayOnTop")->isChecked());
  QVERIFY(!w.Form->Action("errorMessage")->isChecked());
  QCOMPARE(w.Form->width(), 500);
}

void MainWindowTest::FontLargeChangesEveryPane() {
  TCalculatorWindow w;
  w.Trigger("largeFont");
  TConstantDialog* constantDialog = w.Form->ConstantList()->ConstantDialog();
  const QList<QWidget*> panes = {w.Form->DefinitionsPane(),
                                 w.Form->ExpressionsPane(),
                                 w.Form->ResultsPane(),
                                 w.Form->VariableDialog()->NameEdit(),
                                 constantDialog->NameEdit(),
                                 constantDialog->ExpressionPane(),
                                 constantDialog->DescriptionPane()};
  // Sizes are pixels at 96 dots per inch (the offscreen screen's), as points
  // that follow the desktop's scaling.
  for (QWidget* pane : panes) QCOMPARE(QFontInfo(pane->font()).pixelSize(), 27);
  w.Trigger("normalFont");
  for (QWidget* pane : panes) QCOMPARE(QFontInfo(pane->font()).pixelSize(), 19);
}

void MainWindowTest::HelpListsTheFunctions() {
  TCalculatorWindow w;
  w.Trigger("builtInFunctions");
  THelpWindow* help = w.Form->HelpWindow();
  QVERIFY(help->isVisible());
  QCOMPARE(help->windowTitle(), QString("Help"));
  QVERIFY(help->Pane()->toPlainText().startsWith("COMMAND SHORTCUTS\n"));
  QVERIFY(help->Pane()->toPlainText().endsWith("Type Info = COMPLEX, DOUBLE, CURRENCY, BOOLEAN, DATETIME"));
  QVERIFY(help->Pane()->toPlainText().contains("\n    Square of x. Example: sqr(3) = 9\n"));
  QVERIFY(help->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-help.png"));
  w.Key(help, Qt::Key_Escape);
  QVERIFY(!help->isVisible());
}

void MainWindowTest::MessageBoxesAskYesFirst() {
  TQtUserInterface ui;
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    QCOMPARE(box->text(), QString("ARE YOU SURE ?"));
    QCOMPARE(box->buttons().size(), 2);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
    box->button(QMessageBox::No)->click();
  });
  QVERIFY(!ui.AskYesNo("ARE YOU SURE ?"));
  WhenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
  QVERIFY(ui.AskYesNo("ARE YOU SURE ?"));
}

// Acts once the current run has been going for a while (timers fire inside
// the wait of a running calculation).
void DuringTheRun(std::function<void()> action) { QTimer::singleShot(300, std::move(action)); }

const QString kCalculating = QString::fromUtf8("Calculating\u2026 (Esc stops)");
const char* const kFib = "fib(n)~if(ls(n,2),n,fib(n-1)+fib(n-2))";

void MainWindowTest::EscStopsALongEvaluation() {
  TCalculatorWindow w;
  w.Form->DefinitionsPane()->setPlainText(kFib);
  w.WaitIdle();
  QString shown;
  DuringTheRun([&] {
    shown = w.Results();
    QTest::keyClick(w.Form->ExpressionsPane(), Qt::Key_Escape);
  });
  w.Type(w.Form->ExpressionsPane(), "fib(60)");
  QCOMPARE(shown, kCalculating);
  QCOMPARE(w.Results(), QString("Calculation stopped"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("fib(60)"));
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Escape);  // nothing runs: Esc clears
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString());
}

void MainWindowTest::TypingDuringARunReplacesIt() {
  TCalculatorWindow w;
  w.Form->DefinitionsPane()->setPlainText(kFib);
  w.WaitIdle();
  DuringTheRun([&] {
    w.Form->ExpressionsPane()->selectAll();
    QTest::keyClicks(w.Form->ExpressionsPane(), "2+3*4");
  });
  w.Type(w.Form->ExpressionsPane(), "fib(60)");
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("2+3*4"));
  QCOMPARE(w.Results(), QString("14"));
  QVERIFY(w.Ui.Messages.empty());
}

void MainWindowTest::AnEndlessDefaultDocumentStillOpens() {
  TCalculatorWindow w;
  w.Form.reset();
  test::WriteBytes(w.Dir.File("helmax-calc.txt"),
                   std::string("{}{x}{") + kFib + "}{fib(60)}");  // constants, variable, definitions, expressions
  bool exposedWhileRunning = false;
  DuringTheRun([&] {
    exposedWhileRunning = w.Form->isVisible() && w.Results() == kCalculating;
    QTest::keyClick(w.Form->ExpressionsPane(), Qt::Key_Escape);
  });
  w.Start();
  QVERIFY(exposedWhileRunning);
  QCOMPARE(w.Results(), QString("Calculation stopped"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("fib(60)"));
}

void MainWindowTest::UndoKeepsUnsavedPanes() {
  TCalculatorWindow w;
  QWidget* pane = w.Form->ExpressionsPane();
  w.Type(pane, "1+1");
  w.Key(pane, Qt::Key_Escape);
  w.Type(pane, "2+2");
  w.Key(pane, Qt::Key_F1);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("1+1"));
  w.Key(pane, Qt::Key_F2);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("2+2"));
  QCOMPARE(w.Results(), QString("4"));
}

void MainWindowTest::ClosingWithChangesAsks() {
  TCalculatorWindow w;
  const std::string document = w.Dir.File("helmax-calc.txt");
  const std::string saved = test::ReadBytes(document);
  w.Form->close();  // nothing changed: no question
  QVERIFY(w.Ui.Questions.empty());
  w.Restart();
  w.Type(w.Form->ExpressionsPane(), "y*3");
  w.Ui.ChoiceAnswers = {TAnswer::Cancel};
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, std::vector<std::string>{"Save changes?"});
  QVERIFY(w.Form->isVisible());
  w.Ui.ChoiceAnswers = {TAnswer::No};
  QVERIFY(w.Form->close());
  QCOMPARE(test::ReadBytes(document), saved);
  w.Restart();
  w.Type(w.Form->ExpressionsPane(), "y*3");
  w.Ui.ChoiceAnswers = {TAnswer::Yes};
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(document).find("{\r\ny*3\r\n}") != std::string::npos);
}

void MainWindowTest::SaveKeepsTheResults() {
  TCalculatorWindow w;
  w.Type(w.Form->ExpressionsPane(), "y*6");
  w.Trigger("save");
  QCOMPARE(w.Results(), QString("2"));
  const std::string entry = w.Form->Calculator().History().Entries().back();
  QVERIFY(entry.find("y*6") != std::string::npos && entry.find("{\r\n2\r\n}") != std::string::npos);
}

void MainWindowTest::SettingsRoundTripKeepsTheGeometry() {
  TCalculatorWindow w;
  w.Form->move(60, 80);
  w.Form->close();
  const std::string ini = w.Dir.File("helmax-calc.ini");
  auto formPos = [&] {
    const std::string text = test::ReadBytes(ini);
    const std::size_t from = text.find("[FormPos]");
    return text.substr(from, text.find('[', from + 1) - from);
  };
  const std::string first = formPos();
  QVERIFY(first.find("Top=80\r\nLeft=60\r\n") != std::string::npos);
  for (int restart = 0; restart < 2; ++restart) {
    w.Restart();
    w.Form->close();
    QCOMPARE(formPos(), first);
  }
  // A window that was left off every screen comes back onto one.
  test::WriteBytes(ini,
                   "[FormPos]\r\nTop=-5000\r\nLeft=9000\r\nHeight=600\r\nWidth=500\r\n"
                   "Memo1Height=100\r\nMemo2Height=150\r\n");
  w.Restart();
  QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(w.Form->frameGeometry()));
}

void MainWindowTest::NoBoxesForAnEmptiedFunctionVariable() {
  TCalculatorWindow w;
  w.Form->Calculator().Constants().AddConst(7, "x", "1", "");  // takes the function variable's name
  w.Type(w.Form->ExpressionsPane(), "1");
  QCOMPARE(w.Results(), QString("Please correct function varable name (Options > Variable)"));
  w.Form->DefinitionsPane()->setFocus();
  w.Form->ExpressionsPane()->setFocus();
  w.WaitIdle();
  QVERIFY(w.Ui.Messages.empty());
}

void MainWindowTest::KeysMenusAndSizes() {
  TCalculatorWindow w;
  // Tab and Ctrl+Tab move between the panes and type nothing.
  w.Form->DefinitionsPane()->setFocus();
  const QString definitions = w.Form->DefinitionsPane()->toPlainText();
  w.Key(w.Form->DefinitionsPane(), Qt::Key_Tab);
  QVERIFY(w.Form->ExpressionsPane()->hasFocus());
  w.Key(w.Form->ExpressionsPane(), Qt::Key_Tab, Qt::ControlModifier);
  QVERIFY(!w.Form->ExpressionsPane()->hasFocus());
  QCOMPARE(w.Form->DefinitionsPane()->toPlainText(), definitions);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString());
  // Every menu of the bar has an access key of its own.
  QSet<QChar> keys;
  for (QAction* menu : w.Form->menuBar()->actions()) {
    const QString text = menu->text();
    const int at = text.indexOf('&');
    QVERIFY(at >= 0);
    QVERIFY2(!keys.contains(text[at + 1].toLower()), qPrintable(text));
    keys.insert(text[at + 1].toLower());
  }
  // With the large font a pane at its smallest still shows a whole line.
  w.Trigger("largeFont");
  for (QPlainTextEdit* pane : {w.Form->DefinitionsPane(), w.Form->ExpressionsPane(), w.Form->ResultsPane()})
    QVERIFY(pane->minimumHeight() >= QFontMetrics(pane->font()).lineSpacing() + 2 * pane->frameWidth());
  // The constant list opens on the screen, centred on the main window.
  w.Trigger("constants");
  const QRect list = w.Form->ConstantList()->frameGeometry();
  QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(list));
  QVERIFY((list.center() - w.Form->frameGeometry().center()).manhattanLength() <= 4);
}

void MainWindowTest::MenuItemsCarryTheKeys() {
  TCalculatorWindow w;
  const char* const keys[][2] = {{"clear", "Esc"},
                                 {"undo", "F1"},
                                 {"redo", "F2"},
                                 {"reloadEntry", "F3"},
                                 {"insertLastResult", "Ctrl+R"},
                                 {"tallerPane", "Ctrl+Num++"},
                                 {"shorterPane", "Ctrl+Num+-"},
                                 {"widerWindow", "Ctrl+Shift+Num++"},
                                 {"narrowerWindow", "Ctrl+Shift+Num+-"}};
  for (const auto& k : keys) QCOMPARE(w.Form->Action(k[0])->shortcut().toString(), QString(k[1]));
  const QList<QAction*> edit = w.Form->findChild<QMenu*>("editMenu")->actions();
  for (const char* name : {"clear", "undo", "redo", "reloadEntry", "insertLastResult"})
    QVERIFY2(edit.contains(w.Form->Action(name)), name);
  // The key triggers the item; with another modifier it still acts.
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  QSignalSpy undone(w.Form->Action("undo"), &QAction::triggered);
  w.Type(pane, "1+1");
  w.Key(pane, Qt::Key_Escape);
  w.Key(pane, Qt::Key_F1);
  QCOMPARE(undone.count(), 1);
  QCOMPARE(pane->toPlainText(), QString("1+1"));
  w.Key(pane, Qt::Key_F2);
  const QString afterRedo = w.Form->StatusText(1);
  w.Key(pane, Qt::Key_F1, Qt::ShiftModifier);
  QCOMPARE(undone.count(), 1);
  QVERIFY(w.Form->StatusText(1) != afterRedo);
}

// Runs action once a pop-up (a menu, a completion list) is up.
void WhenPopup(std::function<void(QWidget*)> action) {
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [action, poll](int tries) {
    if (QWidget* popup = QApplication::activePopupWidget()) action(popup);
    else if (tries > 0) QTimer::singleShot(10, [poll, tries] { (*poll)(tries - 1); });
  };
  QTimer::singleShot(0, [poll] { (*poll)(300); });
}

void MainWindowTest::CompletionByKeyboard() {
  TCalculatorWindow w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  w.Type(pane, "NormalL");
  QAbstractItemView* list = w.Form->ExpressionsTypingHelp()->Completer()->popup();
  QVERIFY(list->isVisible());
  QVERIFY(list->currentIndex().data().toString().startsWith("NormalLess(x1)"));
  // In plain English, with the help line and an example in the tool tip.
  QVERIFY(list->currentIndex().data().toString().contains("Probability that a standard normal"));
  QVERIFY(list->currentIndex().data(Qt::ToolTipRole).toString().contains("Example: NormalLess(1.96) = "));
  QTest::keyClick(list, Qt::Key_Tab);  // takes the first, with its bracket
  QVERIFY(!list->isVisible());
  QCOMPARE(pane->toPlainText(), QString("NormalLess("));
  w.Type(pane, "0)");
  QCOMPARE(w.Results(), QString("0.5"));
  // A user function after the definitions changed; Enter takes it.
  w.Form->DefinitionsPane()->selectAll();
  w.Type(w.Form->DefinitionsPane(), "speedup(t)~t*3");
  pane->setFocus();
  w.ClearExpressions();
  w.Type(pane, "spe");
  QVERIFY(list->isVisible());
  QTest::keyClick(list, Qt::Key_Return);
  w.Type(pane, "2)");
  QCOMPARE(pane->toPlainText(), QString("speedup(2)"));
  QCOMPARE(w.Results(), QString("6"));
  // Esc closes the list and leaves the pane as it is.
  w.Type(pane, "+sp");
  QVERIFY(list->isVisible());
  QTest::keyClick(list, Qt::Key_Escape);
  QVERIFY(!list->isVisible());
  QCOMPARE(pane->toPlainText(), QString("speedup(2)+sp"));
}

void MainWindowTest::HighlightingAndMarks() {
  TCalculatorWindow w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  w.Type(pane, "sin(y)+qq, 1/0");
  // "sin" and "qq" carry different formats: a built-in and an unknown name.
  const QList<QTextLayout::FormatRange> formats = pane->document()->firstBlock().layout()->formats();
  auto formatAt = [&](int pos) {
    for (const QTextLayout::FormatRange& f : formats)
      if (pos >= f.start && pos < f.start + f.length) return f.format;
    return QTextCharFormat();
  };
  QVERIFY(formatAt(0).foreground() != formatAt(7).foreground());
  QCOMPARE(formatAt(7).underlineStyle(), QTextCharFormat::WaveUnderline);
  // The error's place: 1/0 is underlined.
  QTextCursor at(pane->document());
  at.setPosition(3);  // before "("
  pane->setTextCursor(at);
  const QList<QTextEdit::ExtraSelection> marks = pane->extraSelections();
  QCOMPARE(marks.size(), 3);  // the error, the bracket and its partner
  QCOMPARE(marks[0].cursor.selectedText(), QString("1/0"));
  QCOMPARE(marks[1].cursor.position() - 1, 3);
  QCOMPARE(marks[2].cursor.position() - 1, 5);
}

void MainWindowTest::AlignedResultsAndCopies() {
  TCalculatorWindow w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  w.Type(pane, "1+1,");
  w.Key(pane, Qt::Key_Return);
  w.Key(pane, Qt::Key_Return);
  w.Type(pane, "2+2");
  QCOMPARE(w.Results(), QString("2\n4"));
  w.Trigger("alignedResults");
  QCOMPARE(w.Results(), QString("2\n\n4"));
  // Ctrl+R brings the last result in.
  w.Key(pane, Qt::Key_R, Qt::ControlModifier);
  QCOMPARE(pane->toPlainText(), QString("1+1,\n\n2+24"));
  QCOMPARE(w.Results(), QString("2\n\n26"));
  w.Trigger("alignedResults");
  QCOMPARE(w.Results(), QString("2\n26"));
  // The results pane's menu copies all of them.
  QApplication::clipboard()->clear();
  WhenPopup([](QWidget* popup) {
    auto* menu = qobject_cast<QMenu*>(popup);
    QVERIFY(menu);
    menu->actions().at(1)->trigger();
    menu->close();
  });
  emit w.Form->ResultsPane()->customContextMenuRequested(QPoint(5, 5));
  QCOMPARE(QApplication::clipboard()->text(), QString("2\n26"));
}

// Enter breaks the line of a multi-line field; Ctrl+Enter is OK.
void MainWindowTest::ConstantDialogConfirmsWithCtrlEnter() {
  TCalculatorWindow w;
  w.Trigger("constants");
  TConstantListWindow* list = w.Form->ConstantList();
  QString okText;
  bool openAfterEnter = false, closedByCtrlEnter = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TConstantDialog*>(modal);
    QVERIFY(dialog);
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
      if (b->text().remove('&').compare("ok", Qt::CaseInsensitive) == 0) okText = b->text();
    QTest::keyClicks(dialog->NameEdit(), "g_n");
    dialog->ExpressionPane()->setFocus();
    QTest::keyClicks(dialog->ExpressionPane(), "9.80665");
    QTest::keyClick(dialog->ExpressionPane(), Qt::Key_Return);
    openAfterEnter = dialog->isVisible();
    QTest::keyClick(dialog->ExpressionPane(), Qt::Key_Backspace);
    QTest::keyClick(dialog->ExpressionPane(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    closedByCtrlEnter = !dialog->isVisible();
    if (dialog->isVisible()) dialog->reject();
  });
  list->findChild<QAction*>("addConstant")->trigger();
  QVERIFY(openAfterEnter);
  QVERIFY(closedByCtrlEnter);
  QCOMPARE(okText, QString("&OK"));
  QCOMPARE(list->Grid()->model()->rowCount(), 7);
  QCOMPARE(list->Grid()->model()->index(6, 2).data().toString(), QString("9.80665"));
}

// Ctrl+R gives the last result shown, also while the pane waits for an
// operand and shows no result of its own.
void MainWindowTest::CtrlRAfterAnIncompletePane() {
  TCalculatorWindow w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  w.Type(pane, "2+3");
  QCOMPARE(w.Results(), QString("5"));
  w.Type(pane, "*");
  QVERIFY(w.Results() != "5");
  w.Key(pane, Qt::Key_R, Qt::ControlModifier);
  QCOMPARE(pane->toPlainText(), QString("2+3*5"));
  QCOMPARE(w.Results(), QString("17"));
}

// The failing expression's error on its line, the others' results kept,
// and the wavy mark on the failing one.
void MainWindowTest::OneBadLineKeepsTheOthers() {
  TCalculatorWindow w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  w.Trigger("alignedResults");
  w.Type(pane, "1+1,");
  w.Key(pane, Qt::Key_Return);
  w.Key(pane, Qt::Key_Return);
  w.Type(pane, "1/0,");
  w.Key(pane, Qt::Key_Return);
  w.Type(pane, "Fact(5)");
  QCOMPARE(w.Results(), QString("2\n\nDivision by 0\n120"));
  const QList<QTextEdit::ExtraSelection> marks = pane->extraSelections();
  QVERIFY(!marks.isEmpty());
  QCOMPARE(marks[0].cursor.selectedText(), QString("1/0"));
  w.Form->resize(640, 520);
  QApplication::processEvents();
  QVERIFY(w.Form->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-calc-bad-line.png"));
  // A narrow window: the status panels side by side, none over another.
  w.Form->resize(250, 400);
  QApplication::processEvents();
  QTRY_COMPARE(w.Form->width(), 250);
  QLabel* panels[3];
  for (int i = 0; i < 3; ++i) panels[i] = w.Form->findChild<QLabel*>(QString("statusPanel%1").arg(i));
  for (int i = 0; i < 2; ++i) QVERIFY(panels[i]->geometry().right() < panels[i + 1]->geometry().left());
  QVERIFY(panels[2]->geometry().right() <= w.Form->width());
  QVERIFY(w.Form->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-calc-narrow.png"));
  // Ctrl+R takes the last result of a pane that did not fail, never a line
  // of kept results (it may be an error line): none was shown here.
  const QString before = pane->toPlainText();
  w.Key(pane, Qt::Key_R, Qt::ControlModifier);
  QCOMPARE(pane->toPlainText(), before);
  w.Type(pane, ",");
  w.Key(pane, Qt::Key_Return);
  w.Type(pane, "7");
  pane->selectAll();
  w.Type(pane, "3*3");
  w.Key(pane, Qt::Key_R, Qt::ControlModifier);
  QCOMPARE(pane->toPlainText(), QString("3*39"));
}

void MainWindowTest::HelpSearch() {
  TCalculatorWindow w;
  w.Trigger("builtInFunctions");
  THelpWindow* help = w.Form->HelpWindow();
  QTest::keyClicks(help->SearchBox(), "arctan");
  const QStringList lines = help->Pane()->toPlainText().split('\n');
  QVERIFY(lines.size() >= 6);
  for (const QString& line : lines) QVERIFY2(line.contains("ARCTAN", Qt::CaseInsensitive), qPrintable(line));
  // A description found keeps the line it describes above it.
  help->SearchBox()->clear();
  QTest::keyClicks(help->SearchBox(), "Square of x");
  QCOMPARE(help->Pane()->toPlainText(), QString("18.  FUNCTION 'SQR' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION\n"
                                                "    Square of x. Example: sqr(3) = 9"));
  help->SearchBox()->clear();
  QVERIFY(help->Pane()->toPlainText().startsWith("COMMAND SHORTCUTS"));
}

// On a dark desktop the panes turn dark, and every colour of the typing
// help keeps a contrast of 4.5:1 on the pane it is drawn on.
void MainWindowTest::DarkPaletteReadsWell() {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(40, 40, 44));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(30, 30, 34));
  dark.setColor(QPalette::Text, QColor(235, 235, 235));
  dark.setColor(QPalette::Button, QColor(50, 50, 56));
  dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  for (const QPalette& palette : {light, dark}) {
    QApplication::setPalette(palette);
    TCalculatorWindow w;
    const bool isDark = &palette == &dark || palette.color(QPalette::Base) == dark.color(QPalette::Base);
    for (auto color : {TMainWindow::TPaneColor::Money, TMainWindow::TPaneColor::Sky}) {
      const QColor pane = TMainWindow::PaneColor(color, isDark);
      const double text = ContrastRatio(palette.color(QPalette::Text), pane);
      QVERIFY2(text >= 4.5, qPrintable(QString::number(text)));
      const TTypingColors colors = TTypingColors::For(pane);
      for (const QTextCharFormat& f : colors.Classes) {
        const double ratio = ContrastRatio(f.foreground().color(), pane);
        QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
      }
    }
    w.Type(w.Form->ExpressionsPane(), "2*f(y), NormalLess(1.96), 12.31.2008, qq+1");
    w.Form->resize(640, 520);
    const QString file = QString(HELMAX_SCREENSHOT_DIR) + (isDark ? "/helmax-calc-dark.png" : "/helmax-calc-light.png");
    QVERIFY(w.Form->grab().save(file));
    QCOMPARE(w.Form->ExpressionsPane()->palette().color(QPalette::Base),
             TMainWindow::PaneColor(TMainWindow::TPaneColor::Money, isDark));
  }
  QApplication::setPalette(light);
}

void MainWindowTest::Screenshots() {
  TCalculatorWindow w;
  w.Form->resize(640, 640);
  for (const char* line :
       {"2*f(y),", "Fact(10),", "complex(1,-2.5)*2,", "DaysBetween(12.31.2008, 03.01.2009),", "NormalLess(1.96)"}) {
    if (!w.Form->ExpressionsPane()->toPlainText().isEmpty()) w.Key(w.Form->ExpressionsPane(), Qt::Key_Return);
    w.Type(w.Form->ExpressionsPane(), line);
  }
  if (w.Results().count('\n') != 4) qWarning() << w.Form->ExpressionsPane()->toPlainText() << w.Results();
  QCOMPARE(w.Results().count('\n'), 4);
  for (const char* size : {"normalFont", "largeFont"}) {
    w.Trigger(size);
    QApplication::processEvents();
    const QString file = QString(HELMAX_SCREENSHOT_DIR) + "/helmax-calc-" + QString(size).chopped(1).toLower() + ".png";
    QVERIFY(w.Form->grab().save(file));
  }
  w.Trigger("normalFont");
  QVERIFY(w.Form->Calculator().Constants().AddConst(7, "c", "299792458", "speed of light"));
  w.Trigger("constants");
  QVERIFY(w.Form->ConstantList()->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-constants.png"));
}

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
