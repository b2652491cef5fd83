// The periodic table and element windows, opened from the main window and
// driven as a user drives them, offscreen: double-clicks and keys on the
// grid, Add to Const, a property sent to the conversion window, the file
// menu, and the grid's size following the window's.
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ConstantListWindow.h"
#include "ElementWindow.h"
#include "MainWindow.h"
#include "PeriodicTableWindow.h"
#include "UnitConversionWindow.h"

using namespace helmax;

namespace {

struct TCalculatorWindow : test::TCalculatorWindowFixture {
  TPeriodicTableWindow* Window = nullptr;
  TElementWindow* Element = nullptr;

  TCalculatorWindow() {
    Start(Files(test::kPeriodicFile));
    Window = Form->PeriodicTableWindow();
    Element = Form->ElementWindow();
  }
  std::string PteFile() const { return Dir.File("helmax-calc.pte"); }
  void Open() {
    Form->Action("periodicTable")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(Window));
  }
  QPoint Centre(int row, int column) const { return Window->Grid()->CellRect(row, column).center(); }
  void DoubleClick(int row, int column) {
    QTest::mouseDClick(Window->Grid(), Qt::LeftButton, Qt::NoModifier, Centre(row, column));
  }
  // The element window's properties grid, row by row: "name|value|unit".
  QStringList Properties() const {
    QStringList rows;
    const QAbstractItemModel* m = Element->Grid()->model();
    for (int r = 0; r < m->rowCount(); ++r)
      rows << m->index(r, 0).data().toString() + "|" + m->index(r, 1).data().toString() + "|" +
                  m->index(r, 2).data().toString();
    return rows;
  }
};

}  // namespace

class PeriodicWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensFromTheFunctionsMenuWithTheDefaultFile();
  void CellsFollowTheWindowsWidth();
  void DoubleClickShowsTheElement();
  void KeysMoveAndEnterChooses();
  void TypingASymbolNumberOrNameSelects();
  void CellsShowNumberAndWeight();
  void AnEmptyCellClosesTheElementWindow();
  void TooltipNamesTheElement();
  void AddToConstAddsTheProperty();
  void APropertyGoesToTheConversionWindow();
  void OpenAndDefaultFile();
  void WindowMenusBringTheOthersForward();
};

void PeriodicWindowsTest::OpensFromTheFunctionsMenuWithTheDefaultFile() {
  TCalculatorWindow w;
  QCOMPARE(QString::fromStdString(test::ReadBytes(w.PteFile())), QString::fromStdString(DefaultPropertyFileText()));
  QAction* item = w.Form->Action("periodicTable");
  QVERIFY(item->isEnabled());
  QCOMPARE(item->text(), QString("&Periodic Table"));
  w.Open();
  QCOMPARE(w.Window->windowTitle(), QString("Periodic Table of the Elements"));
  QCOMPARE(w.Window->StatusText(), QString::fromStdString(w.PteFile()));
  QTRY_VERIFY(w.Window->Grid()->hasFocus());
  QTest::keyClick(w.Window->Grid(), Qt::Key_Escape);
  QVERIFY(!w.Window->isVisible());
  // Closing the calculator remembers the file.
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.ini")).find("PTEFilePath=" + w.PteFile()) != std::string::npos);
  QVERIFY(w.Ui.Messages.empty());
}

void PeriodicWindowsTest::CellsFollowTheWindowsWidth() {
  TCalculatorWindow w;
  w.Open();
  // cell = round((width - 40) / 18), font = round(cell / 2.5)
  const struct {
    int width, cell, font;
    const char* shot;
  } sizes[] = {{760, 40, 16, "helmax-periodic-table.png"},
               {1000, 53, 21, "helmax-periodic-table-large.png"},
               {500, 26, 10, nullptr}};
  for (const auto& s : sizes) {
    w.Window->resize(s.width, 300);
    QTRY_COMPARE(w.Window->Grid()->CellSize(), s.cell);
    QCOMPARE(w.Window->Grid()->FontPointSize(), s.font);
    QCOMPARE(w.Window->Grid()->size(), QSize(18 * s.cell, 10 * s.cell));
    // The window grows to show all ten rows.
    QTRY_VERIFY(w.Window->height() >= 10 * s.cell + 20);
    if (s.shot) w.Screenshot(w.Window, s.shot);
  }
}

