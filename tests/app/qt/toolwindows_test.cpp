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
#include "DerivativeWindow.h"
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

QTEST_MAIN(ToolWindowsTest)
#include "toolwindows_test.moc"
