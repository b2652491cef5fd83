// The conversion table's window with its dialogs, and the graph window,
// opened from the calculator and driven as a user drives them, offscreen:
// every dialog path, the files that must lose nothing, the four views of
// the graph, dragging a vertex, browsing paths and saving the picture.
#include <QApplication>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QtTest>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ConversionTable.h"
#include "ConversionTableWindow.h"
#include "MainWindow.h"
#include "UnitConversionWindow.h"
#include "UnitGraphWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

using test::InDialog;

struct TCalculatorWindow : test::TCalculatorWindowFixture {
  TConversionTableWindow* Table = nullptr;
  TUnitGraphWindow* Graph = nullptr;

  TCalculatorWindow() {
    Start(Files(test::kConstantsFile | test::kConversionFile));
    Table = Form->ConversionTableWindow();
    Graph = Form->GraphWindow();
    Form->Action("conversionTables")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(Table));
  }
  std::function<void()> Menu(const char* name) {
    return [this, name] { Table->Action(name)->trigger(); };
  }
  TConversionTable& Conversions() { return Form->Calculator().Conversions(); }
  QStringList Categories() const {
    QStringList items;
    for (int i = 0; i < Table->CategoryBox()->count(); ++i) items << Table->CategoryBox()->itemText(i);
    return items;
  }
  // The grid's row (from 1) as "Unit A | Unit B | A => B | B => A".
  QString Row(int row) const {
    QStringList cells;
    for (int c = 1; c <= 4; ++c) cells << Table->Model()->index(row - 1, c).data().toString();
    return cells.join(" | ");
  }
  int Rows() const { return Table->Model()->rowCount(); }
  void Choose(const QString& category) {
    Table->SelectCategory(category);
    QCOMPARE(Table->CategoryBox()->currentText(), category);
  }
  // Checks the table in the conversion window, so that a change shows as a lock.
  void CheckConversions() {
    Form->ConversionWindow()->CheckConversions();
    WaitIdle();
    QVERIFY(Conversions().PathsValid());
  }
  void Name(const char* menu, const QString& name) {
    InDialog<TNameDialog>(
        [name](TNameDialog* d) {
          d->NameEdit()->setText(name);
          d->accept();
        },
        Menu(menu));
    WaitIdle();
  }
  void Shot(QWidget* w, const QString& name) { Screenshot(w, name); }
  // The graph window showing a category of the table.
  void ShowGraph(const QString& category) {
    Choose(category);
    Table->Action("graph")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(Graph));
  }
  QSet<QString> RedArcs() const {
    QSet<QString> red;
    for (const TGraphLabel& l : Graph->View().Picture().ArcLabels)
      if (l.Colour == TGraphColour::Red) red << QString::fromStdString(l.Text);
    return red;
  }
  QPoint VertexOf(const QString& unit) const {
    const std::vector<std::string>& units = Graph->View().Category().Units;
    const auto at = std::find(units.begin(), units.end(), unit.toStdString());
    const TGraphVertex& v = Graph->View().Graph().Vertices().at(static_cast<std::size_t>(at - units.begin()));
    return {v.X, v.Y};
  }
};

}  // namespace

class ConversionTableWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensOnTheFirstCategory();
  void AddAndEditDefinitions();
  void DefinitionDialogRefusesOneWayDirections();
  void CategoriesThroughTheNameDialog();
  void UnitsThroughTheNameDialog();
  void DeletingDefinitionsAndCategories();
  void FilesLoseNothing();
  void UnsavedEditsAreAskedAboutAtTheEnd();
  void GraphViews();
  void GraphEndsDialogAndPathBrowsing();
  void DraggingAVertexKeepsItsPlace();
  void SavingTheGraphPicture();
  void ConvCallsRenumberedAfterAddingArea();
  void UndoTheLastEdits();
  void DefinitionsEditedInTheGrid();
};

void ConversionTableWindowsTest::OpensOnTheFirstCategory() {
  TCalculatorWindow w;
  QCOMPARE(w.Table->windowTitle(), QString("Conversion definition table"));
  QCOMPARE(w.Categories().size(), 11);
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Angles"));
  QStringList headers;
  for (int c = 0; c < 5; ++c) headers << w.Table->Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  QCOMPARE(headers, (QStringList{"#", "Unit A", "Unit B", "A => B", "B => A"}));
  QCOMPARE(w.Rows(), 6);
  QCOMPARE(w.Row(1), QString("pi radians | degrees | x*180 | x/180"));
  QCOMPARE(w.Table->Model()->index(5, 0).data().toInt(), 6);
  QCOMPARE(w.Table->StatusText(), QString::fromStdString(w.Dir.File("helmax-calc.cnv")));
  QCOMPARE(w.Table->findChild<QGroupBox*>()->title(), QString("Unit Category"));
  w.Choose("Temperature");
  QCOMPARE(w.Rows(), 3);
  // A digit typed in the grid does not jump to the row of that number.
  w.Table->Grid()->setCurrentIndex(w.Table->Model()->index(0, 0));
  QTest::keyClicks(w.Table->Grid(), "3");
  QCOMPARE(w.Table->Grid()->currentIndex().row(), 0);
  w.Shot(w.Table, "helmax-conversion-table.png");
  QTest::keyClick(w.Table, Qt::Key_Escape);
  QVERIFY(!w.Table->isVisible());
  QVERIFY(w.Ui.Messages.empty());
}