void PeriodicWindowsTest::DoubleClickShowsTheElement() {
  TCalculatorWindow w;
  w.Open();
  w.DoubleClick(4, 7);
  QTRY_VERIFY(w.Element->isVisible());
  QCOMPARE(w.Element->windowTitle(), QString("Element"));
  QCOMPARE(w.Element->NumberLabel()->text(), QString("26"));
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Fe"));
  QCOMPARE(w.Element->NameLabel()->text(), QString("Iron"));
  QCOMPARE(w.Element->ClassBox()->title(), QString("Transition Metal"));
  QCOMPARE(w.Element->StateLabel()->text(), QString("Solid"));
  QCOMPARE(w.Element->GroupLabel()->text(), QString("Group: 8"));
  QCOMPARE(w.Element->PeriodLabel()->text(), QString("Period: 4"));
  QCOMPARE(w.Element->RadioactiveLabel()->text(), QString());
  QCOMPARE(w.Element->OxidationList()->count(), 2);
  QCOMPARE(w.Element->OxidationList()->item(0)->text(), QString("+2"));
  QCOMPARE(w.Properties(), QStringList({"Atomic Weight|55.845|amu", "Melting Point|1535.85|C",
                                        "Boiling Point|2861.85|C", "Density|7860|kg/cu.m"}));
  // Columns 5:4:3.
  const QTableView* grid = w.Element->Grid();
  QCOMPARE(grid->columnWidth(0) * 4, grid->columnWidth(1) * 5);
  QCOMPARE(grid->columnWidth(1) * 3, grid->columnWidth(2) * 4);
  QVERIFY(grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2) <= grid->viewport()->width());
  // A lanthanoid has neither group nor period; technetium is made, not mined.
  w.DoubleClick(8, 3);
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Ce"));
  QCOMPARE(w.Element->GroupLabel()->text(), QString());
  QCOMPARE(w.Element->PeriodLabel()->text(), QString());
  w.DoubleClick(5, 6);
  QCOMPARE(w.Element->NameLabel()->text(), QString("Technetium"));
  QCOMPARE(w.Element->RadioactiveLabel()->text(), QString("Radioactive"));
  QCOMPARE(w.Element->SyntheticLabel()->text(), QString("Synthetic"));
  QCOMPARE(w.Element->ToxicLabel()->text(), QString());
  w.DoubleClick(6, 11);
  QCOMPARE(w.Element->ToxicLabel()->text(), QString("Toxic"));  // mercury
  QCOMPARE(w.Element->StateLabel()->text(), QString("Liquid"));
  w.DoubleClick(4, 7);
  w.Screenshot(w.Element, "helmax-element.png");
  // Esc closes it, also from its property grid.
  QTest::keyClick(w.Element->Grid(), Qt::Key_Escape);
  QVERIFY(!w.Element->isVisible());
}

void PeriodicWindowsTest::KeysMoveAndEnterChooses() {
  TCalculatorWindow w;
  w.Open();
  TElementGrid* grid = w.Window->Grid();
  QTRY_VERIFY(grid->hasFocus());
  QCOMPARE(std::pair(grid->CurrentRow(), grid->CurrentColumn()), std::pair(1, 0));  // hydrogen
  QTest::keyClick(grid, Qt::Key_Return);
  QTRY_VERIFY(w.Element->isVisible());
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("H"));
  // Down three rows and right twice: potassium, calcium, scandium.
  for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right}) QTest::keyClick(grid, k);
  QTest::keyClick(grid, Qt::Key_Enter);
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Sc"));
  // The edges hold the cell in the grid.
  QTest::keyClick(grid, Qt::Key_End);
  QTest::keyClick(grid, Qt::Key_Right);
  QCOMPARE(grid->CurrentColumn(), 17);
  for (int i = 0; i < 12; ++i) QTest::keyClick(grid, Qt::Key_Down);
  QCOMPARE(grid->CurrentRow(), 9);
  QTest::keyClick(grid, Qt::Key_Left);
  QTest::keyClick(grid, Qt::Key_Return);
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Lr"));
}

