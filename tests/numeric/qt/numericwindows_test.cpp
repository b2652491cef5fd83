// The three numerical tool windows driven as a user drives them, offscreen:
// opened from Functions, calculating on the core's worker, cancelled with
// Esc, asking before unsaved systems and sheets are dropped.
#include <QApplication>
#include <QClipboard>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "IntegrationWindow.h"
#include "InterpolationSheets.h"
#include "InterpolationWindow.h"
#include "LinearSystemWindow.h"
#include "MainWindow.h"

using namespace helmax;

namespace {

using Strings = std::vector<std::string>;

using test::InDialog;

struct TCalculatorWindow : test::TCalculatorWindowFixture {
  TCalculatorWindow() { Start(Files(test::kConstantsFile)); }
  // Types the expressions pane and gives the results once calculated.
  QString Evaluate(const QString& expressions) {
    Form->ExpressionsPane()->setPlainText(expressions);
    WaitIdle();
    return Form->ResultsPane()->toPlainText();
  }
  void Screenshot(QWidget* w, const char* name) {
    w->show();
    TCalculatorWindowFixture::Screenshot(w, name);
  }
};

}  // namespace

class NumericWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void MenuItemsOpenTheWindows();
  void IntegratesWithTheUserDefinitions();
  void IntegrationCanBeCancelled();
  void LongIntegrationShowsProgressAndItsLimits();
  void InfiniteLimitsInTheWindow();
  void SolvesAndChecksTheCommand();
  void SingularSystemsGiveAMessageAndNoCheck();
  void SystemFilesAndUnsavedEdits();
  void LargeSystemsShowProgressAndStop();
  void SheetsFeedLagrangeInExpressions();
  void TabEntersPointsRowAfterRow();
  void ChartAndValuesFollowTheSheet();
  void SheetsAreAddedAndDeleted();
  void RowsAndOrdination();
  void SheetFilesAndUnsavedEdits();
  void LongSheetReadingShowsProgressAndStops();
  void Screenshots();
};

void NumericWindowsTest::MenuItemsOpenTheWindows() {
  TCalculatorWindow w;
  const std::pair<const char*, QWidget*> tools[] = {{"integral", w.Form->IntegrationWindow()},
                                                    {"systemSolver", w.Form->LinearSystemWindow()},
                                                    {"interpolation", w.Form->InterpolationWindow()}};
  const QStringList captions = {"Numerical Integration", "System of linear equations solver", "Interpolation table"};
  int i = 0;
  for (const auto& [name, window] : tools) {
    QAction* item = w.Form->Action(name);
    QVERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), captions[i++]);
    // Esc closes (hides) a tool window.
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
  }
}

void NumericWindowsTest::IntegratesWithTheUserDefinitions() {
  TCalculatorWindow w;
  TIntegrationWindow* t = w.Form->IntegrationWindow();
  t->ShowWindow();
  t->FunctionBox()->setPlainText("f(x)*3");  // f(x)~Sin(x) of the default definitions
  t->FromEdit()->setText("0");
  t->ToEdit()->setText("pi/2");
  QTest::mouseClick(t->IntegrateButton(), Qt::LeftButton);
  w.WaitIdle();
  QCOMPARE(t->ToLabel()->text(), QString("To: 1.5707963267949"));
  QCOMPARE(t->FromLabel()->text(), QString("From: 0"));
  QVERIFY(std::fabs(t->ResultEdit()->text().toDouble() - 3) < 1e-13);
  // An edit clears the result.
  QTest::keyClick(t->ToEdit(), Qt::Key_1);
  QVERIFY(t->ResultEdit()->text().isEmpty());
  t->FunctionBox()->setPlainText("x, x^2");
  QTest::keyClick(t->ToEdit(), Qt::Key_Return);
  w.WaitIdle();
  QCOMPARE(t->ResultEdit()->text(), QString("Function: Please enter only one function to Integrate!"));
  // Definitions that do not compile: a message box.
  w.Form->DefinitionsPane()->setPlainText("z=1/0");
  w.WaitIdle();
  t->Integrate();
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"Please corect user definitions"});
}