void ConversionTableWindowsTest::AddAndEditDefinitions() {
  TCalculatorWindow w;
  w.CheckConversions();
  w.Choose("Temperature");
  QStringList shown;
  // Units chosen by their numbers; a text that is not linear is refused and
  // the dialog stays open; then the definition goes in as the last row.
  InDialog<TDefinitionDialog>(
      [&](TDefinitionDialog* d) {
        shown << d->windowTitle() << d->UnitABox()->currentText() << d->ForwardEdit()->text();
        QTest::keyClicks(d->NumberAEdit(), "3");
        QTest::keyClicks(d->NumberBEdit(), "4");
        QCOMPARE(d->UnitABox()->currentText(), QString("Kelvin"));
        QCOMPARE(d->UnitBBox()->currentText(), QString("Rankine"));
        d->ForwardEdit()->setText("x^2");
        d->BackwardEdit()->setText("x/1.8");
        d->accept();
        QVERIFY(d->isVisible());
        d->ForwardEdit()->setText("x*1.8");
        d->accept();
        QVERIFY(!d->isVisible());
      },
      w.Menu("addDefinition"));
  w.WaitIdle();
  QCOMPARE(shown, (QStringList{"Add conversion definition", "", ""}));
  QCOMPARE(w.Ui.Messages, Strings{"A => B :  Expression must be linear"});
  QCOMPARE(w.Rows(), 4);
  QCOMPARE(w.Row(4), QString("Kelvin | Rankine | x*1.8 | x/1.8"));
  QCOMPARE(w.Table->CurrentRow(), 4);
  QCOMPARE(w.Table->Grid()->selectionModel()->selectedRows().value(0).row(), 3);
  // The change locked the conversions, and the conversion window checked
  // the table again by itself.
  QVERIFY(w.Conversions().PathsValid());
  QVERIFY(!w.Form->ConversionWindow()->Locked());
  w.Ui.Clear();

  // Enter on a row edits it: both units the same are refused; a number
  // box with a text that is no number chooses nothing.
  w.Table->Grid()->setFocus();
  w.Table->Grid()->setCurrentIndex(w.Table->Model()->index(0, 1));
  InDialog<TDefinitionDialog>(
      [&](TDefinitionDialog* d) {
        QCOMPARE(d->windowTitle(), QString("Edit conversion definition"));
        w.Shot(d, "helmax-conversion-definition.png");
        QCOMPARE(d->UnitABox()->currentText(), QString("Celcius"));
        QCOMPARE(d->NumberBEdit()->text(), QString("2"));
        QCOMPARE(d->BackwardEdit()->text(), QString("(x-32)*5/9"));
        d->NumberBEdit()->clear();
        QTest::keyClicks(d->NumberBEdit(), "1");
        d->accept();
        QVERIFY(d->isVisible());
        d->NumberBEdit()->clear();
        QTest::keyClicks(d->NumberBEdit(), "b");
        QCOMPARE(d->NumberBEdit()->text(), QString("0"));
        QCOMPARE(d->UnitBBox()->currentIndex(), -1);
        d->accept();
        QTest::keyClicks(d->NumberBEdit(), "2");  // "02"
        d->BackwardEdit()->setText("x:1");
        d->accept();
        d->BackwardEdit()->setText("(x-32)/1.8");
        d->accept();
        QVERIFY(!d->isVisible());
      },
      [&] { QTest::keyClick(w.Table->Grid(), Qt::Key_Return); });
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages,
           (Strings{"Items must be diferent", "Please select items in ComboBox", "B => A : Invalid expression : x:1"}));
  QCOMPARE(w.Row(1), QString("Celcius | Fahrenheit | 1.8*x+32 | (x-32)/1.8"));
  // Checked and used: 212 °F is 373.15 K along the edited row.
  w.CheckConversions();
  w.Form->ExpressionsPane()->setPlainText("Conv(9, 2, 3, 212)");
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("373.15"));
}

