// The constants definition table driven as a user drives it, offscreen:
// opened from the calculator's menus, browsed, searched, edited through its
// dialogs, copied into the constant list, and asked about at exit.
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
#include "MainWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

using test::InDialog;

// The calculator with its files, the library among them, in a fresh folder;
// the library window open.
struct TCalculatorWithLibrary : test::TCalculatorWindowFixture {
  TConstantsLibraryWindow* Library = nullptr;

  TCalculatorWithLibrary() {
    Start(Files(test::kConstantsFile));
    Library = Form->ConstantsLibrary();
    Form->Action("constantsLibrary")->trigger();
  }
  QAbstractItemModel* Grid() const { return Library->Grid()->model(); }
  QString Cell(int row, int column) const { return Grid()->index(row, column).data().toString(); }
  QStringList Categories() const {
    QStringList names;
    for (int i = 0; i < Library->CategoryBox()->count(); ++i) names << Library->CategoryBox()->itemText(i);
    return names;
  }
  std::function<void()> Menu(const char* action) {
    return [this, action] { Library->findChild<QAction*>(action)->trigger(); };
  }
  void AddConstant(const QString& name, const QString& value) {
    InDialog<TLibraryConstantDialog>(
        [&](TLibraryConstantDialog* d) {
          d->NameEdit()->setText(name);
          d->ValueEdit()->setText(value);
          d->accept();
        },
        Menu("addConstant"));
  }
  void PressAddToConstants() { QTest::mouseClick(Library->findChild<QPushButton*>("addToConstants"), Qt::LeftButton); }
};

}  // namespace

class ConstantsLibraryWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensFromBothMenusWithTheDefaultLibrary();
  void SearchSelectsAndAddsToTheConstantList();
  void EditRenamesAndSortsAgain();
  void AddAndDeleteConstants();
  void CategoriesAddEditDelete();
  void SaveAsAndOpenThroughTheDialogs();
  void UnsavedEditsAreAskedAboutAtExit();
  void Screenshot();
};

void ConstantsLibraryWindowTest::OpensFromBothMenusWithTheDefaultLibrary() {
  TCalculatorWithLibrary w;
  QVERIFY(w.Library->isVisible());
  QCOMPARE(w.Library->windowTitle(), QString("Constants definition table"));
  QCOMPARE(w.Categories(), QStringList{"Physical constants"});
  QCOMPARE(w.Grid()->rowCount(), 24);
  QCOMPARE(w.Library->SearchBox()->count(), 24);
  const QStringList titles = {"#", "Name", "Value", "Description"};
  for (int c = 0; c < 4; ++c) QCOMPARE(w.Grid()->headerData(c, Qt::Horizontal).toString(), titles[c]);
  QCOMPARE(w.Cell(0, 0) + " " + w.Cell(0, 1), QString("1 Avogadro_constant"));  // sorted
  QCOMPARE(w.Library->StatusText(), QString::fromStdString(w.Dir.File("helmax-calc.con")));
  // Column 0 is 40 pixels; the others share the rest 4:2:2.
  QTableView* grid = w.Library->Grid();
  QCOMPARE(grid->columnWidth(0), 40);
  QVERIFY(std::abs(grid->columnWidth(1) - 2 * grid->columnWidth(2)) <= 2);
  QCOMPARE(grid->columnWidth(2), grid->columnWidth(3));
  QVERIFY(std::abs(40 + 2 * grid->columnWidth(1) - grid->viewport()->width()) <= 4);
  // Another category shows its own constants.
  w.Library->SelectCategory("physical CONSTANTS");
  QCOMPARE(w.Grid()->rowCount(), 24);

  QTest::keyClick(w.Library, Qt::Key_Escape);
  QVERIFY(!w.Library->isVisible());
  w.Form->Action("constants")->trigger();
  w.Form->ConstantList()->findChild<QAction*>("constantsLibrary")->trigger();  // the constant list's Window menu
  QVERIFY(w.Library->isVisible());
  w.Form->ConstantList()->close();
  w.Menu("constants")();
  QVERIFY(w.Form->ConstantList()->isVisible());
  QVERIFY(w.Ui.Messages.empty());
}