void NumericWindowsTest::IntegrationCanBeCancelled() {
  TCalculatorWindow w;
  TIntegrationWindow* t = w.Form->IntegrationWindow();
  t->ShowWindow();
  // A long function over millions of periods: seconds of evaluations
  // before the run would reach its evaluation cap.
  QString function = "sin(x)";
  for (int k = 1; k < 2000; ++k) function += QString("+sin(x+%1)").arg(k);
  t->FunctionBox()->setPlainText(function);
  t->FromEdit()->setText("1");
  t->ToEdit()->setText("1e7");
  // The run holds this thread in its event loop: what happens meanwhile
  // comes from a timer.
  bool running = false, progressShown = false;
  QString typed;
  QTimer::singleShot(500, [&] {
    running = t->Running();
    progressShown = t->findChild<QProgressBar*>("progress")->isVisible();
    t->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-integration-running.png");
    // The window stays responsive: its fields take input meanwhile.
    QTest::keyClicks(t->FromEdit(), "0");
    typed = t->FromEdit()->text();
    QTest::keyClick(t, Qt::Key_Escape);
  });
  t->Integrate();
  w.WaitIdle();
  QVERIFY(running);
  QVERIFY(progressShown);
  QCOMPARE(typed, QString("10"));
  QVERIFY(!t->Running());
  QVERIFY(t->isVisible());
  QCOMPARE(t->ResultEdit()->text(), QString("Calculation stopped"));
  QVERIFY(!t->findChild<QProgressBar*>("progress")->isVisible());
  QCOMPARE(t->FunctionBox()->toPlainText(), function);
}

