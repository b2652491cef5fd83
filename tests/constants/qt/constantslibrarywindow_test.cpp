// The constants definition table driven as a user drives it, offscreen:
// opened from the calculator's menus, browsed, searched, edited through its
// dialogs, copied into the constant list, and asked about at exit.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../../common/TempFolder.h"
#include "ConstantListWindow.h"
#include "ConstantsLibraryWindow.h"
#include "MainWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

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

// The modal window as a T; any other modal window is closed (so that a
// failing test does not hang) and null returned.
template <class T>
T* ModalAs(QWidget* modal) {
  auto* wanted = qobject_cast<T*>(modal);
  if (wanted == nullptr) modal->close();
  return wanted;
}

// The calculator with its files, the library among them, in a fresh folder.
struct TCalculatorWithLibrary {
  test::TTempFolder Dir;
  TMessageRecorder Ui;
  std::unique_ptr<TMainWindow> Form;
  TConstantsLibraryWindow* Library = nullptr;

  TCalculatorWithLibrary() {
    TCalculatorFiles files{Dir.Folder(), Dir.File("helmax-calc.ini"), Dir.File("helmax-calc.log"),
                           Dir.File("helmax-calc.txt"), Dir.File("helmax-calc.con")};
    Form = std::make_unique<TMainWindow>(files, &Ui);
    Form->show();
    Library = Form->ConstantsLibrary();
    Form->Action("constantsLibrary")->trigger();
  }
  QAbstractItemModel* Grid() const { return Library->Grid()->model(); }
  QString Cell(int row, int column) const { return Grid()->index(row, column).data().toString(); }
  QStringList Column(int column) const {
    QStringList cells;
    for (int r = 0; r < Grid()->rowCount(); ++r) cells << Cell(r, column);
    return cells;
  }
  QStringList Categories() const {
    QStringList names;
    for (int i = 0; i < Library->CategoryBox()->count(); ++i) names << Library->CategoryBox()->itemText(i);
    return names;
  }
  void Trigger(const char* action) { Library->findChild<QAction*>(action)->trigger(); }
  // Opens the constant dialog with action (or a key), fills it and presses Ok.
  void FillConstantDialog(const std::function<void()>& open, const QString& name, const QString& value,
                          const QString& description) {
    WhenModal([=](QWidget* modal) {
      auto* dialog = ModalAs<TLibraryConstantDialog>(modal);
      if (dialog == nullptr) return;
      dialog->NameEdit()->setText(name);
      dialog->ValueEdit()->setText(value);
      dialog->DescriptionEdit()->setText(description);
      dialog->accept();
      if (dialog->isVisible()) dialog->reject();
    });
    open();
  }
  void FillCategoryDialog(const char* action, const QString& name) {
    WhenModal([=](QWidget* modal) {
      auto* dialog = ModalAs<TConstantCategoryDialog>(modal);
      if (dialog == nullptr) return;
      dialog->NameEdit()->setText(name);
      dialog->accept();
      if (dialog->isVisible()) dialog->reject();
    });
    Trigger(action);
  }
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
  QCOMPARE(w.Library->CategoryBox()->currentIndex(), 0);
  QCOMPARE(w.Grid()->rowCount(), 24);
  QCOMPARE(w.Library->SearchBox()->count(), 24);
  for (int c = 0; c < 4; ++c)
    QCOMPARE(w.Grid()->headerData(c, Qt::Horizontal).toString(), (QStringList{"#", "Name", "Value", "Description"})[c]);
  QCOMPARE(w.Cell(0, 0), QString("1"));
  QCOMPARE(w.Cell(0, 1), QString("Avogadro_constant"));  // sorted
  QCOMPARE(w.Library->StatusText(), QString::fromStdString(w.Dir.File("helmax-calc.con")));
  QVERIFY(w.Library->findChild<QAction*>("saveLibrary")->isEnabled());
  // Column 0 is 40 pixels; the others share the rest 4:2:2.
  QTableView* grid = w.Library->Grid();
  QCOMPARE(grid->columnWidth(0), 40);
  QVERIFY(std::abs(grid->columnWidth(1) - 2 * grid->columnWidth(2)) <= 2);
  QCOMPARE(grid->columnWidth(2), grid->columnWidth(3));
  QVERIFY(std::abs(40 + 2 * grid->columnWidth(1) - grid->viewport()->width()) <= 4);

