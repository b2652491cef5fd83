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

#include <QPainter>
#include <QPushButton>
#include <filesystem>
#include "CalculatorWindowFixture.h"
#include "ChartWindow.h"
#include "ConstantListWindow.h"
#include "ConstantsLibrary.h"
#include "ConstantsLibraryWindow.h"
#include "ConversionTable.h"
#include "ConversionTableWindow.h"
#include "DerivativeWindow.h"
#include "ElementWindow.h"
#include "EquivalenceWindow.h"
#include "ExchangeHistoryWindow.h"
#include "ExchangeWindow.h"
#include "FunctionTableWindow.h"
#include "HelpWindow.h"
#include "IntegrationWindow.h"
#include "InterpolationWindow.h"
#include "LinearSystemWindow.h"
#include "MainWindow.h"
#include "PeriodicTableWindow.h"
#include "QtUserInterface.h"
#include "UnitConversionWindow.h"
#include "UnitGraphWindow.h"

using namespace helmax;

namespace {

// A calculator with its files in a fresh folder and recorded messages.
struct TCalculatorWindow : test::TCalculatorWindowFixture {
  TCalculatorWindow() {
    Form = std::make_unique<TMainWindow>(Files(test::kNoOptionalFiles), &Ui);
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
  void ToolBoxesOpenOverTheTool();
  void ExitQuestionsNameTheirWindowAndCancel();
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
  // The other tools, from the main menus and from the tool windows' menus,
  // with several of them open: each comes in front and takes the keyboard.
  w.Form->ExchangeWindow()->SampleFile.clear();
  const std::tuple<QWidget*, const char*, QWidget*> more[] = {
      {w.Form.get(), "conversionTables", w.Form->ConversionTableWindow()},
      {w.Form->ConversionTableWindow(), "graph", w.Form->GraphWindow()},
      {w.Form.get(), "periodicTable", w.Form->PeriodicTableWindow()},
      {w.Form->PeriodicTableWindow(), "element", w.Form->ElementWindow()},
      {w.Form.get(), "exchange", w.Form->ExchangeWindow()},
      {w.Form->ExchangeWindow(), "history", w.Form->ExchangeWindow()->HistoryWindow()},
      {w.Form.get(), "conversion", w.Form->ConversionWindow()},
      {w.Form.get(), "integral", w.Form->IntegrationWindow()},
      {w.Form.get(), "systemSolver", w.Form->LinearSystemWindow()},
      {w.Form.get(), "interpolation", w.Form->InterpolationWindow()}};
  for (const auto& [from, item, tool] : more) {
    QAction* action = from->findChild<QAction*>(item);
    QVERIFY2(action != nullptr, item);
    action->trigger();
    QVERIFY2(QTest::qWaitForWindowActive(tool), item);
    QVERIFY2(tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint), item);
  }
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
    QVERIFY2(area.contains(tool->frameGeometry()),
             qPrintable(QString(item) + " " + QString::number(tool->frameGeometry().bottom())));
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

namespace {

// The calculator with message boxes of its own (no recorder).
struct TCalculatorWithBoxes {
  test::TTempFolder Dir;
  std::unique_ptr<TMainWindow> Form;
  TCalculatorWithBoxes() {
    Form = std::make_unique<TMainWindow>(TCalculatorFiles{Dir.Folder(), Dir.File("helmax-calc.ini"),
                                                          Dir.File("helmax-calc.log"), Dir.File("helmax-calc.txt"),
                                                          Dir.File("helmax-calc.con"), Dir.File("helmax-calc.cnv")});
    Form->ExchangeWindow()->SampleFile.clear();
    Form->show();
  }
};

// What a message box showed.
struct TBoxSeen {
  QWidget* Parent = nullptr;
  QString Title, Text;
  QStringList Buttons;
};

// Answers the modal boxes that come, in order, each as told, until the
// result is dropped.
std::shared_ptr<bool> AnswerBoxes(std::vector<TBoxSeen>& seen, std::vector<std::function<void(QMessageBox*)>> answers) {
  auto poll = std::make_shared<std::function<void(int)>>();
  auto left = std::make_shared<std::vector<std::function<void(QMessageBox*)>>>(std::move(answers));
  auto listening = std::make_shared<bool>(true);
  std::weak_ptr<bool> alive = listening;
  *poll = [&seen, poll, left, alive](int tries) {
    if (alive.expired()) return;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr && box->isVisible() && !left->empty()) {
      TBoxSeen b{box->parentWidget(), box->windowTitle(), box->text(), {}};
      for (QAbstractButton* button : box->buttons()) b.Buttons << button->text().remove('&');
      seen.push_back(b);
      auto answer = left->front();
      left->erase(left->begin());
      answer(box);
      if (!left->empty()) QTimer::singleShot(10, [poll] { (*poll)(100); });
    } else if (tries > 0) {
      QTimer::singleShot(10, [poll, tries] { (*poll)(tries - 1); });
    }
  };
  QTimer::singleShot(0, [poll] { (*poll)(300); });
  return listening;
}

void Press(QMessageBox* box, QMessageBox::StandardButton which) { box->button(which)->click(); }

// The box over the window it belongs to, with its title bar drawn (the
// offscreen platform has no frames).
void ShotOver(QMessageBox* box, const QString& file) {
  QWidget* under = box->parentWidget() != nullptr ? box->parentWidget()->window() : box;
  QPixmap canvas = under->grab();
  const QPixmap face = box->grab();
  const int bar = 24;
  QPainter p(&canvas);
  const QPoint at((canvas.width() - face.width()) / 2, (canvas.height() - face.height() - bar) / 2);
  p.fillRect(QRect(at, QSize(face.width(), bar)), QColor(60, 90, 140));
  p.setPen(Qt::white);
  p.drawText(QRect(at + QPoint(8, 0), QSize(face.width() - 8, bar)), Qt::AlignVCenter, box->windowTitle());
  p.drawPixmap(at + QPoint(0, bar), face);
  p.setPen(Qt::black);
  p.drawRect(QRect(at, QSize(face.width() - 1, face.height() + bar - 1)));
  p.end();
  canvas.save(file);
}

}  // namespace

// A tool's messages open over the tool, named after it, wherever the user
// is meanwhile.
void ToolWindowsTest::ToolBoxesOpenOverTheTool() {
  TCalculatorWithBoxes w;
  QVERIFY(QTest::qWaitForWindowExposed(w.Form.get()));
  QTRY_VERIFY(w.Form->Idle());
  TIntegrationWindow* integration = w.Form->IntegrationWindow();
  w.Form->DefinitionsPane()->setPlainText("y=(");  // definitions that do not compile
  QTRY_VERIFY(w.Form->Idle());
  integration->ShowWindow();
  integration->FunctionBox()->setPlainText("x");
  integration->FromEdit()->setText("0");
  integration->ToEdit()->setText("1");
  w.Form->activateWindow();  // the user went back to the main window
  std::vector<TBoxSeen> seen;
  const auto listening = AnswerBoxes(seen, {[](QMessageBox* box) {
                                       ShotOver(box, Screenshot("tool-message-over-the-tool.png"));
                                       box->accept();
                                     }});
  integration->Integrate();
  QTRY_VERIFY(w.Form->Idle());
  QCOMPARE(seen.size(), std::size_t{1});
  QCOMPARE(seen[0].Parent, integration);
  QCOMPARE(seen[0].Title, integration->windowTitle());
}

// Every question asked when the program ends names its window and has a
// Cancel; Cancel or Esc keeps the program running with everything as it
// was, and nothing else is asked.
void ToolWindowsTest::ExitQuestionsNameTheirWindowAndCancel() {
  struct TQuestion {
    const char* Text;
    std::function<QWidget*(TMainWindow&)> Change;  // makes it asked; the window it belongs to
    std::function<bool(TMainWindow&)> Unchanged;   // the change is still there
    bool AfterNo;                                  // asked after No to the save question
  };
  auto changeLibrary = [](TMainWindow& f) -> QWidget* {
    f.ConstantsLibraryTable().AddCategory("Mine");
    return f.ConstantsLibrary();
  };
  auto libraryChanged = [](TMainWindow& f) { return f.ConstantsLibraryTable().Modified(); };
  auto changeConversions = [](TMainWindow& f) -> QWidget* {
    f.Calculator().Conversions().AddCategory("Area");
    return f.ConversionTableWindow();
  };
  auto conversionsChanged = [](TMainWindow& f) { return f.Calculator().Conversions().Modified(); };
  const TQuestion questions[] = {
      {"Save changes?",
       [](TMainWindow& f) -> QWidget* {
         f.ExpressionsPane()->setPlainText("1+2");
         return &f;
       },
       [](TMainWindow& f) { return f.ExpressionsPane()->toPlainText() == "1+2"; }, false},
      {"Save the changes of the constants definition table ?", changeLibrary, libraryChanged, false},
      {"ARE YOU SURE ?", changeLibrary, libraryChanged, true},
      {"ARE YOU SURE ?",
       [](TMainWindow& f) -> QWidget* {
         f.LinearSystemWindow()->VariablesBox()->setPlainText("a");
         f.LinearSystemWindow()->EquationsBox()->setPlainText("a+1");
         return f.LinearSystemWindow();
       },
       [](TMainWindow& f) { return f.LinearSystemWindow()->EquationsBox()->toPlainText() == "a+1"; }, false},
      {"ARE YOU SURE ?",
       [](TMainWindow& f) -> QWidget* {
         QAbstractItemModel* grid = f.InterpolationWindow()->Grid(0)->model();
         grid->setData(grid->index(0, 1), "5", Qt::EditRole);
         return f.InterpolationWindow();
       },
       [](TMainWindow& f) { return f.InterpolationWindow()->Grid(0)->model()->index(0, 1).data() == "5"; }, false},
      {"Save the changes of the conversion definition table ?", changeConversions, conversionsChanged, false},
      {"ARE YOU SURE ?", changeConversions, conversionsChanged, true}};
  QStringList failed;
  bool shot = false;
  for (const TQuestion& q : questions) {
    for (const bool esc : {false, true}) {
      TCalculatorWithBoxes w;
      QVERIFY(QTest::qWaitForWindowExposed(w.Form.get()));
      QTRY_VERIFY(w.Form->Idle());
      QWidget* window = q.Change(*w.Form);
      QTRY_VERIFY(w.Form->Idle());
      std::vector<TBoxSeen> seen;
      std::vector<std::function<void(QMessageBox*)>> answers;
      if (q.AfterNo) answers.push_back([](QMessageBox* box) { Press(box, QMessageBox::No); });
      answers.push_back([esc, &shot](QMessageBox* box) {
        if (!shot && QString(box->text()) == "ARE YOU SURE ?") {
          ShotOver(box, Screenshot("exit-question.png"));
          shot = true;
        }
        if (esc) QTest::keyClick(box, Qt::Key_Escape);
        else Press(box, QMessageBox::Cancel);
      });
      answers.push_back([](QMessageBox* box) { Press(box, QMessageBox::Yes); });  // a later one: none may come
      const auto listening = AnswerBoxes(seen, answers);
      w.Form->close();
      QTest::qWait(300);
      const std::size_t at = q.AfterNo ? 1 : 0;
      const TBoxSeen asked = seen.size() > at ? seen[at] : TBoxSeen{};
      const bool ok = seen.size() == at + 1 && asked.Text == q.Text && asked.Title == window->windowTitle() &&
                      !asked.Title.isEmpty() && asked.Buttons.contains("Cancel") && w.Form->isVisible() &&
                      q.Unchanged(*w.Form);
      if (!ok)
        failed << QString("%1 in %2 (%3): %4 boxes; \"%5\" titled \"%6\" with %7; open %8")
                      .arg(q.Text, window->windowTitle(), esc ? "Esc" : "Cancel")
                      .arg(seen.size())
                      .arg(asked.Text, asked.Title, asked.Buttons.join("/"))
                      .arg(w.Form->isVisible());
    }
  }
  QVERIFY2(failed.isEmpty(), qPrintable(failed.join("\n")));
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
  const TTool tools[] = {{"integration",
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
                            std::filesystem::copy_file(std::string(HELMAX_EXCHANGE_FIXTURES) + "/sample-rates.fdb",
                                                       rates);
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
      const QString seen =
          QString("%1: typed during the run %2; panes \"%3\" / \"%4\"; results \"%5\"; messages \"%6\"")
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
