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
#include "MainWindow.h"
#include "QtUserInterface.h"

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

QTEST_MAIN(ToolWindowsTest)
#include "toolwindows_test.moc"