  QTest::keyClick(w.Library, Qt::Key_Escape);
  QVERIFY(!w.Library->isVisible());
  // From the constant list's Window menu, and back to it.
  w.Form->Action("constants")->trigger();
  w.Form->ConstantList()->findChild<QAction*>("constantsLibrary")->trigger();
  QVERIFY(w.Library->isVisible());
  w.Form->ConstantList()->close();
  w.Trigger("constants");
  QVERIFY(w.Form->ConstantList()->isVisible());
  QVERIFY(w.Ui.Messages.empty());
}

void ConstantsLibraryWindowTest::SearchSelectsAndAddsToTheConstantList() {
  TCalculatorWithLibrary w;
  w.Library->Grid()->clearSelection();
  QTest::mouseClick(w.Library->findChild<QPushButton*>("addToConstants"), Qt::LeftButton);
  QCOMPARE(w.Ui.Messages, Strings{"Please enter a constant"});

  // A typed name, case ignored, selects its row.
  w.Ui.Clear();
  QComboBox* search = w.Library->SearchBox();
  search->lineEdit()->setFocus();
  QTest::keyClicks(search->lineEdit(), "rydberg_constant");
  QTest::keyClick(search->lineEdit(), Qt::Key_Return);
  const int row = w.Library->Grid()->currentIndex().row();
  QCOMPARE(w.Cell(row, 1), QString("Rydberg_constant"));
  QVERIFY(w.Library->Grid()->selectionModel()->isRowSelected(row, {}));
  QTest::mouseClick(w.Library->findChild<QPushButton*>("addToConstants"), Qt::LeftButton);
  TConstantList& list = w.Form->Calculator().Constants();
  QCOMPARE(list.RowCount(), 8);
  QCOMPARE(list.Row(7).Value, std::string("10973731.56816"));
  QCOMPARE(list.Row(7).Description, std::string(" (1/m)"));
  QCOMPARE(w.Form->ConstantList()->Grid()->model()->rowCount(), 7);  // the list's grid was refreshed

  // A row picked in the grid is the one the button takes.
  w.Library->Grid()->setFocus();
  w.Library->Grid()->setCurrentIndex(w.Grid()->index(0, 1));
  QCOMPARE(search->currentText(), QString("Avogadro_constant"));
  QTest::mouseClick(w.Library->findChild<QPushButton*>("addToConstants"), Qt::LeftButton);
  QCOMPARE(list.Row(8).Name, std::string("Avogadro_constant"));
  QVERIFY(w.Ui.Messages.empty());
  w.Form->ExpressionsPane()->setFocus();
  QTest::keyClicks(w.Form->ExpressionsPane(), "Avogadro_constant/1E23");
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("6.02214076"));
}

void ConstantsLibraryWindowTest::EditRenamesAndSortsAgain() {
  TCalculatorWithLibrary w;
  // Enter on a row edits it; Ok has the focus.
  w.Library->Grid()->setFocus();
  w.Library->Grid()->setCurrentIndex(w.Grid()->index(0, 1));
  QStringList shown;
  bool okFocused = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<TLibraryConstantDialog>(modal);
    if (dialog == nullptr) return;
    shown = {dialog->windowTitle(), dialog->NameEdit()->text(), dialog->ValueEdit()->text(),
             dialog->DescriptionEdit()->text()};
    okFocused = dialog->focusWidget() == dialog->OkButton();
    dialog->NameEdit()->setText(" Z_avogadro ");
    QTest::keyClick(dialog->OkButton(), Qt::Key_Return);
    if (dialog->isVisible()) dialog->reject();
  });
  QTest::keyClick(w.Library->Grid(), Qt::Key_Return);
  QCOMPARE(shown, (QStringList{"Edit constant", "Avogadro_constant", "6.02214076E+023", "(1/mol)"}));
  QVERIFY(okFocused);
  QCOMPARE(w.Cell(23, 1), QString("Z_avogadro"));
  QCOMPARE(w.Cell(0, 1), QString("Bohr_magneton"));
  QCOMPARE(w.Library->Grid()->currentIndex().row(), 23);
  QCOMPARE(w.Library->SearchBox()->currentText(), QString("Z_avogadro"));

  // A rename onto another constant is refused and the dialog stays open.
  w.FillConstantDialog([&] { w.Library->EditRow(0); }, "z_AVOGADRO", "1", "");
  QCOMPARE(w.Ui.Messages, Strings{"String list does not allow duplicates"});
  QCOMPARE(w.Cell(0, 1), QString("Bohr_magneton"));
  QCOMPARE(w.Grid()->rowCount(), 24);
}

