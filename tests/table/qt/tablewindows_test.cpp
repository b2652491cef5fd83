// The function table and its chart driven as a user drives them, offscreen:
// Functions > Table, the menus, the Null option, Save As and the exports
// through their dialogs, a stop, the legend and the chart editor.
#include <fcntl.h>
#include <sys/stat.h>
#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <future>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ChartEditorDialog.h"
#include "ChartWindow.h"
#include "ConstantListWindow.h"
#include "FileDialog.h"
#include "FunctionTableWindow.h"
#include "MainWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

using test::InDialog;

// The calculator with its files in a fresh folder, recorded messages.
struct TCalculatorWithTable : test::TCalculatorWindowFixture {
  TFunctionTableWindow* Table = nullptr;
  TChartWindow* Chart = nullptr;

  TCalculatorWithTable() {
    Start(Files(test::kConstantsFile));
    // The default document is read once the window is shown.
    QTRY_COMPARE(Form->StatusText(1), QString("History Index: 1/1"));
    Table = Form->FunctionTable();
    Chart = Form->Chart();
  }
  void Define(const QString& definitions) {
    Form->DefinitionsPane()->selectAll();
    QTest::keyClicks(Form->DefinitionsPane(), definitions);
    WaitIdle();
  }
  void ComputeTable() {
    Form->Action("table")->trigger();
    WaitIdle();
  }
  QAbstractItemModel* Grid() const { return Table->Grid()->model(); }
  QString Cell(int row, int column) const { return Grid()->index(row, column).data().toString(); }
  // The function cell of the row whose x is the text given.
  QString At(const QString& x, int column = 2) const {
    for (int r = 0; r < Grid()->rowCount(); ++r)
      if (Cell(r, 1) == x) return Cell(r, column);
    return "<no row " + x + ">";
  }
  QAction* TableMenu(const char* name) const { return Table->findChild<QAction*>(name); }
  QAction* ChartMenu(const char* name) const { return Chart->findChild<QAction*>(name); }
  void SetRange(double from, double to, double step) {
    Form->Calculator().SetParameter(parFrom, from);
    Form->Calculator().SetParameter(parTo, to);
    Form->Calculator().SetParameter(parStep, step);
  }
};

// The system's temporary folder moved for the test's lifetime.
struct TOwnTemporaryFolder {
  test::TTempFolder Folder;
  QByteArray Former = qgetenv("TMPDIR");
  TOwnTemporaryFolder() { qputenv("TMPDIR", QByteArray::fromStdString(Folder.Path)); }
  ~TOwnTemporaryFolder() {
    if (Former.isEmpty()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", Former);
  }
};

std::function<void(QFileDialog*)> Pick(const QString& file) {
  return [file](QFileDialog* d) {
    d->selectFile(file);
    QMetaObject::invokeMethod(d, "accept");
  };
}

}  // namespace

class TableWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void FunctionsTableShowsTheDefaultTable();
  void WindowMenuAndEscape();
  void NullOptionBothWays();
  void RefusalsKeepTheTable();
  void SaveAsThroughTheDialog();
  void DialogAfterAFailedSaveIntoProc();
  void ExportsWriteWorkbooks();
  void EscStopsALongTable();
  void TypingGoesOnDuringATable();
  void ARefusalShowsNoProgress();
  void ChartLegendShowsAndHides();
  void ChartEditorChangesApplyAtOnce();
  void AMillionPointsAreDrawnReduced();
  void ChartAxesWriteTheCalculatorsNumbers();
  void Screenshots();
};

