// The Symbolic Differentiate and equivalence windows, opened from the main
// window's Functions menu and driven as a user drives them, offscreen.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../../common/TempFolder.h"
#include "ChartWindow.h"
#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
#include "DerivativeWindow.h"
#include "HelpWindow.h"
#include "EquivalenceWindow.h"
#include "ExchangeWindow.h"
#include "FunctionTableWindow.h"
#include "IntegrationWindow.h"
#include "InterpolationWindow.h"
#include "LinearSystemWindow.h"
#include "MainWindow.h"
#include "QtUserInterface.h"
#include "UnitConversionWindow.h"
#include <QPushButton>
#include <filesystem>

using namespace helmax;

namespace {

// A calculator with its files in a fresh folder and recorded messages.
struct TCalculatorWindow {
  test::TTempFolder Dir;
  TMessageRecorder Ui;
  std::unique_ptr<TMainWindow> Form;

  TCalculatorWindow() {
    TCalculatorFiles files{Dir.Folder(), Dir.File("helmax-calc.ini"), Dir.File("helmax-calc.log"),
                           Dir.File("helmax-calc.txt")};
    Form = std::make_unique<TMainWindow>(files, &Ui);
    Form->show();
  }
};

void Type(QWidget* w, const QString& text) {
  w->setFocus();
  QTest::keyClicks(w, text);
}

void ClearAndType(QWidget* w, const QString& text) {
  w->setFocus();
  QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_Delete);
  QTest::keyClicks(w, text);
}

QString Screenshot(const char* name) { return QString(HELMAX_SCREENSHOT_DIR) + "/" + name; }

}  // namespace

class ToolWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void DerivativeWindowFromTheMenu();
  void DerivativeWindowDifferentiates();
  void EquivalenceWindowTests();
  void EquivalenceVerdictInAMessageBox();
  void ToolWindowsComeInFrontOfTheMain();
  void FontMenuReachesTheTools();
  void ToolWindowsOpenWithinTheScreen();
  void DerivativeCopiedToTheExpressions();
  void TypedWorkSurvivesEveryToolRun();
};

void ToolWindowsTest::DerivativeWindowFromTheMenu() {
  TCalculatorWindow w;
  QAction* item = w.Form->Action("derivative");
  QVERIFY(item->isEnabled());
  QCOMPARE(item->text(), QString("&Derivative"));
  item->trigger();
  TDerivativeWindow* d = w.Form->DerivativeWindow();
  QVERIFY(QTest::qWaitForWindowExposed(d));
  QCOMPARE(d->windowTitle(), QString("Symbolic Differentiate"));
  QCOMPARE(d->VariableEdit()->text(), QString("x"));
  QCOMPARE(d->DifferentiateButton()->text(), QString("&Differentiate"));
  QStringList groups;
  for (QGroupBox* g : d->findChildren<QGroupBox*>())
    if (!g->title().isEmpty()) groups << g->title();
  groups.sort();
  QCOMPARE(groups, QStringList({"Derivative", "Mathematical expression"}));
  QVERIFY(d->findChild<QLabel*>() != nullptr);
  QCOMPARE(d->findChild<QLabel*>()->text(), QString("Diff Variable:"));
  QTRY_VERIFY(d->ExpressionPane()->hasFocus());
  // The splitter keeps the derivative at least 50 pixels high.
  d->Splitter()->setSizes({2000, 0});
  QVERIFY(d->Splitter()->sizes()[1] >= 50);
  // Esc closes it (hidden, kept for the next time).
  QTest::keyClick(d->ExpressionPane(), Qt::Key_Escape);
  QVERIFY(!d->isVisible());
  item->trigger();
  QVERIFY(d->isVisible());
}