// A run of seconds: the progress moves with the evaluations and the limits'
// values show from the start, then Cancel.
void NumericWindowsTest::LongIntegrationShowsProgressAndItsLimits() {
  TCalculatorWindow w;
  TIntegrationWindow* t = w.Form->IntegrationWindow();
  t->ShowWindow();
  QString function = "sin(x)";
  for (int k = 1; k < 2000; ++k) function += QString("+sin(x+%1)").arg(k);
  t->FunctionBox()->setPlainText(function);
  t->FromEdit()->setText("0");
  t->ToEdit()->setText("pi*1e6");
  auto* bar = t->findChild<QProgressBar*>("progress");
  int progressSeen = 0;
  QString fromSeen, toSeen, evaluationsSeen, barText;
  QTimer poll;
  connect(&poll, &QTimer::timeout, [&] {
    if (!t->Running()) return;
    fromSeen = t->FromLabel()->text();
    toSeen = t->ToLabel()->text();
    evaluationsSeen = t->EvaluationsLabel()->text();
    progressSeen = bar->value();
    barText = bar->text();
    if (progressSeen > 0) {
      poll.stop();
      QVERIFY(t->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/helmax-integration-progress.png"));
      QTest::mouseClick(t->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    }
  });
  poll.start(20);
  t->Integrate();
  w.WaitIdle();
  QVERIFY(progressSeen > 0);
  // Below 10% the bar shows tenths of a percent, so that its text moves too.
  QVERIFY2(barText.endsWith("%") && barText != "0.0%", qPrintable(barText));
  QCOMPARE(fromSeen, QString("From: 0"));
  QCOMPARE(toSeen, QString("To: 3141592.65358979"));
  QVERIFY2(evaluationsSeen.startsWith("Evaluations: "), qPrintable(evaluationsSeen));
  QCOMPARE(t->ResultEdit()->text(), QString("Calculation stopped"));
}

void NumericWindowsTest::InfiniteLimitsInTheWindow() {
  TCalculatorWindow w;
  TIntegrationWindow* t = w.Form->IntegrationWindow();
  t->ShowWindow();
  t->FunctionBox()->setPlainText("exp(-x^2)");
  t->FromEdit()->setText("-inf");
  t->ToEdit()->setText("inf");
  t->Integrate();
  w.WaitIdle();
  QCOMPARE(t->FromLabel()->text(), QString("From: -INF"));
  QCOMPARE(t->ToLabel()->text(), QString("To: INF"));
  QCOMPARE(t->ResultEdit()->text(), QString("1.77245385090552"));
  QVERIFY(t->EvaluationsLabel()->text().startsWith("Evaluations: "));
  w.Screenshot(t, "helmax-integration-infinite.png");
}

void NumericWindowsTest::SolvesAndChecksTheCommand() {
  TCalculatorWindow w;
  TLinearSystemWindow* s = w.Form->LinearSystemWindow();
  s->ShowWindow();
  s->CommandAction(TSystemCommand::Solve)->trigger();
  w.WaitIdle();
  const QStringList lines = s->ResultsBox()->toPlainText().split('\n');
  QCOMPARE(lines.size(), 4);
  QCOMPARE(lines[0], QString("Solution:"));
  QVERIFY(lines[1].startsWith("x = 13.57730138411"));
  QVERIFY(s->CommandAction(TSystemCommand::Solve)->isChecked());
  s->CommandAction(TSystemCommand::Determinant)->trigger();
  w.WaitIdle();
  QVERIFY(s->ResultsBox()->toPlainText().startsWith("Determinant = 1.767656128491"));
  QVERIFY(!s->CommandAction(TSystemCommand::Solve)->isChecked());
  QVERIFY(s->CommandAction(TSystemCommand::Determinant)->isChecked());
  s->EquationsBox()->setPlainText("x*y-1, x-y, z");
  s->CommandAction(TSystemCommand::RightPart)->trigger();
  w.WaitIdle();
  QCOMPARE(s->ResultsBox()->toPlainText(), QString("System of equations is not linear"));
  for (int c = 0; c < 5; ++c) QVERIFY(!s->CommandAction(static_cast<TSystemCommand>(c))->isChecked());
  QVERIFY(w.Ui.Messages.empty());
}

void NumericWindowsTest::SingularSystemsGiveAMessageAndNoCheck() {
  TCalculatorWindow w;
  TLinearSystemWindow* s = w.Form->LinearSystemWindow();
  s->VariablesBox()->setPlainText("x,y");
  s->EquationsBox()->setPlainText("x+y,\n2*x+2*y-1");
  s->CommandAction(TSystemCommand::Inverse)->trigger();
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"System is ill conditioned: Determinat is zero"});
  QVERIFY(s->ResultsBox()->toPlainText().isEmpty());
  QVERIFY(!s->CommandAction(TSystemCommand::Inverse)->isChecked());
}

void NumericWindowsTest::SystemFilesAndUnsavedEdits() {
  TCalculatorWindow w;
  TLinearSystemWindow* s = w.Form->LinearSystemWindow();
  QVERIFY(!s->SaveAction()->isEnabled());
  const QString file = QString::fromStdString(w.Dir.File("two.sle"));
  s->VariablesBox()->setPlainText("a,b");
  s->EquationsBox()->setPlainText("a+b-3,\na-b-1");
  QVERIFY(s->SaveAsFile(file));
  QCOMPARE(s->windowTitle(), file);
  QVERIFY(s->SaveAction()->isEnabled());
  // Edited, then Open: asked; No keeps the edits.
  s->EquationsBox()->setPlainText("a+b-5,\na-b-1");
  w.Ui.Answers = {false};
  s->Open();
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  QCOMPARE(s->EquationsBox()->toPlainText(), QString("a+b-5,\na-b-1"));
  s->OpenFile(file);
  QCOMPARE(s->EquationsBox()->toPlainText(), QString("a+b-3,\na-b-1"));
  // A file that is not a system: "Bad file format", Save disabled.
  test::WriteBytes(w.Dir.File("bad.sle"), "{x}");
  s->OpenFile(QString::fromStdString(w.Dir.File("bad.sle")));
  QCOMPARE(w.Ui.Messages, Strings{"Bad file format"});
  QVERIFY(!s->SaveAction()->isEnabled());
  QCOMPARE(s->windowTitle(), QString("System of linear equations solver"));
  // Leaving with unsaved edits: asked; No keeps the program running.
  s->EquationsBox()->setPlainText("a+b");
  w.Ui.Clear();
  // "ARE YOU SURE ?" has a Cancel too: No (or Cancel) keeps it running.
  w.Ui.ChoiceAnswers = {TAnswer::No};
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  w.Ui.ChoiceAnswers = {TAnswer::Yes};
  QVERIFY(w.Form->close());
}