void TableWindowsTest::FunctionsTableShowsTheDefaultTable() {
  TCalculatorWithTable w;
  QVERIFY(!w.Table->isVisible());
  QVERIFY(w.Form->Action("table")->isEnabled());
  w.ComputeTable();
  QVERIFY(w.Table->isVisible());
  QCOMPARE(w.Table->windowTitle(), QString("Functions table"));
  QCOMPARE(w.Grid()->rowCount(), 2001);
  QCOMPARE(w.Grid()->columnCount(), 3);
  const QStringList headers = {"#", "x", "f(x)"};
  for (int c = 0; c < 3; ++c) QCOMPARE(w.Grid()->headerData(c, Qt::Horizontal).toString(), headers[c]);
  QCOMPARE(w.Cell(2000, 0) + " " + w.Cell(2000, 1), QString("2000 100"));
  QCOMPARE(w.Table->StatusText(), QString("2001 points"));
  QCOMPARE(w.Table->focusWidget(), static_cast<QWidget*>(w.Table->Grid()));  // the keys go to the grid
  // colwidth pixels for the variable and the functions; "#" and the
  // variable stay while the rest scrolls.
  QCOMPARE(w.Table->Grid()->columnWidth(1), 150);
  QCOMPARE(w.Table->Grid()->columnWidth(2), 150);
  QTableView* frozen = w.Table->Grid()->FrozenView();
  QVERIFY(!frozen->isColumnHidden(0) && !frozen->isColumnHidden(1) && frozen->isColumnHidden(2));
  QCOMPARE(frozen->width(), w.Table->Grid()->columnWidth(0) + 150);
  // Two function columns fit whole.
  w.Define("f(x)~sin(x), g(x)~cos(x)");
  w.ComputeTable();
  QTRY_VERIFY(w.Table->Grid()->horizontalScrollBar()->maximum() == 0);
  w.Form->Calculator().SetParameter(parColWidth, 60);
  w.ComputeTable();
  QCOMPARE(w.Table->Grid()->columnWidth(2), 60);
  // The menus with their captions.
  const char* captions[][2] = {{"saveAs", "&Save As.."},
                               {"exportWorkbook", "&Export .xlsx..."},
                               {"nullMarker", "&Null -> #NUM!"},
                               {"main", "&Main"},
                               {"constants", "&Constants"},
                               {"excel", "&Excel OLE"},
                               {"chart", "C&hart"}};
  for (const auto& c : captions) QCOMPARE(w.TableMenu(c[0])->text(), QString(c[1]));
  QVERIFY(!w.TableMenu("nullMarker")->isChecked());
  QVERIFY(w.Ui.Messages.empty());
}

void TableWindowsTest::WindowMenuAndEscape() {
  TCalculatorWithTable w;
  w.ComputeTable();
  w.TableMenu("constants")->trigger();
  w.WaitIdle();
  QVERIFY(w.Form->ConstantList()->isVisible());
  w.TableMenu("chart")->trigger();
  QVERIFY(w.Chart->isVisible());
  QCOMPARE(w.Chart->windowTitle(), QString("Chart"));
  QTest::keyClick(w.Chart, Qt::Key_Escape);
  QVERIFY(!w.Chart->isVisible());
  QTest::keyClick(w.Table, Qt::Key_Escape);
  QVERIFY(!w.Table->isVisible());
  w.Chart->show();
  w.ChartMenu("table")->trigger();
  QVERIFY(w.Table->isVisible());
  w.Form->hide();
  w.ChartMenu("main")->trigger();
  QVERIFY(w.Form->isVisible());
  w.Form->hide();
  w.TableMenu("main")->trigger();
  QVERIFY(w.Form->isVisible());
}

// The option's rules are the core's; here: the menu reaches the grid, and
// the next table comes with the option as it is checked.
void TableWindowsTest::NullOptionBothWays() {
  TCalculatorWithTable w;
  w.Define("f(x)~1/x");
  w.ComputeTable();
  QCOMPARE(w.At("0"), QString("Null"));
  w.TableMenu("nullMarker")->trigger();
  QCOMPARE(w.At("0"), QString("#NUM!"));
  w.TableMenu("nullMarker")->trigger();
  QCOMPARE(w.At("0"), QString("Null"));
  w.TableMenu("nullMarker")->trigger();
  w.ComputeTable();
  QCOMPARE(w.At("0"), QString("#NUM!"));
  QVERIFY(w.Ui.Messages.empty());
}