void PeriodicWindowsTest::TypingASymbolNumberOrNameSelects() {
  TCalculatorWindow w;
  w.Open();
  TElementGrid* grid = w.Window->Grid();
  QTRY_VERIFY(grid->hasFocus());
  auto current = [&] {
    const TElement* e = w.Window->Table().ElementAt(grid->CurrentRow(), grid->CurrentColumn());
    return QString::fromStdString(e ? e->Symbol : "");
  };
  QTest::keyClicks(grid, "Au");
  QCOMPARE(current(), QString("Au"));
  QCOMPARE(w.Window->TypedText(), QString("Find: Au"));
  w.Screenshot(w.Window, "helmax-periodic-typed-au.png");
  // Enter opens it, and ends the typing.
  QTest::keyClick(grid, Qt::Key_Return);
  QTRY_VERIFY(w.Element->isVisible());
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Au"));
  QCOMPARE(w.Window->TypedText(), QString());
  w.Window->activateWindow();
  QTRY_VERIFY(grid->hasFocus());
  QTest::keyClick(grid, Qt::Key_Home);
  QTest::keyClicks(grid, "79");
  QCOMPARE(current(), QString("Au"));
  w.Screenshot(w.Window, "helmax-periodic-typed-79.png");
  QTest::keyClick(grid, Qt::Key_Right);  // ends the typing too
  QCOMPARE(current(), QString("Hg"));
  // Backspace takes back a character; what fits nothing leaves the cell.
  QTest::keyClicks(grid, "silv");
  QCOMPARE(current(), QString("Ag"));
  QTest::keyClick(grid, Qt::Key_Backspace);
  QCOMPARE(current(), QString("Si"));
  QTest::keyClicks(grid, "q");
  QCOMPARE(current(), QString("Si"));
  QCOMPARE(w.Window->TypedText(), QString("Find: silq (no element)"));
  // Esc drops the text; a second one closes the window.
  QTest::keyClick(grid, Qt::Key_Escape);
  QVERIFY(w.Window->isVisible());
  QCOMPARE(grid->Typed(), QString());
  // After a pause typing starts anew: "f", then "e" is europium, not iron.
  grid->SetTypingPause(50);
  QTest::keyClicks(grid, "f");
  QCOMPARE(current(), QString("F"));
  QTRY_COMPARE(w.Window->TypedText(), QString());
  QTest::keyClicks(grid, "e");
  QCOMPARE(current(), QString("Eu"));
  QTest::keyClick(grid, Qt::Key_Escape);
  QTest::keyClick(grid, Qt::Key_Escape);
  QVERIFY(!w.Window->isVisible());
}

void PeriodicWindowsTest::CellsShowNumberAndWeight() {
  TCalculatorWindow w;
  w.Open();
  w.Window->resize(760, 500);
  QTRY_COMPARE(w.Window->Grid()->CellSize(), 40);
  const TPeriodicTable& table = w.Window->Table();
  auto shown = [&](const char* symbol) { return w.Window->Grid()->WeightShown(*table.FindElement(symbol)); };
  // As much as fits in a cell of 40 pixels, rounded; mass numbers in brackets.
  const std::pair<const char*, const char*> cases[] = {{"H", "1.008"},   {"Fe", "55.845"}, {"Au", "196.97"},
                                                       {"Cs", "132.91"}, {"Tc", "[98]"},   {"Lr", "[260]"}};
  for (const auto& [symbol, weight] : cases) QCOMPARE(shown(symbol), QString(weight));
  // The cells show what the file gives.
  std::string text = DefaultPropertyFileText();
  text.replace(text.find("1=55.845"), 8, "1=55.847");
  text.replace(text.find("1=1.008"), 7, "1=1.0079449");
  test::WriteBytes(w.Dir.File("old.pte"), text);
  w.Window->OpenFileNamed(QString::fromStdString(w.Dir.File("old.pte")));
  QCOMPARE(shown("Fe"), QString("55.847"));
  QCOMPARE(shown("H"), QString("1.0079"));
}