void ConstantsLibraryWindowTest::SearchSelectsAndAddsToTheConstantList() {
  TCalculatorWithLibrary w;
  w.PressAddToConstants();
  QCOMPARE(w.Ui.Messages, Strings{"Please enter a constant"});
  w.Ui.Clear();
  // A typed name, case ignored, selects its row; the button adds it.
  QLineEdit* search = w.Library->SearchBox()->lineEdit();
  QTest::keyClicks(search, "rydberg_constant");
  QTest::keyClick(search, Qt::Key_Return);
  const int row = w.Library->Grid()->currentIndex().row();
  QCOMPARE(w.Cell(row, 1), QString("Rydberg_constant"));
  QVERIFY(w.Library->Grid()->selectionModel()->isRowSelected(row, {}));
  w.PressAddToConstants();
  TConstantList& list = w.Form->Calculator().Constants();
  QCOMPARE(list.RowCount(), 8);
  QCOMPARE(list.Row(7).Value + "|" + list.Row(7).Description, std::string("10973731.56816| (1/m)"));
  QCOMPARE(w.Form->ConstantList()->Grid()->model()->rowCount(), 7);  // the list's grid follows

  // A row picked in the grid is the one the button takes.
  w.Library->Grid()->setCurrentIndex(w.Grid()->index(0, 1));
  QCOMPARE(w.Library->SearchBox()->currentText(), QString("Avogadro_constant"));
  w.PressAddToConstants();
  QCOMPARE(list.Row(8).Name, std::string("Avogadro_constant"));
  QVERIFY(w.Ui.Messages.empty());
  QTest::keyClicks(w.Form->ExpressionsPane(), "Avogadro_constant/1E23");
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("6.02214076"));
}

void ConstantsLibraryWindowTest::EditRenamesAndSortsAgain() {
  TCalculatorWithLibrary w;
  // Enter on a row opens it with Ok focused; Enter there renames it.
  w.Library->Grid()->setCurrentIndex(w.Grid()->index(0, 1));
  QStringList shown;
  bool okFocused = false;
  InDialog<TLibraryConstantDialog>(
      [&](TLibraryConstantDialog* d) {
        shown = {d->windowTitle(), d->NameEdit()->text(), d->ValueEdit()->text(), d->DescriptionEdit()->text()};
        okFocused = d->focusWidget() == d->OkButton();
        d->NameEdit()->setText(" Z_avogadro ");
        QTest::keyClick(d->OkButton(), Qt::Key_Return);
      },
      [&] { QTest::keyClick(w.Library->Grid(), Qt::Key_Return); });
  QCOMPARE(shown, (QStringList{"Edit constant", "Avogadro_constant", "6.02214076E+023", "(1/mol)"}));
  QVERIFY(okFocused);
  QCOMPARE(w.Cell(0, 1), QString("Bohr_magneton"));
  QCOMPARE(w.Cell(23, 1), QString("Z_avogadro"));
  QCOMPARE(w.Library->Grid()->currentIndex().row(), 23);
  QCOMPARE(w.Library->SearchBox()->currentText(), QString("Z_avogadro"));
  // Double-click edits too.
  InDialog<TLibraryConstantDialog>([&](TLibraryConstantDialog* d) { shown = {d->NameEdit()->text()}; },
                                   [&] { emit w.Library->Grid()->doubleClicked(w.Grid()->index(1, 2)); });
  QCOMPARE(shown, QStringList{"Bohr_radius"});
}

void ConstantsLibraryWindowTest::AddAndDeleteConstants() {
  TCalculatorWithLibrary w;
  QStringList shown;
  InDialog<TLibraryConstantDialog>(
      [&](TLibraryConstantDialog* d) {
        shown = {d->windowTitle(), d->NameEdit()->text()};
      },
      w.Menu("addConstant"));
  QCOMPARE(shown, (QStringList{"Add constant", ""}));
  w.AddConstant("a=b", "1");  // refused: the dialog stays open
  QCOMPARE(w.Ui.Messages, Strings{"Invalid name : a=b"});
  w.AddConstant("g_n", "9.80665");
  QCOMPARE(w.Grid()->rowCount(), 25);
  QCOMPARE(w.Cell(w.Library->Grid()->currentIndex().row(), 1), QString("g_n"));

  // From row 3 on, count 100: all but the first two go.
  w.Ui.Clear();
  InDialog<TDeleteLibraryConstantsDialog>(
      [&](TDeleteLibraryConstantsDialog* d) {
        shown = {d->windowTitle(), d->FromEdit()->text(), d->CountEdit()->text()};
        d->FromEdit()->setText("3");
        d->CountEdit()->setText("100");
        d->accept();
      },
      w.Menu("deleteConstants"));
  QCOMPARE(shown, (QStringList{"Delete definition", "1", "1"}));
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  QCOMPARE(w.Grid()->rowCount(), 2);
  QCOMPARE(w.Library->SearchBox()->count(), 2);
}