void TableWindowsTest::RefusalsKeepTheTable() {
  TCalculatorWithTable w;
  w.ComputeTable();
  w.SetRange(0, 1048575, 1);
  w.ComputeTable();
  QCOMPARE(w.Ui.Messages, Strings{"Too many points: 1048576"});
  QCOMPARE(w.Grid()->rowCount(), 2001);
}

void TableWindowsTest::SaveAsThroughTheDialog() {
  TCalculatorWithTable w;
  w.SetRange(-1, 1, 0.5);
  w.ComputeTable();
  const QString file = QString::fromStdString(w.Dir.File("points"));
  InDialog<QFileDialog>(Pick(file), [&] { w.TableMenu("saveAs")->trigger(); });
  w.WaitIdle();
  const std::string saved = test::ReadBytes(file.toStdString() + ".dat");  // the default extension
  QVERIFY(saved.starts_with("#,x,f(x)\r\n0,-1,-0.841470984807897\r\n1,-0.5,"));
  QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 6);
  QCOMPARE(w.Table->StatusText(), "Saved " + file + ".dat");
  // Over an existing file the dialog asks first; No keeps it.
  test::WriteBytes(w.Dir.File("old.dat"), "former");
  bool asked = false;
  InDialog<QFileDialog>(
      [&](QFileDialog* d) {
        InDialog<QMessageBox>(
            [&](QMessageBox* box) {
              asked = true;
              box->button(QMessageBox::No)->click();
            },
            [&] { Pick(QString::fromStdString(w.Dir.File("old.dat")))(d); });
      },
      [&] { w.TableMenu("saveAs")->trigger(); });
  w.WaitIdle();
  QVERIFY(asked);
  QCOMPARE(test::ReadBytes(w.Dir.File("old.dat")), std::string("former"));
  // A file that cannot be written says why, and the former file stays.
  test::WriteBytes(w.Dir.File("plain"), "x");
  w.Table->SaveAsFile(QString::fromStdString(w.Dir.File("plain/points.dat")));
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
  QVERIFY(w.Ui.Messages[0].find(w.Dir.File("plain/points.dat")) != std::string::npos);
  QCOMPARE(w.Table->StatusText(), QString("Not saved"));
}

// A failed save into /proc leaves the next dialog in a folder on a disk,
// and the dialog tells types without reading files: a FIFO, like
// /proc/kmsg, would hold a reader for ever.
void TableWindowsTest::DialogAfterAFailedSaveIntoProc() {
  TCalculatorWithTable w;
  w.SetRange(-1, 1, 0.5);
  w.ComputeTable();
  InDialog<QFileDialog>(Pick("/proc/points.dat"), [&] { w.TableMenu("saveAs")->trigger(); });
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages.size(), std::size_t{1});
  QVERIFY(IsPseudoFileSystem("/proc"));
  QVERIFY(!IsPseudoFileSystem(QString::fromStdString(w.Dir.Path)));
  const std::string fifo = w.Dir.File("pipe");
  QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
  QString start, fifoType;
  bool plainIcons = false, typeAnswered = false;
  InDialog<QFileDialog>(
      [&](QFileDialog* d) {
        start = d->directory().absolutePath();
        plainIcons = d->testOption(QFileDialog::DontUseCustomDirectoryIcons) && d->iconProvider() != nullptr;
        if (!plainIcons) return;
        QAbstractFileIconProvider* provider = d->iconProvider();
        const QFileInfo pipe(QString::fromStdString(fifo));
        auto type = std::async(std::launch::async, [provider, pipe] { return provider->type(pipe); });
        typeAnswered = type.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!typeAnswered) ::close(::open(fifo.c_str(), O_WRONLY));  // lets the reader go
        fifoType = type.get();
      },
      [&] { w.TableMenu("saveAs")->trigger(); });
  QVERIFY(!start.isEmpty());
  QVERIFY2(!start.startsWith("/proc"), qPrintable(start));
  QCOMPARE(start, DialogStartFolder("/proc/points.dat"));
  QVERIFY(plainIcons);
  QVERIFY(typeAnswered);
  QCOMPARE(fifoType, QString("File"));
  // Once a save worked, the next dialog starts in its folder.
  const QString file = QString::fromStdString(w.Dir.File("points.dat"));
  InDialog<QFileDialog>(Pick(file), [&] { w.TableMenu("saveAs")->trigger(); });
  w.WaitIdle();
  InDialog<QFileDialog>([&](QFileDialog* d) { start = d->directory().absolutePath(); },
                        [&] { w.TableMenu("saveAs")->trigger(); });
  QCOMPARE(start, QString::fromStdString(w.Dir.Path));
}