// A definition whose A => B gives one value for every x, or whose B => A
// does not bring A => B back, is refused with the row named; the dialog
// stays open and the table keeps its rows.
void ConversionTableWindowsTest::DefinitionDialogRefusesOneWayDirections() {
  TCalculatorWindow w;
  w.Choose("Temperature");
  InDialog<TDefinitionDialog>(
      [&](TDefinitionDialog* d) {
        d->UnitABox()->setCurrentIndex(d->UnitABox()->findText("Kelvin"));
        d->UnitBBox()->setCurrentIndex(d->UnitBBox()->findText("Rankine"));
        d->ForwardEdit()->setText("x*0");
        d->BackwardEdit()->setText("x/0");
        d->accept();
        QVERIFY(d->isVisible());
        d->ForwardEdit()->setText("x*1.8");
        d->BackwardEdit()->setText("x*1.8");
        d->accept();
        QVERIFY(d->isVisible());
        // What the user sees: the dialog and the message over it.
        QMessageBox box(QMessageBox::Warning, "Calculator", QString::fromStdString(w.Ui.Messages.back()));
        box.setStandardButtons(QMessageBox::Ok);
        box.resize(box.sizeHint());
        const QPixmap dialog = d->grab(), message = box.grab();
        QPixmap both(std::max(dialog.width(), message.width()), dialog.height() + message.height());
        both.fill(Qt::white);
        QPainter painter(&both);
        painter.drawPixmap(0, 0, dialog);
        painter.drawPixmap(0, dialog.height(), message);
        painter.end();
        QVERIFY(both.save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-conversion-definition-refused.png"));
        d->reject();
      },
      w.Menu("addDefinition"));
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages,
           (Strings{"Error in category : Temperature : Row# 4 : A => B does not depend on x",
                    "Error in category : Temperature : Row# 4 : B => A does not bring A => B back to x (x = 0.5 gives "
                    "0.9, and back 1.62)"}));
  QCOMPARE(w.Rows(), 3);
  // Editing names the row edited.
  w.Ui.Clear();
  w.Table->Grid()->setFocus();
  w.Table->Grid()->setCurrentIndex(w.Table->Model()->index(1, 1));
  InDialog<TDefinitionDialog>(
      [&](TDefinitionDialog* d) {
        d->BackwardEdit()->setText("x+273.15");
        d->accept();
        QVERIFY(d->isVisible());
        d->reject();
      },
      [&] { QTest::keyClick(w.Table->Grid(), Qt::Key_Return); });
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, (Strings{"Error in category : Temperature : Row# 2 : B => A does not bring A => B back to x "
                                   "(x = 0.5 gives 273.65, and back 546.8)"}));
  QCOMPARE(w.Row(2), QString("Celcius | Kelvin | x+273.15 | x-273.15"));
}

void ConversionTableWindowsTest::CategoriesThroughTheNameDialog() {
  TCalculatorWindow w;
  QStringList shown;
  InDialog<TNameDialog>(
      [&](TNameDialog* d) {
        shown << d->windowTitle() << d->NameEdit()->text();
        for (const char* refused : {"", "length", "Volts]"}) {
          d->NameEdit()->setText(refused);
          d->accept();
          QVERIFY(d->isVisible());
        }
        d->NameEdit()->setText("Density");
        d->accept();
      },
      w.Menu("addCategory"));
  w.WaitIdle();
  QCOMPARE(shown, (QStringList{"Add unit category", ""}));
  QCOMPARE(w.Ui.Messages, (Strings{"Unit definition cannot be an empty string", "String list does not allow duplicates",
                                   "Invalid name : Volts]"}));
  QCOMPARE(w.Categories().value(4), QString("Density"));
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Density"));  // the new category is shown
  QCOMPARE(w.Rows(), 0);
  // A rename is sorted again; another category's name in any case is refused.
  w.Ui.Clear();
  w.Choose("Density");
  w.Name("editCategory", "TIME");
  QCOMPARE(w.Ui.Messages, Strings{"String list does not allow duplicates"});
  w.Name("editCategory", "Area");
  QCOMPARE(w.Categories().mid(0, 3), (QStringList{"Angles", "Area", "Bits & Bytes"}));
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Area"));
  // Deleting: a category with rows stays.
  w.Ui.Clear();
  w.Choose("Length");
  w.Menu("deleteCategory")();
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"Please delete all definitions"});
  w.Choose("Area");
  w.Menu("deleteCategory")();
  w.WaitIdle();
  QCOMPARE(w.Categories().size(), 11);
  QCOMPARE(w.Ui.Questions, Strings(2, "ARE YOU SURE ?"));
}

void ConversionTableWindowsTest::UnitsThroughTheNameDialog() {
  TCalculatorWindow w;
  w.Choose("Length");
  const int rows = w.Rows();
  // The definition dialog's Edit... renames unit A: meters onto decimeters
  // merges them and drops the row between them.
  InDialog<TDefinitionDialog>(
      [&](TDefinitionDialog* d) {
        d->UnitABox()->setCurrentIndex(d->UnitABox()->findText("meters"));
        QCOMPARE(d->NumberAEdit()->text(), QString::number(d->UnitABox()->currentIndex() + 1));
        InDialog<TNameDialog>(
            [](TNameDialog* n) {
              QCOMPARE(n->windowTitle(), QString("Edit unit"));
              QCOMPARE(n->NameEdit()->text(), QString("meters"));
              n->NameEdit()->setText("decimeters");
              n->accept();
            },
            [d] { d->EditUnitButton()->click(); });
        QCOMPARE(d->UnitABox()->currentIndex(), -1);  // the boxes were filled again
        QCOMPARE(d->UnitABox()->findText("meters"), -1);
        // Add... puts a new unit in its sorted place; "h:m" is refused.
        InDialog<TNameDialog>(
            [](TNameDialog* n) {
              QCOMPARE(n->windowTitle(), QString("Add unit"));
              n->NameEdit()->setText("h:m");
              n->accept();
              QVERIFY(n->isVisible());
              n->NameEdit()->setText("cubits");
              n->accept();
            },
            [d] { d->AddUnitButton()->click(); });
        QCOMPARE(d->UnitBBox()->itemText(1), QString("centimeters"));
        QCOMPARE(d->UnitBBox()->itemText(2), QString("cubits"));
        d->reject();
      },
      w.Menu("addDefinition"));
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"Invalid name : h:m"});
  QCOMPARE(w.Rows(), rows - 1);
  QCOMPARE(w.Row(4), QString("dekameters | decimeters | x*10 | x/10"));
  QCOMPARE(w.Row(rows - 1), QString("lightyears | decimeters | x*9460730472580800 | x/9460730472580800"));
}