void PeriodicWindowsTest::AnEmptyCellClosesTheElementWindow() {
  TCalculatorWindow w;
  w.Open();
  w.DoubleClick(2, 0);
  QTRY_VERIFY(w.Element->isVisible());
  w.DoubleClick(0, 5);
  QVERIFY(!w.Element->isVisible());
  // Enter on an empty cell too; an element shows it again.
  w.DoubleClick(2, 0);
  QTRY_VERIFY(w.Element->isVisible());
  QTest::keyClick(w.Window->Grid(), Qt::Key_Right);
  QTest::keyClick(w.Window->Grid(), Qt::Key_Right);
  QTest::keyClick(w.Window->Grid(), Qt::Key_Return);
  QVERIFY(!w.Element->isVisible());
}

void PeriodicWindowsTest::TooltipNamesTheElement() {
  TCalculatorWindow w;
  w.Open();
  TElementGrid* grid = w.Window->Grid();
  QHelpEvent help(QEvent::ToolTip, w.Centre(5, 9), grid->mapToGlobal(w.Centre(5, 9)));
  QApplication::sendEvent(grid, &help);
  QTRY_COMPARE(QToolTip::text(), QString("Palladim"));
  QHelpEvent empty(QEvent::ToolTip, w.Centre(0, 5), grid->mapToGlobal(w.Centre(0, 5)));
  QApplication::sendEvent(grid, &empty);
  QTRY_COMPARE(QToolTip::text(), QString());
}

void PeriodicWindowsTest::AddToConstAddsTheProperty() {
  TCalculatorWindow w;
  w.Open();
  w.DoubleClick(4, 7);
  QTRY_VERIFY(w.Element->isVisible());
  QTableView* grid = w.Element->Grid();
  grid->setCurrentIndex(grid->model()->index(3, 1));
  const TConstantList& list = w.Form->Calculator().Constants();
  const int rows = list.RowCount();
  QTest::mouseClick(w.Element->AddButton(), Qt::LeftButton);
  QCOMPARE(list.RowCount(), rows + 1);
  QCOMPARE(QString::fromStdString(list.Row(rows).Name), QString("Fe_Density"));
  QCOMPARE(QString::fromStdString(list.Row(rows).Value), QString("7860"));
  QCOMPARE(QString::fromStdString(list.Row(rows).Description), QString("(kg/cu.m)"));
  // The constant list window shows it, and the expressions can use it.
  const QAbstractItemModel* shown = w.Form->ConstantList()->findChild<QTableView*>()->model();
  QCOMPARE(shown->rowCount(), rows);
  w.Form->ExpressionsPane()->setPlainText("Fe_Density/2");
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("3930"));
  QVERIFY(w.Ui.Messages.empty());
}

void PeriodicWindowsTest::APropertyGoesToTheConversionWindow() {
  TCalculatorWindow w;
  w.Open();
  w.DoubleClick(4, 7);
  QTRY_VERIFY(w.Element->isVisible());
  QTableView* grid = w.Element->Grid();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(3, 0));
  QTest::keyClick(grid, Qt::Key_Return);
  TUnitConversionWindow* conversion = w.Form->ConversionWindow();
  QTRY_VERIFY(conversion->isVisible());
  QCOMPARE(conversion->ExpressionBox()->toPlainText(), QString("7860"));
  QCOMPARE(conversion->StatusText(), QString(" Initial Iron Density = 7860 kg/cu.m"));
  w.Screenshot(conversion, "helmax-conversion-from-element.png");
  // A double-click on a row does the same.
  const QRect weight = grid->visualRect(grid->model()->index(0, 1));
  // As a mouse does it: press and release, then the second press.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, weight.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, weight.center());
  QCOMPARE(conversion->ExpressionBox()->toPlainText(), QString("55.845"));
  QCOMPARE(conversion->StatusText(), QString(" Initial Iron Atomic Weight = 55.845 amu"));
}