void NumericWindowsTest::LargeSystemsShowProgressAndStop() {
  TCalculatorWindow w;
  TLinearSystemWindow* s = w.Form->LinearSystemWindow();
  s->ShowWindow();
  // 600 dense equations: a second or more of building.
  const int n = 600;
  QString vars, eqs;
  for (int i = 0; i < n; ++i) {
    vars += QString(i > 0 ? "," : "") + "v" + QString::number(i);
    if (i > 0) eqs += ",\n";
    for (int j = 0; j < n; ++j)
      eqs += QString(j > 0 ? "+" : "") + QString::number(i == j ? 1000 : 1) + "*v" + QString::number(j);
    eqs += "-1";
  }
  s->VariablesBox()->setPlainText(vars);
  s->EquationsBox()->setPlainText(eqs);
  bool progressShown = false;
  QTimer::singleShot(150, [&] {
    progressShown = s->findChild<QProgressBar*>("progress")->isVisible();
    QTest::keyClick(s, Qt::Key_Escape);
  });
  s->CommandAction(TSystemCommand::Solve)->trigger();
  w.WaitIdle();
  QVERIFY(progressShown);
  QCOMPARE(s->ResultsBox()->toPlainText(), QString("Calculation stopped"));
  QVERIFY(!s->CommandAction(TSystemCommand::Solve)->isChecked());
  QVERIFY(s->isVisible());
  QCOMPARE(s->EquationsBox()->toPlainText(), eqs);
}

void NumericWindowsTest::SheetsFeedLagrangeInExpressions() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->ShowWindow();
  QAbstractItemModel* grid = win->Grid(0)->model();
  QCOMPARE(grid->headerData(0, Qt::Horizontal).toString() + grid->headerData(1, Qt::Horizontal).toString() +
               grid->headerData(2, Qt::Horizontal).toString(),
           QString("#xf(x)"));
  const char* points[][2] = {{"0", "0"}, {"1", "1"}, {"2", "4"}, {"3", "9"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 1; c <= 2; ++c) grid->setData(grid->index(r, c), points[r][c - 1], Qt::EditRole);
  w.Form->Calculator().InterpolationSheets().SetRowCount(0, 4);
  QCOMPARE(w.Evaluate("Lagrange(1.5, 1)"), QString("2.25"));
  // Pasting 16 over the last f(x) makes the points stale.
  win->Grid(0)->setCurrentIndex(grid->index(3, 2));
  QApplication::clipboard()->setText("16");
  QTest::keySequence(win->Grid(0), QKeySequence::Paste);
  QCOMPARE(grid->index(3, 2).data().toString(), QString("16"));
  QCOMPARE(w.Evaluate("Lagrange(1.5, 1)+0"), QString("1.8125"));
  // Delete clears the selected cells.
  win->Grid(0)->setCurrentIndex(grid->index(3, 1));
  QTest::keyClick(win->Grid(0), Qt::Key_Delete);
  QCOMPARE(grid->index(3, 1).data().toString(), QString());
}

// Keys as the user types them, each to the widget that has the focus (the
// grid, or the cell's editor); "\t" is Tab, "\b" Shift+Tab.
static void Type(QWidget* window, const QString& keys) {
  for (const QChar c : keys) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
    if (c == '\t') QTest::keyClick(target, Qt::Key_Tab);
    else if (c == '\b') QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
    else QTest::keyClicks(target, QString(c));
  }
}