void ToolWindowsTest::DerivativeWindowDifferentiates() {
  TCalculatorWindow w;
  w.Form->Action("derivative")->trigger();
  TDerivativeWindow* d = w.Form->DerivativeWindow();
  QVERIFY(QTest::qWaitForWindowActive(d));  // the keys reach it
  Type(d->ExpressionPane(), "x^2*");
  QTest::keyClick(d->ExpressionPane(), Qt::Key_Return);  // a line break inside the expression
  Type(d->ExpressionPane(), "sin(x)");
  QTest::mouseClick(d->DifferentiateButton(), Qt::LeftButton);
  QCOMPARE(d->DerivativePane()->toPlainText(), QString("((2*x)*sin(x))+((x^2)*cos(x))"));
  // Any change clears the derivative.
  Type(d->ExpressionPane(), "+y");
  QCOMPARE(d->DerivativePane()->toPlainText(), QString());
  // Enter in the variable's edit differentiates too.
  ClearAndType(d->VariableEdit(), "y");
  QTest::keyClick(d->VariableEdit(), Qt::Key_Return);
  QCOMPARE(d->DerivativePane()->toPlainText(), QString("1"));
  ClearAndType(d->VariableEdit(), "1y");
  QTest::keyClick(d->DifferentiateButton(), Qt::Key_Space);
  QCOMPARE(d->DerivativePane()->toPlainText(), QString("Invalid name of derivative variable :  1y"));
  ClearAndType(d->VariableEdit(), "x");
  ClearAndType(d->ExpressionPane(), "abs(x)+1/0");
  QTest::keyClick(d->ExpressionPane(), Qt::Key_D, Qt::AltModifier);  // the button's mnemonic (an animated click)
  QTRY_COMPARE(d->DerivativePane()->toPlainText(), QString("Division by 0"));
  ClearAndType(d->ExpressionPane(), "sin(x)^2/x");
  QTest::mouseClick(d->DifferentiateButton(), Qt::LeftButton);
  QVERIFY(!d->DerivativePane()->isReadOnly());  // the result can be edited like any text
  QApplication::processEvents();
  QVERIFY(d->grab().save(Screenshot("helmax-derivative.png")));
  QVERIFY(w.Ui.Messages.empty());
}

void ToolWindowsTest::EquivalenceWindowTests() {
  TCalculatorWindow w;
  QAction* item = w.Form->Action("equivalentTest");
  QVERIFY(item->isEnabled());
  item->trigger();
  TEquivalenceWindow* e = w.Form->EquivalenceWindow();
  QVERIFY(QTest::qWaitForWindowActive(e));
  QCOMPARE(e->windowTitle(), QString("Are expressions equivalent?"));
  QCOMPARE(e->TestAction()->text(), QString("&Test"));
  QStringList groups;
  for (QGroupBox* g : e->findChildren<QGroupBox*>()) groups << g->title();
  groups.sort();
  QCOMPARE(groups, QStringList({"First expression", "Second expression"}));
  QTRY_VERIFY(e->FirstPane()->hasFocus());

  Type(e->FirstPane(), "sin(x)^2+");
  QTest::keyClick(e->FirstPane(), Qt::Key_Return);
  Type(e->FirstPane(), "cos(x)^2");
  Type(e->SecondPane(), "1");
  e->TestAction()->trigger();
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(w.Ui.Messages[0]), QString("Yes\nequal=5151 unequal=0 counted=5151"));

  w.Ui.Clear();
  ClearAndType(e->SecondPane(), "-sin(x)^2");
  QTest::keyClick(e->SecondPane(), Qt::Key_T, Qt::AltModifier);  // the menu's Test
  QCOMPARE(QString::fromStdString(w.Ui.Messages.at(0)).left(3), QString("No\n"));

  w.Ui.Clear();
  ClearAndType(e->FirstPane(), "x, y");
  e->TestAction()->trigger();
  QCOMPARE(w.Ui.Messages.size(), std::size_t{2});
  QCOMPARE(QString::fromStdString(w.Ui.Messages[0]), QString("First expression -> Please insert only one expression"));
  QCOMPARE(QString::fromStdString(w.Ui.Messages[1]), QString("Indeterminate\nequal=0 unequal=0 counted=0"));

  w.Ui.Clear();
  ClearAndType(e->FirstPane(), "x");
  ClearAndType(e->SecondPane(), "x+1/(1-1)");
  e->TestAction()->trigger();
  QCOMPARE(QString::fromStdString(w.Ui.Messages.at(0)), QString("Second expression -> Division by 0"));

  QApplication::processEvents();
  QVERIFY(e->grab().save(Screenshot("helmax-equivalence.png")));
  QTest::keyClick(e->SecondPane(), Qt::Key_Escape);
  QVERIFY(!e->isVisible());
}