void TableWindowsTest::ExportsWriteWorkbooks() {
  TOwnTemporaryFolder temporary;
  TCalculatorWithTable w;
  w.ComputeTable();
  QStringList opened;
  bool opens = false;
  w.Table->OpenWithDesktop = [&](const QString& file) {
    opened << file;
    return opens;
  };
  // Window > Excel OLE: a recognisable file in a fresh private folder,
  // handed to the desktop; when nothing opens it, its path is said.
  w.TableMenu("excel")->trigger();
  w.WaitIdle();
  QCOMPARE(opened.size(), 1);
  QVERIFY(opened[0].startsWith(QString::fromStdString(temporary.Folder.Path + "/helmax-table-")));
  QVERIFY(opened[0].endsWith("/Functions table.xlsx"));
  QVERIFY(test::ReadBytes(opened[0].toStdString()).starts_with("PK"));
  QCOMPARE(w.Ui.Messages, Strings{"No program could open the workbook. It was saved as " + opened[0].toStdString()});
  opens = true;
  w.Ui.Clear();
  w.TableMenu("excel")->trigger();
  w.WaitIdle();
  QCOMPARE(opened.size(), 2);
  QVERIFY(opened[0] != opened[1]);  // the first may still be open in the spreadsheet
  QVERIFY(w.Ui.Messages.empty());
  // File > Export .xlsx with its dialog.
  const QString file = QString::fromStdString(w.Dir.File("table"));
  InDialog<QFileDialog>(Pick(file), [&] { w.TableMenu("exportWorkbook")->trigger(); });
  w.WaitIdle();
  QVERIFY(test::ReadBytes(file.toStdString() + ".xlsx").starts_with("PK"));
  QCOMPARE(w.Table->StatusText(), "Exported to " + file + ".xlsx");
}

void TableWindowsTest::EscStopsALongTable() {
  TCalculatorWithTable w;
  w.ComputeTable();
  w.Define("f(x)~Bk(i=0,While(ls(i,300),i=i+1),x)");
  w.SetRange(0, 1000000, 1);
  // Timers fire inside the wait of the running calculation: once the
  // window shows how far the table has come, Esc.
  bool progressShown = false, busy = false;
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [&, poll](int tries) {
    if (w.Table->findChild<QProgressBar*>("progress")->isVisible() || tries == 0) {
      progressShown = w.Table->findChild<QProgressBar*>("progress")->isVisible();
      busy = w.Table->Busy();
      QTest::keyClick(w.Table, Qt::Key_Escape);
    } else {
      QTimer::singleShot(50, [poll, tries] { (*poll)(tries - 1); });
    }
  };
  QTimer::singleShot(50, [poll] { (*poll)(100); });
  w.ComputeTable();
  QVERIFY(progressShown);
  QVERIFY(busy);
  QVERIFY(w.Table->isVisible());  // Esc stopped the work; it did not close
  QCOMPARE(w.Grid()->rowCount(), 2001);
  QCOMPARE(w.Cell(0, 2), QString::fromStdString(ValueToText(TValue::MakeReal(std::sin(-100.0)))));
  QCOMPARE(w.Table->StatusText(), QString("Stopped: the table is as it was"));
  QVERIFY(!w.Table->findChild<QProgressBar*>("progress")->isVisible());
  QVERIFY(w.Ui.Messages.empty());
}