void ConversionTableWindowsTest::DeletingDefinitionsAndCategories() {
  TCalculatorWindow w;
  const QString five = QString::fromStdString(w.Dir.File("five.cnv"));
  test::WriteBytes(five.toStdString(),
                   "[Five]\r\n1=a : b : x : x\r\n2=b : c : x : x\r\n3=c : d : x : x\r\n"
                   "4=d : e : x : x\r\n5=e : f : x : x\r\n");
  w.Table->OpenTableFile(five);
  w.WaitIdle();
  QCOMPARE(w.Rows(), 5);
  auto remove = [&](const QString& from, const QString& count) {
    InDialog<TDeleteDefinitionsDialog>(
        [&](TDeleteDefinitionsDialog* d) {
          QCOMPARE(d->windowTitle(), QString("Delete definition"));
          d->FromEdit()->setText(from);
          d->CountEdit()->setText(count);
          d->accept();
        },
        w.Menu("deleteDefinition"));
    w.WaitIdle();
  };
  remove("6", "1");
  remove("2", "0");
  remove("x", "1");
  QCOMPARE(w.Ui.Messages, (Strings{"Invalid #", "Invalid count", "'x' is not a valid integer value"}));
  QCOMPARE(w.Rows(), 5);
  w.Ui.Clear();
  w.Ui.Answers = {false};
  remove("3", "99");
  QCOMPARE(w.Rows(), 5);
  remove("3", "99");
  QCOMPARE(w.Rows(), 2);
  QCOMPARE(w.Row(2), QString("b | c | x | x"));
  QCOMPARE(w.Ui.Questions, Strings(2, "ARE YOU SURE ?"));
  QVERIFY(w.Ui.Messages.empty());
  // File > New empties the table.
  w.Menu("newTable")();
  w.WaitIdle();
  QCOMPARE(w.Categories().size(), 0);
  QCOMPARE(w.Rows(), 0);
}

void ConversionTableWindowsTest::FilesLoseNothing() {
  TCalculatorWindow w;
  // A file with one category twice is refused; the table stays.
  const QString bad = QString::fromStdString(w.Dir.File("bad.cnv"));
  test::WriteBytes(bad.toStdString(), "[Length]\r\n1=a : b : x : x\r\n\r\n[length]\r\n1=c : d : x : x\r\n");
  w.Choose("Temperature");
  w.Table->OpenTableFile(bad);
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"String list does not allow duplicates"});
  QCOMPARE(w.Categories().size(), 11);
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Temperature"));
  QCOMPARE(w.Rows(), 3);
  QCOMPARE(w.Table->StatusText(), QString::fromStdString(w.Dir.File("helmax-calc.cnv")));
  // Save As through its dialog (the default extension), then read back.
  w.Ui.Clear();
  w.Name("addCategory", "Density");
  const QString mine = QString::fromStdString(w.Dir.File("mine"));
  InDialog<QFileDialog>(
      [mine](QFileDialog* d) {
        d->selectFile(mine);
        QMetaObject::invokeMethod(d, "accept");
      },
      w.Menu("saveTableAs"));
  w.WaitIdle();
  QCOMPARE(w.Table->StatusText(), mine + ".cnv");
  const std::string saved = test::ReadBytes(mine.toStdString() + ".cnv");
  QVERIFY(saved.find("[Density]\r\n\r\n[Energy]") != std::string::npos);
  std::string expected(DefaultConversionText());
  expected.insert(expected.find("[Energy]"), "[Density]\r\n\r\n");
  QCOMPARE(QString::fromStdString(saved), QString::fromStdString(expected));
  // A save over a folder fails and writes nothing; the edits stay unsaved.
  w.Name("addCategory", "Volume");
  std::filesystem::create_directory(w.Dir.File("folder.cnv"));
  w.Table->SaveTableAsFile(QString::fromStdString(w.Dir.File("folder.cnv")));
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
  QVERIFY(w.Conversions().Modified());
  QCOMPARE(w.Table->StatusText(), mine + ".cnv");
  // File > Save asks first; Open with unsaved edits too.
  w.Ui.Clear();
  w.Menu("saveTable")();
  w.WaitIdle();
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  QVERIFY(test::ReadBytes(mine.toStdString() + ".cnv").find("[Volume]") != std::string::npos);
  QVERIFY(!w.Conversions().Modified());
  // The save checked the table: the conversion window lists what it holds.
  QVERIFY(!w.Form->ConversionWindow()->Locked());
  QCOMPARE(w.Form->ConversionWindow()->CategoryBox()->count(), 13);
  QCOMPARE(w.Form->ConversionWindow()->CategoryBox()->itemText(4), QString("Density"));
  w.Table->OpenTableFile(QString::fromStdString(w.Dir.File("helmax-calc.cnv")));
  w.WaitIdle();
  QCOMPARE(w.Categories().size(), 11);
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Angles"));
}