void ConstantsLibraryWindowTest::AddAndDeleteConstants() {
  TCalculatorWithLibrary w;
  QStringList shown;
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<TLibraryConstantDialog>(modal);
    if (dialog == nullptr) return;
    shown = {dialog->windowTitle(), dialog->NameEdit()->text()};
    dialog->reject();
  });
  w.Trigger("addConstant");
  QCOMPARE(shown, (QStringList{"Add constant", ""}));
  w.FillConstantDialog([&] { w.Trigger("addConstant"); }, "a=b", "1", "");
  w.FillConstantDialog([&] { w.Trigger("addConstant"); }, "g_n", "9.80665 // m", "");
  QCOMPARE(w.Ui.Messages, (Strings{"Invalid name : a=b", "Invalid value : 9.80665 // m"}));
  w.FillConstantDialog([&] { w.Trigger("addConstant"); }, "g_n", "9.80665", "standard gravity (m/s^2)");
  QCOMPARE(w.Grid()->rowCount(), 25);
  const int row = w.Library->Grid()->currentIndex().row();
  QCOMPARE(w.Column(1).indexOf("g_n"), row);
  QCOMPARE(w.Cell(row, 3), QString("standard gravity (m/s^2)"));

  // Delete from row 3 on, count 100: all but the first two go.
  w.Ui.Clear();
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<TDeleteLibraryConstantsDialog>(modal);
    if (dialog == nullptr) return;
    shown = {dialog->windowTitle(), dialog->FromEdit()->text(), dialog->CountEdit()->text()};
    dialog->FromEdit()->setText("0");
    dialog->accept();
    dialog->FromEdit()->setText("3");
    dialog->CountEdit()->setText("100");
    dialog->accept();
    if (dialog->isVisible()) dialog->reject();
  });
  w.Trigger("deleteConstants");
  QCOMPARE(shown, (QStringList{"Delete definition", "1", "1"}));
  QCOMPARE(w.Ui.Messages, Strings{"Invalid #"});
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  QCOMPARE(w.Column(1), (QStringList{"Avogadro_constant", "Bohr_magneton"}));
  QCOMPARE(w.Library->SearchBox()->count(), 2);
}

void ConstantsLibraryWindowTest::CategoriesAddEditDelete() {
  TCalculatorWithLibrary w;
  QString caption;
  bool nameFocused = false, openAfterEmpty = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<TConstantCategoryDialog>(modal);
    if (dialog == nullptr) return;
    caption = dialog->windowTitle();
    nameFocused = dialog->focusWidget() == dialog->NameEdit();
    dialog->accept();  // empty: refused, still open
    openAfterEmpty = dialog->isVisible();
    dialog->NameEdit()->setText("Optics");
    dialog->accept();
    if (dialog->isVisible()) dialog->reject();
  });
  w.Trigger("addCategory");
  QCOMPARE(caption, QString("Add constant category"));
  QVERIFY(nameFocused);
  QVERIFY(openAfterEmpty);
  QCOMPARE(w.Ui.Messages, Strings{"Category cannot be an empty string"});
  QCOMPARE(w.Categories(), (QStringList{"Optics", "Physical constants"}));
  QCOMPARE(w.Library->CategoryBox()->currentIndex(), -1);  // nothing stays selected
  QCOMPARE(w.Grid()->rowCount(), 0);

  w.Library->SelectCategory("optics");
  QCOMPARE(w.Grid()->rowCount(), 0);
  QStringList shown;
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<TConstantCategoryDialog>(modal);
    if (dialog == nullptr) return;
    shown = {dialog->windowTitle(), dialog->NameEdit()->text()};
    dialog->NameEdit()->setText("Waves");
    dialog->accept();
    if (dialog->isVisible()) dialog->reject();
  });
  w.Trigger("editCategory");
  QCOMPARE(shown, (QStringList{"Edit constant category", "Optics"}));
  QCOMPARE(w.Categories(), (QStringList{"Physical constants", "Waves"}));
  w.Ui.Clear();
  w.FillCategoryDialog("addCategory", "a]b");
  QCOMPARE(w.Ui.Messages, Strings{"Invalid name : a]b"});

  w.Ui.Clear();
  w.Library->SelectCategory("Physical constants");
  w.Trigger("deleteCategory");
  QCOMPARE(w.Ui.Messages, Strings{"Please delete all constants"});
  w.Library->SelectCategory("Waves");
  w.Trigger("deleteCategory");
  QCOMPARE(w.Categories(), QStringList{"Physical constants"});
  QCOMPARE(w.Ui.Questions, Strings(2, "ARE YOU SURE ?"));
}