// While a long table is computed, the main window goes on: typing gives
// results, its Esc stops only its own evaluation, and the results are not
// emptied; the table's Esc stops the table.
void TableWindowsTest::TypingGoesOnDuringATable() {
  TCalculatorWithTable w;
  QPlainTextEdit* pane = w.Form->ExpressionsPane();
  auto retype = [pane](const QString& text) {
    pane->setFocus();
    pane->selectAll();
    QTest::keyClicks(pane, text);
  };
  auto results = [&] { return w.Form->ResultsPane()->toPlainText(); };
  w.Define("f(x)~Bk(i=0,While(ls(i,300),i=i+1),x)");
  retype("1+1");
  w.WaitIdle();
  QCOMPARE(results(), QString("2"));
  w.SetRange(0, 1000000, 1);
  QString typedResult, stoppedResult;
  bool busyAfterTyping = false, busyAfterMainEsc = false;
  // Each step once the one before has shown its effect (or after a while).
  struct TStep {
    std::function<bool()> Ready;
    std::function<void()> Act;
  };
  const std::vector<TStep> steps = {
      {[&] { return w.Table->findChild<QProgressBar*>("progress")->isVisible(); },
       [&] { QTest::keyClicks(pane, "+4"); }},
      {[&] { return results() == "6"; },
       [&] {
         typedResult = results();
         busyAfterTyping = w.Table->Busy();
         retype("Bk(j=0,While(ls(j,90000),Bk(k=0,While(ls(k,90000),k=k+1),j=j+1)),j)");  // long: Esc stops it
       }},
      {[&] { return false; }, [&] { QTest::keyClick(pane, Qt::Key_Escape); }},
      {[&] { return results().contains("stopped"); },
       [&] {
         stoppedResult = results();
         busyAfterMainEsc = w.Table->Busy();
         retype("2*3");
       }},
      {[&] { return results() == "6"; }, [&] { QTest::keyClick(w.Table, Qt::Key_Escape); }}};
  auto next = std::make_shared<std::function<void(std::size_t, int)>>();
  *next = [&, next](std::size_t step, int tries) {
    if (steps[step].Ready() || tries == 0) {
      steps[step].Act();
      if (step + 1 < steps.size()) QTimer::singleShot(50, [next, step] { (*next)(step + 1, 10); });
    } else {
      QTimer::singleShot(50, [next, step, tries] { (*next)(step, tries - 1); });
    }
  };
  QTimer::singleShot(50, [next] { (*next)(0, 100); });
  w.ComputeTable();
  w.WaitIdle();
  QCOMPARE(typedResult, QString("6"));
  QVERIFY(busyAfterTyping);
  QVERIFY2(stoppedResult.contains("stopped"), qPrintable(stoppedResult));
  QVERIFY(busyAfterMainEsc);  // the main window's Esc left the table
  QCOMPARE(w.Table->StatusText(), QString("Stopped: the table is as it was"));
  QCOMPARE(pane->toPlainText(), QString("2*3"));
  QCOMPARE(results(), QString("6"));  // evaluated again with the definitions
  QVERIFY(w.Ui.Messages.empty());
  // A table that ends on its own leaves the results as they were.
  w.SetRange(0, 10, 1);
  w.ComputeTable();
  w.WaitIdle();
  QCOMPARE(w.Table->StatusText(), QString("11 points"));
  QCOMPARE(results(), QString("6"));
}