void ConversionTableWindowsTest::UnsavedEditsAreAskedAboutAtTheEnd() {
  TCalculatorWindow w;
  w.Name("addCategory", "Density");
  w.Ui.Clear();
  w.Ui.Answers = {false, false};  // no save, and not sure: the calculator stays
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, (Strings{"Save the changes of the conversion definition table ?", "ARE YOU SURE ?"}));
  QVERIFY(w.Form->isVisible());
  w.Ui.Answers = {true};  // save
  QVERIFY(w.Form->close());
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.cnv")).find("[Density]\r\n") != std::string::npos);
}

void ConversionTableWindowsTest::GraphViews() {
  TCalculatorWindow w;
  QVERIFY(w.Graph->isHidden());
  w.ShowGraph("Temperature");
  QCOMPARE(w.Graph->windowTitle(), QString("Category = 9. Temperature"));
  QVERIFY(w.Graph->Action("graphView")->isChecked());
  QVERIFY(w.RedArcs().isEmpty());
  QVERIFY(w.Graph->StatusText().startsWith("Total allocated memory= "));
  QCOMPARE(w.Graph->Action("path")->text(), QString("&Path"));
  QVERIFY(!w.Graph->Action("path")->isEnabled());
  w.Shot(w.Graph, "helmax-graph-temperature.png");
  w.Graph->Action("treeView")->trigger();
  QCOMPARE(w.RedArcs(), (QSet<QString>{"E1", "E2", "E3"}));
  QVERIFY(w.Graph->Action("treeView")->isChecked());
  w.Shot(w.Graph, "helmax-graph-tree.png");
  // The flow between two units of one definition: one red arc.
  InDialog<TGraphEndsDialog>(
      [](TGraphEndsDialog* d) {
        QCOMPARE(d->windowTitle(), QString("MAXIMAL FLOW"));
        d->BeginBox()->setCurrentIndex(0);  // Celcius
        d->EndBox()->setCurrentIndex(1);    // Fahrenheit
        d->accept();
      },
      [&] { w.Graph->Action("flowView")->trigger(); });
  QCOMPARE(w.RedArcs(), QSet<QString>{"E1"});
  QVERIFY(w.Graph->Action("flowView")->isChecked());
  w.Shot(w.Graph, "helmax-graph-flow.png");
  // Choosing another category in the table window draws it.
  w.Table->CategoryBox()->setCurrentIndex(w.Table->CategoryBox()->findText("Length"));
  emit w.Table->CategoryBox()->activated(w.Table->CategoryBox()->currentIndex());
  QCOMPARE(w.Graph->windowTitle(), QString("Category = 6. Length"));
  QVERIFY(w.Graph->Action("graphView")->isChecked());
  InDialog<TGraphEndsDialog>(
      [&](TGraphEndsDialog* d) {
        d->BeginBox()->setCurrentIndex(d->BeginBox()->findText("inches"));
        d->EndBox()->setCurrentIndex(d->EndBox()->findText("meters"));
        d->accept();
      },
      [&] { w.Graph->Action("pathView")->trigger(); });
  QCOMPARE(w.RedArcs(), (QSet<QString>{"E11", "F6", "F5"}));
  w.Shot(w.Graph, "helmax-graph-path.png");
  // Clicking a label names the arc and its units.
  for (const TGraphLabel& l : w.Graph->View().Picture().ArcLabels)
    if (l.Text == "F6") QTest::mouseClick(w.Graph->Canvas(), Qt::LeftButton, {}, QPoint(l.At.X + 10, l.At.Y + 5));
  QCOMPARE(w.Graph->StatusText(), QString("F6 : centimeters ---> decimeters"));
  // The table changes: the graph is drawn again, the plain view.
  w.Table->OpenTableFile(QString::fromStdString(w.Dir.File("helmax-calc.cnv")));
  w.WaitIdle();
  QCOMPARE(w.Graph->windowTitle(), QString("Category = 1. Angles"));
  QVERIFY(w.Graph->Action("graphView")->isChecked());
  w.Graph->Action("help")->trigger();
  QCOMPARE(w.Ui.Messages, Strings{"Click on vertex for moving it. Click on E1,E2,... for Units links"});
  // Esc closes it; the Window menus bring the others forward.
  QTest::keyClick(w.Graph, Qt::Key_Escape);
  QVERIFY(!w.Graph->isVisible());
  w.Graph->Action("defConversions")->trigger();
  QVERIFY(w.Table->isVisible());
  w.Graph->Action("conversion")->trigger();
  QVERIFY(QTest::qWaitForWindowExposed(w.Form->ConversionWindow()));
}