void NumericWindowsTest::TabEntersPointsRowAfterRow() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->ShowWindow();
  win->findChild<QAction*>("addSheet")->trigger();
  QTableView* view = win->Grid(1);
  QAbstractItemModel* grid = view->model();
  QApplication::setActiveWindow(win);
  QVERIFY(QTest::qWaitForWindowActive(win));
  view->setFocus();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(grid->index(0, 1)).center());
  Type(view, "0\t0\t1\t1\t2\t4\t3\t9\t");
  auto rows = [grid] {
    QStringList cells;
    for (int r = 0; r < grid->rowCount(); ++r)
      cells << grid->index(r, 1).data().toString() + "," + grid->index(r, 2).data().toString();
    return cells.join(" ");
  };
  QCOMPARE(rows(), QString("0,0 1,1 2,4 3,9 , , , , , ,"));
  // The edit goes on in row 5's x; Shift+Tab goes back to row 4's f(x).
  Type(view, "\b16\t");
  QCOMPARE(rows(), QString("0,0 1,1 2,4 3,16 , , , , , ,"));
  QCOMPARE(view->currentIndex(), grid->index(4, 1));
  w.Screenshot(win, "helmax-interpolation-tab.png");
  // A digit typed on a row number changes nothing and goes nowhere.
  QTest::keyClick(view, Qt::Key_Escape);
  view->setCurrentIndex(grid->index(6, 0));
  Type(view, "1");
  QCOMPARE(view->currentIndex(), grid->index(6, 0));
  QCOMPARE(rows(), QString("0,0 1,1 2,4 3,16 , , , , , ,"));
}

void NumericWindowsTest::ChartAndValuesFollowTheSheet() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->ShowWindow();
  auto fill = [&](const std::vector<std::pair<QString, QString>>& points) {
    InDialog<TRowsCountDialog>(
        [&](TRowsCountDialog* d) {
          d->CountEdit()->setText(QString::number(points.size()));
          d->accept();
        },
        [&] { win->AddRows(); });
    QAbstractItemModel* grid = win->Grid(0)->model();
    for (int r = 0; r < static_cast<int>(points.size()); ++r) {
      grid->setData(grid->index(r, 1), points[r].first, Qt::EditRole);
      grid->setData(grid->index(r, 2), points[r].second, Qt::EditRole);
    }
  };
  // x^2 through four points; the natural spline gives 2.2 at 1.5 (worked
  // out in the core's test).
  fill({{"0", "0"}, {"1", "1"}, {"2", "4"}, {"3", "9"}});
  QTest::keyClicks(win->EvaluateEdit(), "1.5");
  QTRY_VERIFY(win->ViewCurrent());
  QCOMPARE(win->LagrangeLabel()->text(), QString("Lagrange(x) = 2.25"));
  QCOMPARE(win->SplineLabel()->text(), QString("CubicSpline(x) = 2.2"));
  QCOMPARE(win->PointSeries()->count(), 4);
  QCOMPARE(win->LagrangeSeries()->count(), 200);
  QCOMPARE(win->SplineSeries()->count(), 200);
  const QPointF middle = win->LagrangeSeries()->at(100);
  QVERIFY(std::fabs(middle.y() - middle.x() * middle.x()) < 1e-12);
  QCOMPARE(win->ViewMessage()->text(), QString());
  // Two equal x and an x that does not evaluate are told in the window.
  win->Grid(0)->model()->setData(win->Grid(0)->model()->index(2, 1), "1", Qt::EditRole);
  win->EvaluateEdit()->setText("abc");
  QTRY_VERIFY(win->ViewCurrent());
  QCOMPARE(win->LagrangeLabel()->text(), QString("x: Undefined variable :  abc"));
  QCOMPARE(win->ViewMessage()->text(), QString("Sheet1: rows 2 and 3 have the same x (1)"));
  QVERIFY(w.Ui.Messages.empty());
  // Runge's function: the polynomial swings between the points, the spline
  // does not.
  std::vector<std::pair<QString, QString>> runge;
  for (int k = -5; k <= 5; ++k) runge.push_back({QString::number(k), QString("1/(1+(%1)^2)").arg(k)});
  fill(runge);
  win->EvaluateEdit()->setText("4.5");
  QTRY_VERIFY(win->ViewCurrent());
  QCOMPARE(win->PointSeries()->count(), 11);
  w.Screenshot(win, "helmax-interpolation-chart.png");
}