// A refusal is a message and nothing else: no progress meanwhile, and the
// table and its status as they were.
void TableWindowsTest::ARefusalShowsNoProgress() {
  struct TWaitingUi : TMessageRecorder {
    QWidget* Progress = nullptr;
    bool ProgressSeen = false;
    void ShowMessage(const std::string& text) override {
      TMessageRecorder::ShowMessage(text);
      // The user reads the message for a while.
      for (int i = 0; i < 10; ++i) {
        QTest::qWait(60);
        ProgressSeen = ProgressSeen || (Progress != nullptr && Progress->isVisible());
      }
    }
  };
  TWaitingUi ui;
  test::TTempFolder dir;
  TMainWindow form(TCalculatorFiles{dir.Folder(), dir.File("helmax-calc.ini"), dir.File("helmax-calc.log"),
                                    dir.File("helmax-calc.txt")},
                   &ui);
  form.show();
  QTRY_VERIFY(form.Idle());
  form.Action("table")->trigger();
  QTRY_VERIFY(form.Idle());
  ui.Progress = form.FunctionTable()->findChild<QProgressBar*>("progress");
  form.Calculator().SetParameter(parFrom, 0);
  form.Calculator().SetParameter(parTo, 1048575);
  form.Calculator().SetParameter(parStep, 1);
  form.Action("table")->trigger();
  QTRY_VERIFY(form.Idle());
  QCOMPARE(ui.Messages, Strings{"Too many points: 1048576"});
  QVERIFY(!ui.ProgressSeen);
  QCOMPARE(form.FunctionTable()->StatusText(), QString("2001 points"));
  QCOMPARE(form.FunctionTable()->Grid()->model()->rowCount(), 2001);
}

void TableWindowsTest::ChartLegendShowsAndHides() {
  TCalculatorWithTable w;
  w.Define("f(x)~sin(x), g(x)~1/x");
  w.ComputeTable();
  w.TableMenu("chart")->trigger();
  QListWidget* legend = w.Chart->Legend();
  QCOMPARE(legend->count(), 2);
  QCOMPARE(legend->item(0)->text() + " " + legend->item(1)->text(), QString("f(x) g(x)"));
  QCOMPARE(legend->item(1)->checkState(), Qt::Checked);
  // 1/x has a gap at 0: two runs of line.
  QCOMPARE(w.Chart->Lines(1).size(), std::size_t{2});
  QCOMPARE(w.Chart->Lines(0).size(), std::size_t{1});
  QCOMPARE(w.Chart->AxisX()->min(), -100.0);
  QCOMPARE(w.Chart->AxisX()->max(), 100.0);
  // From the keyboard: the legend has the focus; Space on g(x) hides it.
  QCOMPARE(w.Chart->focusWidget(), static_cast<QWidget*>(legend));
  QTest::keyClick(legend, Qt::Key_Down);
  QTest::keyClick(legend, Qt::Key_Space);
  QCOMPARE(legend->item(1)->checkState(), Qt::Unchecked);
  for (QLineSeries* line : w.Chart->Lines(1)) QVERIFY(!line->isVisible());
  QVERIFY(w.Chart->Lines(0)[0]->isVisible());
  QVERIFY(w.Chart->AxisY()->max() <= 2);  // the range follows the lines shown
  legend->item(1)->setCheckState(Qt::Checked);
  for (QLineSeries* line : w.Chart->Lines(1)) QVERIFY(line->isVisible());
  QVERIFY(w.Chart->AxisY()->max() >= 10);
}

