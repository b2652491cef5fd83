// The conversion window, opened from the main window's Functions menu and
// driven as a user drives it, offscreen: checked by itself when it opens,
// converting the value of an expression as it is typed, checked again after
// a change with the choices kept.
#include <QApplication>
#include <QLabel>
#include <QtTest>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ConversionTable.h"
#include "ConversionTableWindow.h"
#include "MainWindow.h"
#include "UnitConversionWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

struct TCalculatorWindow : test::TCalculatorWindowFixture {
  TUnitConversionWindow* Window = nullptr;

  TCalculatorWindow() {
    Start(Files(test::kConstantsFile | test::kConversionFile));
    Window = Form->ConversionWindow();
  }
  void Open() {
    Form->Action("conversion")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(Window));
    WaitIdle();
  }
  // As the table's editors do after a change (on the worker).
  void Edit(const std::function<void(TConversionTable&)>& change) {
    Form->StopAndWait();
    change(Form->Calculator().Conversions());
    Window->TableChanged();
    WaitIdle();
  }
  void Check() {
    QTest::mouseClick(Window->CheckButton(), Qt::LeftButton);
    WaitIdle();
  }
  void Choose(QComboBox* box, const QString& text) {
    const int at = box->findText(text);
    QVERIFY2(at >= 0, qPrintable(text));
    box->setCurrentIndex(at);
  }
  void Calculate(const QString& expression) {
    Window->ExpressionBox()->setPlainText(expression);
    QTest::mouseClick(Window->CalculateButton(), Qt::LeftButton);
    WaitIdle();
  }
  bool Locked() const {
    return Window->CheckButton()->isEnabled() && !Window->CalculateButton()->isEnabled() &&
           !Window->CategoryBox()->isEnabled() && !Window->FromBox()->isEnabled() && !Window->ToBox()->isEnabled();
  }
  bool Ready() const {
    return !Window->CheckButton()->isEnabled() && Window->CalculateButton()->isEnabled() &&
           Window->CategoryBox()->isEnabled() && Window->FromBox()->isEnabled() && Window->ToBox()->isEnabled();
  }
  void Shot(const QString& what) {
    QApplication::processEvents();
    QVERIFY(Window->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-" + what + ".png"));
  }
  QString Evaluate(const QString& expressions) {
    Form->ExpressionsPane()->setPlainText(expressions);
    WaitIdle();
    return Form->ResultsPane()->toPlainText();
  }
};

QStringList Items(QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace

class ConversionWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensCheckedAndWritesTheDefaultTable();
  void CheckingMakesItReady();
  void ConvertsTheValueOfAnExpression();
  void ConvertsAsTypedBothWays();
  void ReportsWhatGoesWrong();
  void SaysWhatACategoryLacks();
  void LockedAgainAfterAChange();
  void KeepsTheChoicesOverAChange();
  void Screenshot();
};