void ConstantsLibraryWindowTest::SaveAsAndOpenThroughTheDialogs() {
  TCalculatorWithLibrary w;
  w.FillCategoryDialog("addCategory", "Mine");
  const QString file = QString::fromStdString(w.Dir.File("mine"));
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<QFileDialog>(modal);
    if (dialog == nullptr) return;
    dialog->selectFile(file);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  w.Trigger("saveLibraryAs");
  QCOMPARE(w.Library->StatusText(), file + ".con");  // the default extension
  QVERIFY(test::ReadBytes(file.toStdString() + ".con").starts_with("[Mine]\r\n\r\n[Physical constants]\r\n"));

  w.Trigger("newLibrary");
  QCOMPARE(w.Library->CategoryBox()->count(), 0);
  QCOMPARE(w.Grid()->rowCount(), 0);
  WhenModal([&](QWidget* modal) {
    auto* dialog = ModalAs<QFileDialog>(modal);
    if (dialog == nullptr) return;
    dialog->selectFile(file + ".con");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  w.Trigger("openLibrary");
  QCOMPARE(w.Library->windowTitle(), QString("Constant definition table"));
  QCOMPARE(w.Categories(), (QStringList{"Mine", "Physical constants"}));
  QCOMPARE(w.Library->CategoryBox()->currentIndex(), 0);
  QVERIFY(w.Ui.Messages.empty());
}

void ConstantsLibraryWindowTest::UnsavedEditsAreAskedAboutAtExit() {
  TCalculatorWithLibrary w;
  w.Form->close();  // nothing to save: nothing asked
  QVERIFY(w.Ui.Questions.empty());
  w.Form->show();

  w.FillConstantDialog([&] { w.Trigger("addConstant"); }, "g_n", "9.80665", "");
  w.Ui.Answers = {false, false};  // not saved, not sure: the program goes on
  QVERIFY(!w.Form->close());
  QVERIFY(w.Form->isVisible());
  QCOMPARE(w.Ui.Questions, (Strings{"Save the changes of the constants definition table ?", "ARE YOU SURE ?"}));

  w.Ui.Answers = {true};  // saved to its file
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.con")).find("\r\ng_n=9.80665 //\r\n") != std::string::npos);
  // The settings remember the library.
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.ini")).find("ConstFilePath=" + w.Dir.File("helmax-calc.con")) !=
          std::string::npos);
}

void ConstantsLibraryWindowTest::Screenshot() {
  TCalculatorWithLibrary w;
  w.Library->ChooseConstant("Rydberg_constant");
  QApplication::processEvents();
  QVERIFY(w.Library->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-constants-library.png"));
  w.Library->EditRow(w.Library->Grid()->currentIndex().row() + 100);  // no such row: nothing opens
  WhenModal([](QWidget* modal) {
    QVERIFY(modal->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-constants-library-dialog.png"));
    qobject_cast<QDialog*>(modal)->reject();
  });
  QTest::keyClick(w.Library->Grid(), Qt::Key_Return);
}

QTEST_MAIN(ConstantsLibraryWindowTest)
#include "constantslibrarywindow_test.moc"