void TableWindowsTest::ChartEditorChangesApplyAtOnce() {
  TCalculatorWithTable w;
  w.ComputeTable();
  w.TableMenu("chart")->trigger();
  w.ChartMenu("chartEditor")->trigger();
  TChartEditorDialog* editor = w.Chart->Editor();
  QVERIFY(editor->isVisible());
  QCOMPARE(editor->XFields().Title->text(), QString("x"));
  QTest::keyClicks(editor->TitleEdit(), "Sine");
  QCOMPARE(w.Chart->Chart()->title(), QString("Sine"));
  // A fixed x range, typed; a bad one is marked and left out.
  editor->XFields().Automatic->click();
  editor->XFields().Min->clear();
  QTest::keyClicks(editor->XFields().Min, "-5");
  editor->XFields().Max->clear();
  QTest::keyClicks(editor->XFields().Max, "5");
  QCOMPARE(w.Chart->AxisX()->min(), -5.0);
  QCOMPARE(w.Chart->AxisX()->max(), 5.0);
  QVERIFY(w.Chart->DrawnPointCount(0) <= 103);  // -5.1 .. 5.1: the points of that range
  QTest::keyClicks(editor->XFields().Max, "x");
  QVERIFY(!editor->XFields().Max->styleSheet().isEmpty());
  QCOMPARE(w.Chart->AxisX()->max(), 5.0);
  editor->GridBox()->click();
  QVERIFY(!w.Chart->AxisX()->isGridLineVisible());
  editor->SeriesTable()->findChild<QSpinBox*>("width0")->setValue(4);
  QCOMPARE(w.Chart->Lines(0)[0]->pen().width(), 4);
  InDialog<QColorDialog>(
      [](QColorDialog* d) {
        d->setCurrentColor(QColor(10, 20, 30));
        d->accept();
      },
      [&] { editor->ChooseColor(0); });
  QCOMPARE(w.Chart->Lines(0)[0]->pen().color(), QColor(10, 20, 30));
  editor->SeriesTable()->findChild<QCheckBox*>("visible0")->click();
  QVERIFY(!w.Chart->Lines(0)[0]->isVisible());
  QCOMPARE(w.Chart->Legend()->item(0)->checkState(), Qt::Unchecked);
  // The changes stay until Refresh.
  w.Chart->hide();
  w.Chart->show();
  QCOMPARE(w.Chart->Chart()->title(), QString("Sine"));
  // Refresh (and Window > Chart) keep them while the functions keep their
  // names.
  w.ChartMenu("refresh")->trigger();
  QCOMPARE(w.Chart->Chart()->title(), QString("Sine"));
  QCOMPARE(w.Chart->AxisX()->max(), 5.0);
  QCOMPARE(w.Chart->Lines(0)[0]->pen().width(), 4);
  QVERIFY(!w.Chart->AxisX()->isGridLineVisible());
  w.TableMenu("chart")->trigger();
  QCOMPARE(w.Chart->Lines(0)[0]->pen().color(), QColor(10, 20, 30));
  // Other functions: the default look.
  w.Define("g(x)~cos(x)");
  w.ComputeTable();
  w.ChartMenu("refresh")->trigger();
  QCOMPARE(w.Chart->Chart()->title(), QString());
  QCOMPARE(w.Chart->AxisX()->max(), 100.0);
  QVERIFY(w.Chart->Lines(0)[0]->isVisible());
  QVERIFY(w.Chart->AxisX()->isGridLineVisible());
  QVERIFY(editor->XFields().Automatic->isChecked());  // the open editor shows the defaults
}

void TableWindowsTest::AMillionPointsAreDrawnReduced() {
  TCalculatorWithTable w;
  w.SetRange(0, 100000, 0.1);
  w.ComputeTable();
  QCOMPARE(w.Table->StatusText(), QString("1000001 points"));
  QCOMPARE(w.Grid()->rowCount(), 1000001);
  w.TableMenu("chart")->trigger();
  // Drawn again for the plot's width once the window is laid out.
  QTRY_COMPARE(w.Chart->DrawnColumns(), static_cast<int>(w.Chart->Chart()->plotArea().width()));
  const int width = w.Chart->DrawnColumns();
  QVERIFY(width > 300);
  QCOMPARE(w.Chart->Data().X.size(), std::size_t{1000001});  // the data stay whole
  QVERIFY(w.Chart->DrawnPointCount(0) > width);
  QVERIFY(w.Chart->DrawnPointCount(0) <= 4 * (width + 2));
  // Sine's peaks survive the reduction.
  double high = -2;
  for (const QPointF& p : w.Chart->Lines(0)[0]->points()) high = std::max(high, p.y());
  QVERIFY(high > 0.9999);
}