void ConversionTableWindowsTest::GraphEndsDialogAndPathBrowsing() {
  TCalculatorWindow w;
  const QString paths = QString::fromStdString(w.Dir.File("paths.cnv"));
  test::WriteBytes(paths.toStdString(),
                   "[Paths]\r\n1=S : A1 : x : x : 60 : 300 : 250 : 150\r\n2=S : A2 : x : x : 60 : 300 : 250 : 450\r\n"
                   "3=A1 : B1 : x : x : 250 : 150 : 450 : 150\r\n4=A1 : B2 : x : x : 250 : 150 : 450 : 450\r\n"
                   "5=A2 : B1 : x : x : 250 : 450 : 450 : 150\r\n6=A2 : B2 : x : x : 250 : 450 : 450 : 450\r\n"
                   "7=B1 : T : x : x : 450 : 150 : 650 : 300\r\n8=B2 : T : x : x : 450 : 450 : 650 : 300\r\n");
  w.Table->OpenTableFile(paths);
  w.WaitIdle();
  w.ShowGraph("Paths");
  // Ok without both units is refused; Cancel goes back to the plain graph.
  InDialog<TGraphEndsDialog>(
      [&](TGraphEndsDialog* d) {
        QCOMPARE(d->windowTitle(), QString("SHORTEST PATH"));
        QCOMPARE(d->BeginBox()->currentIndex(), -1);
        d->accept();
        QVERIFY(d->isVisible());
        d->reject();
      },
      [&] { w.Graph->Action("pathView")->trigger(); });
  QCOMPARE(w.Ui.Messages, Strings{"Please enter units"});
  QVERIFY(w.Graph->Action("graphView")->isChecked());
  QCOMPARE(w.Graph->View().View(), TGraphView::Graph);
  InDialog<TGraphEndsDialog>(
      [&](TGraphEndsDialog* d) {
        d->BeginBox()->setCurrentIndex(d->BeginBox()->findText("S"));
        d->EndBox()->setCurrentIndex(d->EndBox()->findText("T"));
        d->accept();
      },
      [&] { w.Graph->Action("pathView")->trigger(); });
  QCOMPARE(w.Graph->Action("path")->text(), QString("Path 1 : 3"));
  QVERIFY(w.Graph->Action("path")->isEnabled());
  QCOMPARE(w.RedArcs(), (QSet<QString>{"E1", "E3", "E7"}));
  // The path-number dialog: 0 and 4 are refused, 2 is shown.
  w.Ui.Clear();
  InDialog<TPathNumberDialog>(
      [](TPathNumberDialog* d) {
        QCOMPARE(d->windowTitle(), QString("Insert path numer"));
        for (const char* refused : {"0", "4", "two"}) {
          d->NumberEdit()->setText(refused);
          d->accept();
          QVERIFY(d->isVisible());
        }
        d->NumberEdit()->setText("2");
        d->accept();
      },
      [&] { w.Graph->Action("path")->trigger(); });
  QCOMPARE(w.Ui.Messages, (Strings{"THE NUMBER MUST BE BETWEEN 1 AND 3", "THE NUMBER MUST BE BETWEEN 1 AND 3",
                                   "'two' is not a valid integer value"}));
  QCOMPARE(w.Graph->Action("path")->text(), QString("Path 2 : 3"));
  QCOMPARE(w.RedArcs(), (QSet<QString>{"E1", "E4", "E8"}));
  w.Shot(w.Graph, "helmax-graph-paths.png");
  // A maximal flow from a unit to itself is refused and the dialog stays
  // open; with two units it is computed.
  w.Ui.Clear();
  InDialog<TGraphEndsDialog>(
      [&](TGraphEndsDialog* d) {
        QCOMPARE(d->windowTitle(), QString("MAXIMAL FLOW"));
        d->BeginBox()->setCurrentIndex(d->BeginBox()->findText("A1"));
        d->EndBox()->setCurrentIndex(d->EndBox()->findText("A1"));
        d->accept();
        QVERIFY(d->isVisible());
        QMessageBox box(QMessageBox::Warning, "Calculator", QString::fromStdString(w.Ui.Messages.back()));
        box.setStandardButtons(QMessageBox::Ok);
        box.resize(box.sizeHint());
        const QPixmap graph = w.Graph->grab(), dialog = d->grab(), message = box.grab();
        QPixmap all(graph.width(), graph.height() + std::max(dialog.height(), message.height()));
        all.fill(Qt::white);
        QPainter painter(&all);
        painter.drawPixmap(0, 0, graph);
        painter.drawPixmap(0, graph.height(), dialog);
        painter.drawPixmap(dialog.width() + 10, graph.height(), message);
        painter.end();
        QVERIFY(all.save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-graph-flow-refused.png"));
        d->EndBox()->setCurrentIndex(d->EndBox()->findText("T"));
        d->accept();
      },
      [&] { w.Graph->Action("flowView")->trigger(); });
  QCOMPARE(w.Ui.Messages, Strings{"Begin vertex and End vertex must be different"});
  QCOMPARE(w.Graph->View().View(), TGraphView::MaximalFlow);
  QCOMPARE(w.RedArcs(), (QSet<QString>{"E3", "E4", "E7", "E8"}));
  // Closing forgets the paths.
  w.Graph->close();
  QVERIFY(!w.Graph->Action("path")->isEnabled());
  QVERIFY(w.Graph->Action("graphView")->isChecked());
}

void ConversionTableWindowsTest::DraggingAVertexKeepsItsPlace() {
  TCalculatorWindow w;
  w.ShowGraph("Temperature");
  const QPoint kelvin = w.VertexOf("Kelvin");
  QCOMPARE(kelvin, QPoint(404, 66));
  TGraphCanvas* canvas = w.Graph->Canvas();
  QTest::mousePress(canvas, Qt::LeftButton, {}, kelvin + QPoint(6, 4));
  QCOMPARE(w.Graph->View().DraggedVertex(), 3);
  QCOMPARE(w.Graph->View().Picture().VertexLabels[2].Colour, TGraphColour::Yellow);
  QTest::mouseMove(canvas, QPoint(300, 200));
  QCOMPARE(w.VertexOf("Kelvin"), QPoint(300, 200));
  w.Shot(w.Graph, "helmax-graph-dragging.png");
  QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(320, 210));
  w.WaitIdle();
  QCOMPARE(w.Graph->View().DraggedVertex(), 0);
  const TUnitCategory& t = w.Conversions().Category(w.Conversions().FindCategory("Temperature"));
  const TUnit& unit = t.Units[static_cast<std::size_t>(TConversionTable::FindUnit(t, "Kelvin"))];
  QCOMPARE(QPoint(unit.X, unit.Y), QPoint(320, 210));
  // Saved with the table, in the row that names Kelvin.
  w.Menu("saveTable")();
  w.WaitIdle();
  QVERIFY(test::ReadBytes(w.Dir.File("helmax-calc.cnv"))
              .find("2=Celcius : Kelvin : x+273.15 : x-273.15 : 409 : 244 : 320 : 210\r\n") != std::string::npos);
  // Options > Refresh lays the vertices out on rings around the centre.
  w.Graph->Action("refresh")->trigger();
  QCOMPARE(w.VertexOf("Celcius"), QPoint(canvas->width() / 2, canvas->height() / 2));
}