// The verdict as a user sees it: a message box with two lines.
void ToolWindowsTest::EquivalenceVerdictInAMessageBox() {
  TQtUserInterface ui;
  TEquivalenceWindow e(ui, nullptr);
  e.show();
  QVERIFY(QTest::qWaitForWindowExposed(&e));
  e.FirstPane()->setPlainText("(x+1)^2-(x-1)^2");
  e.SecondPane()->setPlainText("4*x");
  QString shown;
  QTimer::singleShot(0, [&] {
    std::function<void(int)> poll = [&](int tries) {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        box->grab().save(Screenshot("helmax-equivalence-verdict.png"));
        box->accept();
      } else if (tries > 0) {
        QTimer::singleShot(10, [&poll, tries] { poll(tries - 1); });
      }
    };
    poll(300);
  });
  e.Test();
  QVERIFY(shown.startsWith("Yes\nequal="));
}

// With Stay on top (the default) the main window is above the others: the
// windows opened from its menus share its layer and take the keyboard.
void ToolWindowsTest::ToolWindowsComeInFrontOfTheMain() {
  TCalculatorWindow w;
  QVERIFY(QTest::qWaitForWindowExposed(w.Form.get()));
  QVERIFY(w.Form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  const std::pair<const char*, QWidget*> tools[] = {{"builtInFunctions", w.Form->HelpWindow()},
                                                    {"constants", w.Form->ConstantList()},
                                                    {"constantsLibrary", w.Form->ConstantsLibrary()},
                                                    {"derivative", w.Form->DerivativeWindow()}};
  for (const auto& [item, tool] : tools) {
    w.Form->Action(item)->trigger();
    QVERIFY2(QTest::qWaitForWindowActive(tool), item);
    QVERIFY2(tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint), item);
  }
  QVERIFY(w.Form->Chart()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // Without Stay on top, each tool's own item decides.
  w.Form->Action("stayOnTop")->trigger();
  QVERIFY(!w.Form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  for (const auto& [item, tool] : tools) {
    QVERIFY2(!tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint), item);
    QVERIFY2(tool->isVisible(), item);
  }
  QAction* own = w.Form->ConstantList()->findChild<QAction*>("stayOnTop");
  own->trigger();
  QVERIFY(w.Form->ConstantList()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  w.Form->Action("stayOnTop")->trigger();
  w.Form->Action("stayOnTop")->trigger();
  QVERIFY(w.Form->ConstantList()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));  // its own choice stays
}

void ToolWindowsTest::FontMenuReachesTheTools() {
  TCalculatorWindow w;
  QWidget* panes[] = {w.Form->DerivativeWindow()->ExpressionPane(), w.Form->DerivativeWindow()->DerivativePane(),
                      w.Form->EquivalenceWindow()->FirstPane(), w.Form->EquivalenceWindow()->SecondPane()};
  const qreal normal = w.Form->ExpressionsPane()->font().pointSizeF();
  for (QWidget* pane : panes) QCOMPARE(pane->font().pointSizeF(), normal);
  w.Form->Action("largeFont")->trigger();
  const qreal large = w.Form->ExpressionsPane()->font().pointSizeF();
  QVERIFY(large > normal);
  for (QWidget* pane : panes) QCOMPARE(pane->font().pointSizeF(), large);
  w.Form->Action("derivative")->trigger();
  QApplication::processEvents();
  QVERIFY(w.Form->DerivativeWindow()->grab().save(Screenshot("helmax-derivative-large.png")));
  w.Form->Action("normalFont")->trigger();
  for (QWidget* pane : panes) QCOMPARE(pane->font().pointSizeF(), normal);
}

// Opened from a main window at the screen's lower right corner, every tool
// window lies within the screen's available area.
void ToolWindowsTest::ToolWindowsOpenWithinTheScreen() {
  TCalculatorWindow w;
  QVERIFY(QTest::qWaitForWindowExposed(w.Form.get()));
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  w.Form->resize(400, 300);
  w.Form->move(area.right() - 420, area.bottom() - 320);
  QApplication::processEvents();
  const std::pair<const char*, QWidget*> tools[] = {{"derivative", w.Form->DerivativeWindow()},
                                                    {"equivalentTest", w.Form->EquivalenceWindow()},
                                                    {"constantsLibrary", w.Form->ConstantsLibrary()},
                                                    {"builtInFunctions", w.Form->HelpWindow()}};
  for (const auto& [item, tool] : tools) {
    w.Form->Action(item)->trigger();
    QVERIFY2(QTest::qWaitForWindowExposed(tool), item);
    QApplication::processEvents();
    QVERIFY2(area.contains(tool->frameGeometry()), qPrintable(QString(item) + " " + QString::number(tool->frameGeometry().bottom())));
  }
  w.Form->Chart()->resize(area.width() + 100, area.height() + 100);  // larger than the screen: shrunk
  w.Form->Chart()->ShowChart();
  QVERIFY(QTest::qWaitForWindowExposed(w.Form->Chart()));
  QApplication::processEvents();
  QVERIFY(area.contains(w.Form->Chart()->frameGeometry()));
}

void ToolWindowsTest::DerivativeCopiedToTheExpressions() {
  TCalculatorWindow w;
  QTRY_VERIFY(w.Form->Idle());
  w.Form->ExpressionsPane()->setFocus();
  QTest::keyClicks(w.Form->ExpressionsPane(), "1+1 ");
  w.Form->Action("derivative")->trigger();
  TDerivativeWindow* d = w.Form->DerivativeWindow();
  QCOMPARE(d->CopyButton()->text(), QString("&Copy to expressions"));
  QVERIFY(!d->CopyButton()->isEnabled());
  Type(d->ExpressionPane(), "x^3");
  QTest::mouseClick(d->DifferentiateButton(), Qt::LeftButton);
  QVERIFY(d->CopyButton()->isEnabled());
  QTest::mouseClick(d->CopyButton(), Qt::LeftButton);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("1+1,\n") + d->DerivativePane()->toPlainText());
  // Evaluated at once, with the definitions' x (-NAN by default: the value is
  // the derivative's at that x, whatever it is, beside 2).
  QTRY_VERIFY(w.Form->Idle());
  QCOMPARE(w.Form->ResultsPane()->toPlainText().split('\n').size(), 2);
  QCOMPARE(w.Form->ResultsPane()->toPlainText().split('\n')[0], QString("2"));
  // An error line cannot be copied.
  ClearAndType(d->ExpressionPane(), "1/0");
  QTest::mouseClick(d->DifferentiateButton(), Qt::LeftButton);
  QVERIFY(!d->CopyButton()->isEnabled());
  QApplication::processEvents();
  ClearAndType(d->ExpressionPane(), "x^3");
  QTest::mouseClick(d->DifferentiateButton(), Qt::LeftButton);
  QApplication::processEvents();
  QVERIFY(d->grab().save(Screenshot("helmax-derivative-copy.png")));
}