void NumericWindowsTest::SheetsAreAddedAndDeleted() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->AddSheet();
  win->AddSheet();
  QCOMPARE(win->Tabs()->count(), 3);
  QCOMPARE(win->Tabs()->tabText(2), QString("Sheet&3"));
  QCOMPARE(win->ActiveSheet(), 2);
  QCOMPARE(win->Tabs()->tabPosition(), QTabWidget::South);
  win->Tabs()->setCurrentIndex(0);
  w.Ui.Answers = {false, true};
  win->DeleteSheet();  // No: kept
  QCOMPARE(win->Tabs()->count(), 3);
  win->DeleteSheet();
  QCOMPARE(win->Tabs()->count(), 2);
  QCOMPARE(win->Tabs()->tabText(1), QString("Sheet&2"));
  QCOMPARE(w.Ui.Questions, (Strings{"ARE YOU SURE ?", "ARE YOU SURE ?"}));
}

void NumericWindowsTest::RowsAndOrdination() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->ShowWindow();
  InDialog<TRowsCountDialog>(
      [](TRowsCountDialog* d) {
        d->CountEdit()->setText("3");
        d->accept();
      },
      [&] { win->findChild<QAction*>("addRows")->trigger(); });
  QAbstractItemModel* grid = win->Grid(0)->model();
  QCOMPARE(grid->rowCount(), 3);
  QCOMPARE(grid->index(2, 0).data().toString(), QString("3"));
  const char* points[][2] = {{"3", "30"}, {"1", "10"}, {"2", "20"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 1; c <= 2; ++c) grid->setData(grid->index(r, c), points[r][c - 1], Qt::EditRole);
  win->findChild<QAction*>("ordination")->trigger();
  w.WaitIdle();
  QCOMPARE(
      grid->index(0, 1).data().toString() + grid->index(1, 1).data().toString() + grid->index(2, 1).data().toString(),
      QString("123"));
  QCOMPARE(grid->index(0, 2).data().toString(), QString("10"));
  // A cell that does not evaluate: the message names it, nothing moves.
  grid->setData(grid->index(0, 1), "abc", Qt::EditRole);
  win->Ordination();
  w.WaitIdle();
  QCOMPARE(w.Ui.Messages, Strings{"Sheet1: Interpolation x[1]: Undefined variable :  abc"});
  InDialog<TDeleteRowsDialog>(
      [](TDeleteRowsDialog* d) {
        d->FromEdit()->setText("1");
        d->CountEdit()->setText("2");
        d->accept();
      },
      [&] { win->DeleteRows(); });
  QCOMPARE(grid->rowCount(), 1);
  QCOMPARE(grid->index(0, 1).data().toString(), QString("3"));
}