void ConversionTableWindowsTest::SavingTheGraphPicture() {
  TCalculatorWindow w;
  w.ShowGraph("Temperature");
  const QString bmp = QString::fromStdString(w.Dir.File("graph.bmp"));
  QVERIFY(w.Graph->SaveImage(bmp));
  QImageReader reader(bmp);
  QCOMPARE(reader.format(), QByteArray("bmp"));
  const QImage image = reader.read();
  QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
  QCOMPARE(image.size(), w.Graph->Canvas()->size());
  QCOMPARE(image.colorCount(), 16);                                                  // a palette image
  QVERIFY(image.save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-graph-bitmap.png"));  // to look at
  QCOMPARE(QColor(image.pixel(0, 0)), QColor(0, 0, 0));
  // Celcius's label: green behind its text, from (409 - 8, 244 - 6).
  QCOMPARE(QColor(image.pixel(409 - 7, 244 - 5)), QColor(0, 128, 0));
  const std::string bytes = test::ReadBytes(bmp.toStdString());
  QCOMPARE(static_cast<int>(static_cast<unsigned char>(bytes.at(28))), 4);  // bits per pixel
  const QString png = QString::fromStdString(w.Dir.File("graph.png"));
  QVERIFY(w.Graph->SaveImage(png));
  const QImage again(png);
  QCOMPARE(again.size(), image.size());
  QCOMPARE(QColor(again.pixel(409 - 7, 244 - 5)), QColor(0, 128, 0));
  // A folder in the way: reported, nothing written.
  std::filesystem::create_directory(w.Dir.File("folder.bmp"));
  QVERIFY(!w.Graph->SaveImage(QString::fromStdString(w.Dir.File("folder.bmp"))));
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
}

void ConversionTableWindowsTest::ConvCallsRenumberedAfterAddingArea() {
  TCalculatorWindow w;
  w.CheckConversions();
  w.Form->DefinitionsPane()->setPlainText("y=1/3,\nk=conv(9,1,3,0)");
  w.Form->ExpressionsPane()->setPlainText("Conv(9, 2, 3, 212),k,Conv(1,1,2,1)");
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("373.15\n273.15\n360"));
  // Area comes before Temperature (now 10); Angles stays 1. Yes renumbers.
  const QString question = QString::fromStdString(RenumberQuestion(2));
  QCOMPARE(question, QString("2 Conv calls in the expressions now point at other units. Renumber them so that "
                             "they keep their meaning?"));
  w.Ui.Answers = {true};
  w.Name("addCategory", "Area");
  QCOMPARE(w.Ui.Questions, Strings{question.toStdString()});
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Area"));
  QCOMPARE(w.Form->DefinitionsPane()->toPlainText(), QString("y=1/3,\nk=conv(10,1,3,0)"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("Conv(10, 2, 3, 212),k,Conv(1,1,2,1)"));
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("373.15\n273.15\n360"));
  w.Shot(w.Table, "helmax-conversion-table-area.png");
  // No leaves the panes as they are.
  w.Ui.Clear();
  w.Ui.Answers = {false};
  w.Name("editCategory", "Zones");  // Temperature back at 9
  QCOMPARE(w.Ui.Questions, Strings{question.toStdString()});
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("Conv(10, 2, 3, 212),k,Conv(1,1,2,1)"));
  // A change that moves no id that the panes use asks nothing.
  w.Ui.Clear();
  w.Name("editCategory", "Zzones");
  QVERIFY(w.Ui.Questions.empty());
  QVERIFY(w.Ui.Messages.empty());
}