void ConversionWindowTest::OpensCheckedAndWritesTheDefaultTable() {
  TCalculatorWindow w;
  QCOMPARE(QString::fromStdString(test::ReadBytes(w.Dir.File("helmax-calc.cnv"))),
           QString::fromStdString(std::string(DefaultConversionText())));
  QAction* item = w.Form->Action("conversion");
  QVERIFY(item->isEnabled());
  QCOMPARE(item->text(), QString("&Conversion"));
  w.Open();
  QCOMPARE(w.Window->windowTitle(), QString("Convert Unit"));
  QCOMPARE(w.Window->ExpressionGroup()->title(), QString("Expression:"));
  QStringList labels;
  for (QLabel* l : w.Window->findChildren<QLabel*>())
    if (l != w.Window->ResultCaption()) labels << l->text();
  QCOMPARE(labels, QStringList({"Category:", "From:", "To:"}));
  QCOMPARE(w.Window->CalculateButton()->text(), QString("&Calculate"));
  QCOMPARE(w.Window->CheckButton()->text(), QString("C&heck conversion"));
  QCOMPARE(w.Window->DefineButton()->text(), QString("&Define conversion"));
  // Opening checked the table: ready, the expression box ready for typing.
  QVERIFY(w.Ready());
  QCOMPARE(w.Window->CategoryBox()->currentText(), QString("Angles"));
  QTRY_VERIFY(w.Window->ExpressionBox()->hasFocus());
  // "&Define conversion" shows the table's window.
  QVERIFY(w.Window->DefineButton()->isEnabled());
  QTest::mouseClick(w.Window->DefineButton(), Qt::LeftButton);
  QVERIFY(QTest::qWaitForWindowExposed(w.Form->ConversionTableWindow()));
  w.Form->ConversionTableWindow()->close();
  w.Window->ShowWindow();
  // Esc closes it (hidden, kept for the next time).
  QTest::keyClick(w.Window, Qt::Key_Escape);
  QVERIFY(!w.Window->isVisible());
  // Closing the calculator remembers the table's file.
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.ini")).find("ConvFilePath=" + w.Dir.File("helmax-calc.cnv")) !=
          std::string::npos);
}

void ConversionWindowTest::CheckingMakesItReady() {
  TCalculatorWindow w;
  w.Open();
  w.Window->Lock();
  w.WaitIdle();
  QVERIFY(w.Locked());
  QVERIFY(QTest::qWaitForWindowActive(w.Window));         // the keys reach it
  QTest::keyClick(w.Window, Qt::Key_H, Qt::AltModifier);  // the check's mnemonic (an animated click)
  QTRY_VERIFY(w.Ready());
  QCOMPARE(w.Window->CategoryBox()->count(), 11);
  QCOMPARE(w.Window->CategoryBox()->currentText(), QString("Angles"));
  QTRY_VERIFY(w.Window->CategoryBox()->hasFocus());
  const QStringList angles = {"circles", "degrees", "gradients", "minutes", "pi radians", "quadrants", "seconds"};
  QCOMPARE(Items(w.Window->FromBox()), angles);
  QCOMPARE(Items(w.Window->ToBox()), angles);
  QCOMPARE(w.Window->FromBox()->currentIndex(), 0);
  w.Choose(w.Window->CategoryBox(), "Temperature");
  QCOMPARE(Items(w.Window->ToBox()), QStringList({"Celcius", "Fahrenheit", "Kelvin", "Rankine"}));
  QVERIFY(w.Ui.Messages.empty());
}

void ConversionWindowTest::ConvertsTheValueOfAnExpression() {
  TCalculatorWindow w;
  w.Open();
  w.Check();
  w.Choose(w.Window->CategoryBox(), "Temperature");
  w.Choose(w.Window->FromBox(), "Celcius");
  w.Choose(w.Window->ToBox(), "Fahrenheit");
  // A complex value converts step by step.
  w.Calculate("complex(1,2)");
  QCOMPARE(w.Window->ExpressionGroup()->title(), QString("Expression: Complex(1, 2)"));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("Complex(33.8, 3.6)"));
  // Lines are joined; the user's definitions count (y=1/3).
  w.Choose(w.Window->ToBox(), "Rankine");
  w.WaitIdle();  // a new unit converts at once: 1 °C is 493.47 °R
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("Complex(493.47, 3.6)"));
  w.Calculate("y*300+\n0.15");
  QCOMPARE(w.Window->ExpressionGroup()->title(), QString("Expression: 100.15"));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("671.94"));  // 100.15 °C is 212.27 °F
  // Typing converts the new text.
  w.Window->ExpressionBox()->moveCursor(QTextCursor::End);
  QTest::keyClicks(w.Window->ExpressionBox(), "1");
  w.WaitIdle();
  QCOMPARE(w.Window->ExpressionGroup()->title(), QString("Expression: 100.151"));
  // A unit to itself: the value as it is.
  w.Choose(w.Window->ToBox(), "Celcius");
  w.Calculate("0.1");
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("0.1"));
  QVERIFY(w.Ui.Messages.empty());
}