void ConstantsLibraryWindowTest::CategoriesAddEditDelete() {
  TCalculatorWithLibrary w;
  QStringList shown;
  bool nameFocused = false;
  auto fill = [&](const QString& name) {
    return [&, name](TConstantCategoryDialog* d) {
      shown = {d->windowTitle(), d->NameEdit()->text()};
      nameFocused = d->focusWidget() == d->NameEdit();
      d->NameEdit()->setText(name);
      d->accept();
    };
  };
  InDialog<TConstantCategoryDialog>(fill("Optics"), w.Menu("addCategory"));
  QCOMPARE(shown, (QStringList{"Add constant category", ""}));
  QVERIFY(nameFocused);
  QCOMPARE(w.Categories(), (QStringList{"Optics", "Physical constants"}));
  QCOMPARE(w.Library->CategoryBox()->currentIndex(), -1);  // nothing stays selected
  QCOMPARE(w.Grid()->rowCount(), 0);

  w.Library->SelectCategory("optics");
  InDialog<TConstantCategoryDialog>(fill("Waves"), w.Menu("editCategory"));
  QCOMPARE(shown, (QStringList{"Edit constant category", "Optics"}));
  QCOMPARE(w.Categories(), (QStringList{"Physical constants", "Waves"}));

  w.Library->SelectCategory("Physical constants");
  w.Menu("deleteCategory")();
  QCOMPARE(w.Ui.Messages, Strings{"Please delete all constants"});
  w.Library->SelectCategory("Waves");
  w.Menu("deleteCategory")();
  QCOMPARE(w.Categories(), QStringList{"Physical constants"});
  QCOMPARE(w.Ui.Questions, Strings(2, "ARE YOU SURE ?"));
}

void ConstantsLibraryWindowTest::SaveAsAndOpenThroughTheDialogs() {
  TCalculatorWithLibrary w;
  const QString file = QString::fromStdString(w.Dir.File("mine"));
  auto pick = [](const QString& name) {
    return [name](QFileDialog* d) {
      d->selectFile(name);
      QMetaObject::invokeMethod(d, "accept");
    };
  };
  InDialog<QFileDialog>(pick(file), w.Menu("saveLibraryAs"));
  QCOMPARE(w.Library->StatusText(), file + ".con");  // the default extension
  QVERIFY(test::ReadBytes(file.toStdString() + ".con").starts_with("[Physical constants]\r\n"));
  w.Menu("newLibrary")();
  QCOMPARE(w.Library->CategoryBox()->count(), 0);
  QCOMPARE(w.Grid()->rowCount(), 0);
  InDialog<QFileDialog>(pick(file + ".con"), w.Menu("openLibrary"));
  QCOMPARE(w.Library->windowTitle(), QString("Constant definition table"));
  QCOMPARE(w.Grid()->rowCount(), 24);
  QVERIFY(w.Ui.Messages.empty());
}

void ConstantsLibraryWindowTest::UnsavedEditsAreAskedAboutAtExit() {
  TCalculatorWithLibrary w;
  w.AddConstant("g_n", "9.80665");
  w.Ui.Answers = {false, false};  // not saved, not sure: the program goes on
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, (Strings{"Save the changes of the constants definition table ?", "ARE YOU SURE ?"}));
  // Cancel backs out of quitting: nothing saved, the edit still there.
  w.Ui.Clear();
  w.Ui.ChoiceAnswers = {TAnswer::Cancel};
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, Strings{"Save the changes of the constants definition table ?"});
  QVERIFY(w.Form->isVisible());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.con")).find("g_n") == std::string::npos);
  w.Ui.Answers = {true};  // saved to its file
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.con")).find("\r\ng_n=9.80665 //\r\n") != std::string::npos);
  // The settings remember the library.
  const std::string ini = test::ReadBytes(w.Dir.File("helmax-calc.ini"));
  QVERIFY(ini.find("ConstFilePath=" + w.Dir.File("helmax-calc.con") + "\r\n") != std::string::npos);
}

void ConstantsLibraryWindowTest::Screenshot() {
  TCalculatorWithLibrary w;
  w.Library->ChooseConstant("Rydberg_constant");
  QApplication::processEvents();
  QVERIFY(w.Library->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-constants-library.png"));
  bool saved = false;
  InDialog<TLibraryConstantDialog>(
      [&](TLibraryConstantDialog* d) {
        saved = d->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-constants-library-dialog.png");
      },
      [&] { QTest::keyClick(w.Library->Grid(), Qt::Key_Return); });
  QVERIFY(saved);
}

QTEST_MAIN(ConstantsLibraryWindowTest)
#include "constantslibrarywindow_test.moc"