// The axes label their ticks as the calculator writes numbers: 1E6 and
// -2.5E-7, never 1e+06; a fixed range of the editor is labelled the same.
void TableWindowsTest::ChartAxesWriteTheCalculatorsNumbers() {
  TCalculatorWithTable w;
  w.Define("f(x)~-x*2.5e-13");
  w.SetRange(0, 2e6, 1e4);
  w.ComputeTable();
  w.TableMenu("chart")->trigger();
  const QStringList x = w.Chart->AxisX()->categoriesLabels(), y = w.Chart->AxisY()->categoriesLabels();
  QVERIFY2(x.contains("1E6") && x.contains("2E6"), qPrintable(x.join(' ')));
  QVERIFY2(y.contains("-2.5E-7") || y.contains("-2E-7"), qPrintable(y.join(' ')));
  for (const QString& label : x + y) QVERIFY2(!label.contains('e') && !label.contains('+'), qPrintable(label));
  QVERIFY(w.Chart->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-chart-exponents.png"));
  TChartStyle style = w.Chart->Style();
  style.X.Automatic = false;
  style.X.Range = {-1e6, 1e6};
  w.Chart->ApplyStyle(style);
  QCOMPARE(w.Chart->AxisX()->min(), -1e6);
  QVERIFY2(w.Chart->AxisX()->categoriesLabels().contains("-1E6"),
           qPrintable(w.Chart->AxisX()->categoriesLabels().join(' ')));
}

void TableWindowsTest::Screenshots() {
  TCalculatorWithTable w;
  w.ComputeTable();
  w.Table->resize(520, 420);
  QApplication::processEvents();
  w.Table->Grid()->scrollTo(w.Grid()->index(1000, 2), QAbstractItemView::PositionAtCenter);
  QApplication::processEvents();
  QVERIFY(w.Table->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-table.png"));
  // Many functions: "#" and x stay while the others scroll under them.
  w.Define("f(x)~sin(x), g(x)~cos(x), h(x)~x^2, k(x)~1/x, m(x)~exp(x)");
  w.ComputeTable();
  // Opened wide enough for its columns, up to the screen's width.
  const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
  QVERIFY2(w.Table->width() >= screenWidth - 10 && w.Table->frameGeometry().width() <= screenWidth,
           qPrintable(QString::number(w.Table->width())));
  w.Table->resize(520, 420);
  QApplication::processEvents();
  w.Table->Grid()->horizontalScrollBar()->setValue(w.Table->Grid()->horizontalScrollBar()->maximum() - 40);
  QApplication::processEvents();
  QVERIFY(w.Table->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-table-scrolled.png"));
  // The chart of a few functions that share a scale.
  w.Define("f(x)~sin(x), g(x)~cos(x)*0.5, h(x)~sin(x)*cos(x/3)");
  w.SetRange(-10, 10, 0.05);
  w.ComputeTable();
  w.TableMenu("chart")->trigger();
  w.Chart->resize(760, 480);
  QTRY_VERIFY(w.Chart->Chart()->plotArea().width() > 0);
  QTest::qWait(100);
  QVERIFY(w.Chart->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-chart.png"));
  w.ChartMenu("chartEditor")->trigger();
  QApplication::processEvents();
  QVERIFY(w.Chart->Editor()->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-chart-editor.png"));
}

QTEST_MAIN(TableWindowsTest)
#include "tablewindows_test.moc"