// Definitions whose s(v) keeps a tool busy for a while before it gives v.
const QString kSlowDefinitions = "fib(n)~if(ls(n,2),n,fib(n-1)+fib(n-2)),s(v)~v+0*fib(20)";
// An expression that does so by itself (a While loop runs 100000 times at
// most).
QString Slow(const QString& value) {
  return QString("Bk(i=0,While(ls(i,10000),Bk(j=0,While(ls(j,1000),j=j+1),i=i+1)),%1)").arg(value);
}

// A long text that needs neither variables nor functions of its own.
QString LongText(const QString& value) { return value + "+0*(" + QString("sin(2)+").repeated(120000) + "0)"; }

// Whatever a tool does and however its run ends, the main panes keep what
// was typed meanwhile, and the results follow it afterwards.
void ToolWindowsTest::TypedWorkSurvivesEveryToolRun() {
  struct TTool {
    const char* Name;
    std::function<QWidget*(TCalculatorWindow&)> Setup;  // the tool's window, ready to run
    std::function<void(QWidget*)> Start;
    std::function<bool(QWidget*)> Running;
    bool HasCancel;
  };
  auto cancelButton = [](QWidget* tool) { return tool->findChild<QPushButton*>("cancel"); };
  const TTool tools[] = {
      {"integration",
       [](TCalculatorWindow& w) -> QWidget* {
         TIntegrationWindow* t = w.Form->IntegrationWindow();
         t->FunctionBox()->setPlainText("s(x)");
         t->FromEdit()->setText("0");
         t->ToEdit()->setText("1");
         return t;
       },
       [](QWidget* t) { static_cast<TIntegrationWindow*>(t)->Integrate(); },
       [](QWidget* t) { return static_cast<TIntegrationWindow*>(t)->Running(); }, true},
      {"function table",
       [](TCalculatorWindow& w) -> QWidget* {
         w.Form->DefinitionsPane()->setPlainText(kSlowDefinitions + ",t(x)~s(x)");
         if (!QTest::qWaitFor([&] { return w.Form->Idle(); }, 20000)) return nullptr;
         w.Form->Calculator().SetParameter(parFrom, 0);
         w.Form->Calculator().SetParameter(parTo, 60);
         w.Form->Calculator().SetParameter(parStep, 1);
         return w.Form->FunctionTable();
       },
       [](QWidget* t) { static_cast<TFunctionTableWindow*>(t)->ComputeTable(); },
       [](QWidget* t) { return static_cast<TFunctionTableWindow*>(t)->Busy(); }, true},
      {"linear systems",
       [](TCalculatorWindow& w) -> QWidget* {
         TLinearSystemWindow* t = w.Form->LinearSystemWindow();
         t->VariablesBox()->setPlainText("a");
         t->EquationsBox()->setPlainText("a*" + LongText("2") + "-1");
         return t;
       },
       [](QWidget* t) { static_cast<TLinearSystemWindow*>(t)->Execute(TSystemCommand::Solve); },
       [](QWidget* t) { return static_cast<TLinearSystemWindow*>(t)->Running(); }, true},
      {"interpolation",
       [](TCalculatorWindow& w) -> QWidget* {
         TInterpolationWindow* t = w.Form->InterpolationWindow();
         // A large sheet of expressions: each is compiled on its own.
         TInterpolationSheets& sheets = w.Form->Calculator().InterpolationSheets();
         const int rows = 100000;
         sheets.SetRowCount(0, rows);
         for (int r = 0; r < rows; ++r) {
           sheets.SetCell(0, r, scX, std::to_string(rows - r) + "+sin(0)");
           sheets.SetCell(0, r, scF, "1");
         }
         return t;
       },
       [](QWidget* t) { static_cast<TInterpolationWindow*>(t)->Ordination(); },
       [](QWidget* t) { return static_cast<TInterpolationWindow*>(t)->Running(); }, true},
      {"conversion",
       [](TCalculatorWindow& w) -> QWidget* {
         TUnitConversionWindow* t = w.Form->ConversionWindow();
         t->CheckConversions();
         if (!QTest::qWaitFor([&] { return w.Form->Idle(); }, 20000)) return nullptr;
         t->ExpressionBox()->setPlainText(Slow("1"));
         return t;
       },
       [](QWidget* t) { static_cast<TUnitConversionWindow*>(t)->Calculate(); },
       [](QWidget* t) { return static_cast<TUnitConversionWindow*>(t)->Running(); }, false},
      {"exchange",
       [](TCalculatorWindow& w) -> QWidget* {
         TExchangeWindow* t = w.Form->ExchangeWindow();
         const std::string rates = w.Dir.File("rates.fdb");
         std::filesystem::copy_file(std::string(HELMAX_EXCHANGE_FIXTURES) + "/sample-rates.fdb", rates);
         t->SampleFile.clear();
         t->OpenChosenFile(QString::fromStdString(rates));
         if (!QTest::qWaitFor([&] { return w.Form->Idle(); }, 20000)) return nullptr;
         t->AmountBox()->setPlainText(Slow("100"));
         t->DateBox()->setPlainText("12.31.2008");
         for (int list = 0; list < 3; ++list) t->Choose(list, list < 2 ? "EUR" : "USD");
         return t;
       },
       [](QWidget* t) { static_cast<TExchangeWindow*>(t)->Calculate(); },
       [](QWidget* t) { return static_cast<TExchangeWindow*>(t)->Running(); }, false}};
  enum class TEnding { Finish, Cancel, Esc };
  const std::pair<TEnding, const char*> endings[] = {
      {TEnding::Finish, "finish"}, {TEnding::Cancel, "Cancel"}, {TEnding::Esc, "Esc"}};
  QStringList failed;
  for (const TTool& tool : tools) {
    for (const auto& [ending, endingName] : endings) {
      if (ending == TEnding::Cancel && !tool.HasCancel) continue;  // Esc is its only stop
      const QString name = QString("%1, %2").arg(tool.Name, endingName);
      TCalculatorWindow w;
      QTRY_VERIFY(w.Form->Idle());
      w.Form->DefinitionsPane()->setPlainText(kSlowDefinitions);
      QTRY_VERIFY(w.Form->Idle());
      QWidget* window = tool.Setup(w);
      QVERIFY2(window != nullptr, tool.Name);
      QTRY_VERIFY(w.Form->Idle());
      w.Form->ExpressionsPane()->setPlainText("7*6");
      QTRY_COMPARE(w.Form->ResultsPane()->toPlainText(), QString("42"));
      const QString definitions = w.Form->DefinitionsPane()->toPlainText() + ",z=3";
      bool typedDuringRun = false;
      auto poll = std::make_shared<std::function<void(int)>>();
      *poll = [&, poll](int tries) {
        if (!tool.Running(window)) {
          if (tries > 0) QTimer::singleShot(5, window, [poll, tries] { (*poll)(tries - 1); });
          return;
        }
        ClearAndType(w.Form->ExpressionsPane(), "2+z");
        QPlainTextEdit* pane = w.Form->DefinitionsPane();
        pane->setFocus();
        pane->moveCursor(QTextCursor::End);
        QTest::keyClicks(pane, ",z=3");
        typedDuringRun = tool.Running(window);
        if (ending == TEnding::Cancel) cancelButton(window)->click();
        if (ending == TEnding::Esc) QTest::keyClick(window, Qt::Key_Escape);
      };
      QTimer::singleShot(0, window, [poll] { (*poll)(2000); });
      tool.Start(window);
      QTRY_VERIFY_WITH_TIMEOUT(w.Form->Idle() && !tool.Running(window), 30000);
      const QString seen = QString("%1: typed during the run %2; panes \"%3\" / \"%4\"; results \"%5\"; messages \"%6\"")
                               .arg(name)
                               .arg(typedDuringRun)
                               .arg(w.Form->DefinitionsPane()->toPlainText(), w.Form->ExpressionsPane()->toPlainText(),
                                    w.Form->ResultsPane()->toPlainText(),
                                    QString::fromStdString(w.Ui.Messages.empty() ? "" : w.Ui.Messages.front()));
      if (!typedDuringRun || w.Form->DefinitionsPane()->toPlainText() != definitions ||
          w.Form->ExpressionsPane()->toPlainText() != "2+z" || w.Form->ResultsPane()->toPlainText() != "5")
        failed << seen;
    }
  }
  QVERIFY2(failed.isEmpty(), qPrintable(failed.join("\n")));
}

QTEST_MAIN(ToolWindowsTest)
#include "toolwindows_test.moc"