void NumericWindowsTest::SheetFilesAndUnsavedEdits() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  QAbstractItemModel* grid = win->Grid(0)->model();
  QVERIFY(!win->findChild<QAction*>("save")->isEnabled());
  grid->setData(grid->index(0, 1), "max(1,2)", Qt::EditRole);
  const QString file = QString::fromStdString(w.Dir.File("points.dat"));
  QVERIFY(!win->SaveAsFile(file));
  QCOMPARE(w.Ui.Messages.size(), 1u);
  grid->setData(grid->index(0, 1), "2", Qt::EditRole);
  QVERIFY(win->SaveAsFile(file));
  QCOMPARE(win->windowTitle(), file);
  QVERIFY(win->findChild<QAction*>("save")->isEnabled());
  win->AddSheet();
  QCOMPARE(win->windowTitle(), QString("Interpolation table"));
  QVERIFY(!win->findChild<QAction*>("save")->isEnabled());
  win->OpenFile(file);
  QCOMPARE(win->Grid(1)->model()->index(0, 1).data().toString(), QString("2"));
  QCOMPARE(win->windowTitle(), file);
  // Unsaved edits are asked about when the program ends.
  win->Grid(1)->model()->setData(win->Grid(1)->model()->index(0, 2), "7", Qt::EditRole);
  w.Ui.Clear();
  // "ARE YOU SURE ?" has a Cancel too: No (or Cancel) keeps it running.
  w.Ui.ChoiceAnswers = {TAnswer::No};
  QVERIFY(!w.Form->close());
  QCOMPARE(w.Ui.Questions, Strings{"ARE YOU SURE ?"});
  w.Ui.ChoiceAnswers = {TAnswer::Yes};
  QVERIFY(w.Form->close());
}

void NumericWindowsTest::LongSheetReadingShowsProgressAndStops() {
  TCalculatorWindow w;
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  win->ShowWindow();
  // A million points whose cells the engine must compile: seconds of
  // reading.
  TInterpolationSheets& sheets = w.Form->Calculator().InterpolationSheets();
  const int rows = 1000000;
  sheets.SetRowCount(0, rows);
  for (int r = 0; r < rows; ++r) {
    sheets.SetCell(0, r, scX, std::to_string(r) + "+0");
    sheets.SetCell(0, r, scF, "sin(" + std::to_string(r % 7) + ")*(1+2+3+4+5+6+7+8+9+10)/55");
  }
  // Cancel as soon as the progress shows (the reading yields to events).
  bool progressShown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (progressShown || !win->findChild<QProgressBar*>("progress")->isVisible()) return;
    progressShown = true;
    QTest::mouseClick(win->findChild<QPushButton*>("cancel"), Qt::LeftButton);
  });
  poll.start(5);
  const QString results = w.Evaluate("CubicSpline(5.5, 1)");
  QVERIFY(progressShown);
  QVERIFY2(results.contains("calculation stopped"), qPrintable(results));
  QTRY_VERIFY(!win->findChild<QProgressBar*>("progress")->isVisible());
  // Nothing was lost: the sheet still holds every row.
  QCOMPARE(win->Grid(0)->model()->rowCount(), rows);
}

void NumericWindowsTest::Screenshots() {
  TCalculatorWindow w;
  TIntegrationWindow* t = w.Form->IntegrationWindow();
  t->FunctionBox()->setPlainText("exp(-x^2)");
  t->FromEdit()->setText("-3");
  t->ToEdit()->setText("pi");
  t->Integrate();
  w.WaitIdle();
  w.Screenshot(t, "helmax-integration.png");
  TLinearSystemWindow* s = w.Form->LinearSystemWindow();
  s->CommandAction(TSystemCommand::InitialMatrix)->trigger();
  w.WaitIdle();
  w.Screenshot(s, "helmax-linear-system.png");
  TInterpolationWindow* win = w.Form->InterpolationWindow();
  QAbstractItemModel* grid = win->Grid(0)->model();
  const char* points[][2] = {{"0", "0"}, {"pi/4", "sin(pi/4)"}, {"pi/2", "1"}, {"3*pi/4", "sin(3*pi/4)"}, {"pi", "0"}};
  for (int r = 0; r < 5; ++r)
    for (int c = 1; c <= 2; ++c) grid->setData(grid->index(r, c), points[r][c - 1], Qt::EditRole);
  win->AddSheet();
  win->Tabs()->setCurrentIndex(0);
  w.Screenshot(win, "helmax-interpolation.png");
}

QTEST_MAIN(NumericWindowsTest)
#include "numericwindows_test.moc"