void ConversionWindowTest::ConvertsAsTypedBothWays() {
  TCalculatorWindow w;
  w.Open();
  w.Choose(w.Window->CategoryBox(), "Temperature");
  w.Choose(w.Window->FromBox(), "Fahrenheit");
  w.Choose(w.Window->ToBox(), "Kelvin");
  // Every key converts; a text that is no expression yet says why in the
  // caption, without a message box.
  const std::pair<const char*, QString> keys[] = {
      {"2", "2 Fahrenheit = 256.483333333333 Kelvin\n2 Kelvin = -456.07 Fahrenheit"},
      {"/", "Syntax error : 2/"},
      {"1", "2 Fahrenheit = 256.483333333333 Kelvin\n2 Kelvin = -456.07 Fahrenheit"},  // 2/1
      {"0", "0.2 Fahrenheit = 255.483333333333 Kelvin\n0.2 Kelvin = -459.31 Fahrenheit"},
      {"6",
       "0.0188679245283019 Fahrenheit = 255.382704402516 Kelvin\n"
       "0.0188679245283019 Kelvin = -459.636037735849 Fahrenheit"}};
  for (const auto& [key, shown] : keys) {
    QTest::keyClicks(w.Window->ExpressionBox(), key);
    w.WaitIdle();
    QVERIFY2(w.Window->ResultCaption()->text().startsWith(shown),
             qPrintable(key + QString(": ") + w.Window->ResultCaption()->text().replace('\n', '|')));
  }
  w.Window->ExpressionBox()->setPlainText("212");
  w.WaitIdle();
  QCOMPARE(w.Window->ResultCaption()->text(),
           QString("212 Fahrenheit = 373.15 Kelvin\n212 Kelvin = -78.07 Fahrenheit"));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("373.15"));
  QCOMPARE(w.Window->ExpressionGroup()->title(), QString("Expression: 212"));
  QVERIFY(w.Ui.Messages.empty());
  w.Shot("conversion-as-typed");
}

void ConversionWindowTest::ReportsWhatGoesWrong() {
  TCalculatorWindow w;
  w.Open();
  w.Check();
  w.Calculate("1/0");
  QCOMPARE(w.Ui.Messages, Strings({"Division by 0"}));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString());
  w.Ui.Clear();
  // A step that fails names its two units.
  w.Form->StopAndWait();
  TConversionTable& table = w.Form->Calculator().Conversions();
  test::WriteBytes(w.Dir.File("odd.cnv"), "[Odd]\r\n1=a : b : x/(x-x) : x\r\n");
  QVERIFY(table.Read(w.Dir.File("odd.cnv")));
  w.Window->Lock();  // as the table's editors do after a change
  w.WaitIdle();
  w.Check();
  QCOMPARE(QString::fromStdString(w.Ui.Messages.empty() ? "" : w.Ui.Messages.back()),
           QString("Error in category : Odd : Row# 1 A => B :  Expression must be linear"));
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
  QVERIFY(w.Ready());  // a finding does not stop the check
  w.Ui.Clear();
  w.Choose(w.Window->ToBox(), "b");
  w.Calculate("2");
  QCOMPARE(w.Ui.Messages, Strings({"a ---> b Division by 0 "}));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString());
  w.Ui.Clear();
  // A table without categories.
  w.Form->StopAndWait();
  test::WriteBytes(w.Dir.File("empty.cnv"), "");
  QVERIFY(table.Read(w.Dir.File("empty.cnv")));
  w.Window->Lock();
  w.WaitIdle();
  w.Check();
  w.Calculate("2");
  QCOMPARE(w.Ui.Messages, Strings({"Please enter an unit category"}));
}