void PeriodicWindowsTest::OpenAndDefaultFile() {
  TCalculatorWindow w;
  w.Open();
  std::string text = DefaultPropertyFileText();
  text.insert(text.find("4=Density\r\n") + 11, "5=Electronegativity\r\n");
  text.insert(text.find("4=kg/cu.m\r\n") + 11, "5=Pauling\r\n");
  text.insert(text.find("4=1.429\r\n") + 9, "5=3.44\r\n");
  const std::string other = w.Dir.File("other.pte");
  test::WriteBytes(other, text);
  w.DoubleClick(2, 15);
  QTRY_VERIFY(w.Element->isVisible());
  w.Window->OpenFileNamed(QString::fromStdString(other));
  QVERIFY(!w.Element->isVisible());  // it showed the former data
  QCOMPARE(w.Window->StatusText(), QString::fromStdString(other));
  w.DoubleClick(2, 15);
  QCOMPARE(w.Properties().value(4), QString("Electronegativity|3.44|Pauling"));
  w.DoubleClick(2, 14);
  QCOMPARE(w.Properties().value(4), QString("Electronegativity||Pauling"));
  // Def PTE asks first; Yes writes the default file and reads it.
  w.Ui.Answers = {false};
  w.Window->RestoreDefaultFile();
  QVERIFY(w.Element->isVisible());
  QCOMPARE(w.Window->StatusText(), QString::fromStdString(other));
  w.Ui.Answers = {true};
  w.Window->RestoreDefaultFile();
  QVERIFY(w.Ui.Questions == std::vector<std::string>({"ARE YOU SURE ?", "ARE YOU SURE ?"}));
  QVERIFY(!w.Element->isVisible());
  QCOMPARE(w.Window->StatusText(), QString::fromStdString(w.PteFile()));
  w.DoubleClick(2, 15);
  QCOMPARE(w.Properties().size(), 4);
  QVERIFY(w.Ui.Messages.empty());
}

void PeriodicWindowsTest::WindowMenusBringTheOthersForward() {
  TCalculatorWindow w;
  w.Open();
  auto action = [](QWidget* window, const char* name) {
    QAction* a = window->findChild<QAction*>(name);
    if (a == nullptr) qFatal("no action %s", name);
    return a;
  };
  // Window > Element before any choice: the current cell's element.
  action(w.Window, "element")->trigger();
  QTRY_VERIFY(w.Element->isVisible());
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("H"));
  w.Window->close();
  action(w.Element, "periodicTable")->trigger();
  QTRY_VERIFY(w.Window->isVisible());
  action(w.Element, "constants")->trigger();
  QTRY_VERIFY(w.Form->ConstantList()->isVisible());
  // Without Stay on top a visible element window is only refreshed...
  w.Window->activateWindow();
  QTRY_VERIFY(QApplication::activeWindow() == w.Window);
  w.DoubleClick(2, 0);
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Li"));
  QVERIFY(QApplication::activeWindow() == w.Window);
  // ... with it, it comes forward at every choice.
  QAction* onTop = action(w.Element, "stayOnTop");
  QCOMPARE(onTop->text(), QString("&Stay on top"));
  onTop->setChecked(true);
  QVERIFY(w.Element->windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(w.Element->isVisible());
  w.Window->activateWindow();
  QTRY_VERIFY(QApplication::activeWindow() == w.Window);
  w.DoubleClick(4, 7);
  QTRY_VERIFY(QApplication::activeWindow() == w.Element);
  QCOMPARE(w.Element->SymbolLabel()->text(), QString("Fe"));
}

QTEST_MAIN(PeriodicWindowsTest)
#include "periodicwindows_test.moc"