void ConversionTableWindowsTest::UndoTheLastEdits() {
  TCalculatorWindow w;
  QAction* undo = w.Table->Action("undo");
  QCOMPARE(undo->text(), QString("&Undo"));
  QCOMPARE(undo->shortcut(), QKeySequence(QKeySequence::Undo));
  QVERIFY(!undo->isEnabled());
  w.Form->ExpressionsPane()->setPlainText("Conv(9, 2, 3, 212)");
  w.WaitIdle();
  w.Ui.DefaultAnswer = true;
  w.Name("addCategory", "Area");
  w.Choose("Temperature");
  w.Table->EditCell(1, 3, "x*1.8+32");
  w.WaitIdle();
  QCOMPARE(w.Row(1), QString("Celcius | Fahrenheit | x*1.8+32 | (x-32)*5/9"));
  QVERIFY(undo->isEnabled());
  // Ctrl+Z: the edited row, then the added category (the calls follow back).
  w.Table->ShowWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.Table));
  QApplication::setActiveWindow(w.Table);  // offscreen, the closed name dialog stays active
  w.Table->Grid()->setFocus();
  QTest::keyClick(w.Table->Grid(), Qt::Key_Z, Qt::ControlModifier);
  w.WaitIdle();
  QCOMPARE(w.Row(1), QString("Celcius | Fahrenheit | 1.8*x+32 | (x-32)*5/9"));
  QCOMPARE(w.Table->CategoryBox()->currentText(), QString("Temperature"));
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("Conv(10, 2, 3, 212)"));
  QTest::keyClick(w.Table->Grid(), Qt::Key_Z, Qt::ControlModifier);
  w.WaitIdle();
  QCOMPARE(w.Categories().size(), 11);
  QCOMPARE(w.Form->ExpressionsPane()->toPlainText(), QString("Conv(9, 2, 3, 212)"));
  QVERIFY(!undo->isEnabled());
  w.WaitIdle();
  QCOMPARE(w.Form->ResultsPane()->toPlainText(), QString("373.15"));
  QCOMPARE(w.Ui.Questions.size(), std::size_t{2});  // after the add and after its undo
}

void ConversionTableWindowsTest::DefinitionsEditedInTheGrid() {
  TCalculatorWindow w;
  w.Choose("Temperature");
  QTableView* grid = w.Table->Grid();
  QApplication::setActiveWindow(w.Table);
  grid->setFocus();
  // F2 on B => A of row 2, as typed there; a text that is not linear is
  // refused as the dialog refuses it.
  w.Table->EditCell(2, 4, "x^2");
  w.WaitIdle();
  QCOMPARE(w.Row(2), QString("Celcius | Kelvin | x+273.15 | x-273.15"));
  const std::pair<const char*, const char*> typed[] = {{"x-273.150", "x-273.150"}};
  for (const auto& [text, kept] : typed) {
    grid->setCurrentIndex(w.Table->Model()->index(1, 4));
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    w.WaitIdle();
    QTRY_COMPARE(w.Row(2), "Celcius | Kelvin | x+273.15 | " + QString(kept));
  }
  QCOMPARE(w.Ui.Messages, Strings{"B => A : Expression must be linear"});
  // Typing into A => B starts editing it too.
  grid->setCurrentIndex(w.Table->Model()->index(2, 3));
  QTest::keyClick(grid, Qt::Key_X);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor != nullptr);
  QCOMPARE(editor->text(), QString("x"));
  QTest::keyClicks(editor, "+459.670");
  QTest::keyClick(editor, Qt::Key_Return);
  w.WaitIdle();
  QTRY_COMPARE(w.Row(3), QString("Fahrenheit | Rankine | x+459.670 | x-459.67"));
  QVERIFY(w.Conversions().Modified());
}

QTEST_MAIN(ConversionTableWindowsTest)
#include "conversiontablewindows_test.moc"