void ConversionWindowTest::SaysWhatACategoryLacks() {
  TCalculatorWindow w;
  w.Open();
  w.Edit([](TConversionTable& t) { t.AddCategory("Area"); });
  QVERIFY(w.Ready());  // checked again by itself
  w.Choose(w.Window->CategoryBox(), "Area");
  QCOMPARE(w.Window->FromBox()->count(), 0);
  const QString lacks = "The category Area has no units yet: add a conversion definition to it (Define conversion)";
  w.Window->ExpressionBox()->setPlainText("5");
  w.WaitIdle();
  QCOMPARE(w.Window->ResultCaption()->text(), lacks);
  QVERIFY(w.Ui.Messages.empty());
  w.Shot("conversion-missing-units");
  w.Calculate("5");
  QCOMPARE(w.Ui.Messages, Strings({lacks.toStdString()}));
}

void ConversionWindowTest::KeepsTheChoicesOverAChange() {
  TCalculatorWindow w;
  w.Open();
  w.Choose(w.Window->CategoryBox(), "Temperature");
  w.Choose(w.Window->FromBox(), "Fahrenheit");
  w.Choose(w.Window->ToBox(), "Kelvin");
  w.Window->ExpressionBox()->setPlainText("212");
  w.WaitIdle();
  // A new category before Temperature, a new unit before Kelvin: the same
  // names stay chosen, and the value is converted again.
  w.Edit([](TConversionTable& t) { t.AddCategory("Area"); });
  w.Edit([](TConversionTable& t) { t.AddUnit(t.FindCategory("Temperature"), "Delisle"); });
  QVERIFY(w.Ready());
  QCOMPARE(w.Window->CategoryBox()->currentText(), QString("Temperature"));
  QCOMPARE(w.Window->FromBox()->currentText(), QString("Fahrenheit"));
  QCOMPARE(w.Window->ToBox()->currentText(), QString("Kelvin"));
  QCOMPARE(w.Window->ValueBox()->toPlainText(), QString("373.15"));
  // A unit that goes gives way to the first one.
  w.Edit([](TConversionTable& t) {
    const int c = t.FindCategory("Temperature");
    t.RenameUnit(c, TConversionTable::FindUnit(t.Category(c), "Delisle"), "");
    t.RenameUnit(c, TConversionTable::FindUnit(t.Category(c), "Kelvin"), "Kelvins");
  });
  QCOMPARE(w.Window->FromBox()->currentText(), QString("Fahrenheit"));
  QCOMPARE(w.Window->ToBox()->currentText(), QString("Celcius"));
  QVERIFY(w.Ui.Messages.empty());
}

void ConversionWindowTest::LockedAgainAfterAChange() {
  TCalculatorWindow w;
  w.Open();
  w.Window->Lock();
  w.WaitIdle();
  QVERIFY(w.Evaluate("Conv(1, 1, 2, 5)").contains("please check conversions"));
  w.Check();
  QCOMPARE(w.Evaluate("Conv(1, 1, 2, 5)"), QString("1800"));
  // The table's editors lock it after every change.
  w.Window->Lock();
  w.WaitIdle();
  QVERIFY(w.Locked());
  QVERIFY(w.Evaluate("Conv(1, 1, 2, 6)").contains("please check conversions"));
  w.Check();
  QVERIFY(w.Ready());
  QCOMPARE(w.Evaluate("Conv(1, 1, 2, 6)"), QString("2160"));
}

void ConversionWindowTest::Screenshot() {
  TCalculatorWindow w;
  w.Open();
  w.Check();
  w.Choose(w.Window->CategoryBox(), "Length");
  w.Choose(w.Window->FromBox(), "miles");
  w.Choose(w.Window->ToBox(), "kilometers");
  w.Calculate("26.2188");
  QCOMPARE(w.Window->ValueBox()->toPlainText().left(6), QString("42.195"));  // the marathon
  QApplication::processEvents();
  QVERIFY(w.Window->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-conversion.png"));
}

QTEST_MAIN(ConversionWindowTest)
#include "conversionwindow_test.moc"
