// The pieces the tool windows share: menu items with shortcuts, Esc,
// coming in front, framed panes, and the progress of a run.
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtTest>

#include "ProgressDisplay.h"
#include "WindowKit.h"

using namespace helmax;

class WindowKitTest : public QObject {
  Q_OBJECT

 private:
  // A window with a menu bar and a field that has the focus, active.
  struct TWindow {
    QWidget Window;
    QMenuBar* Menus = new QMenuBar;
    QLineEdit* Field = new QLineEdit;
    TWindow() {
      auto* layout = new QVBoxLayout(&Window);
      layout->setMenuBar(Menus);
      layout->addWidget(Field);
      Window.show();
      Window.activateWindow();
      Field->setFocus();
    }
  };

 private slots:
  void EscClosesTheWindowFromItsField() {
    TWindow w;
    CloseOnEscape(&w.Window);
    QVERIFY(QTest::qWaitForWindowActive(&w.Window));
    QTest::keyClick(w.Field, Qt::Key_A);
    QVERIFY(w.Window.isVisible());
    QTest::keyClick(w.Field, Qt::Key_Escape);
    QVERIFY(!w.Window.isVisible());
  }

  void MenuItemsShowTheirShortcutAndRunOnIt() {
    TWindow w;
    QMenu* view = w.Menus->addMenu("&View");
    int refreshed = 0;
    int plain = 0;
    QAction* refresh = AddMenuAction(
        view, "&Refresh", "refresh", &w.Window, [&] { ++refreshed; }, Qt::Key_F5);
    QAction* other = AddMenuAction(view, "&Other", "other", &w.Window, [&] { ++plain; });
    QVERIFY(QTest::qWaitForWindowActive(&w.Window));
    QCOMPARE(w.Window.findChild<QAction*>("refresh"), refresh);
    QCOMPARE(refresh->text(), QString("&Refresh"));
    // What the menu writes beside the caption.
    QCOMPARE(refresh->shortcut().toString(QKeySequence::NativeText), QString("F5"));
    QVERIFY(other->shortcut().isEmpty());
    QTest::keyClick(w.Field, Qt::Key_F5);
    QCOMPARE(refreshed, 1);
    other->trigger();
    QCOMPARE(plain, 1);
    QCOMPARE(refreshed, 1);
  }

  void WindowKeysWorkWithoutAMenu() {
    TWindow w;
    int asked = 0;
    AddWindowKey(&w.Window, Qt::Key_F1, "help", [&] { ++asked; });
    QVERIFY(QTest::qWaitForWindowActive(&w.Window));
    QTest::keyClick(w.Field, Qt::Key_F1);
    QCOMPARE(asked, 1);
  }

  void ShowInFrontRestoresAMinimisedWindow() {
    QWidget window;
    window.showMinimized();
    QVERIFY(window.isMinimized());
    ShowInFront(&window);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
    QTRY_VERIFY(window.isActiveWindow());
    // A hidden window is shown as well.
    window.hide();
    ShowInFront(&window);
    QVERIFY(window.isVisible());
  }

  void GroupFramesItsPane() {
    auto* pane = new QLineEdit;
    std::unique_ptr<QGroupBox> box(Group("Results", pane, 50));
    QCOMPARE(box->title(), QString("Results"));
    QCOMPARE(pane->parentWidget(), box.get());
    QCOMPARE(box->minimumHeight(), 50);
  }

  void ProgressShowsAtOnceAndFollowsTheWork() {
    QWidget window;
    auto* status = new QStatusBar(&window);
    int cancelled = 0;
    TProgressDisplay display(
        status, {}, [&] { ++cancelled; }, &window);
    window.show();
    auto* bar = window.findChild<QProgressBar*>("progress");
    QVERIFY(!bar->isVisible());
    TProgress progress;
    display.Start(&progress);
    QVERIFY(bar->isVisible() && display.Running());
    QCOMPARE(bar->maximum(), 0);  // busy: the size is not known yet
    progress.Start(2000);
    progress.Set(500);
    QTRY_COMPARE(bar->value(), 250);
    QCOMPARE(bar->text(), QString("25%"));
    progress.Set(3);
    QTRY_COMPARE(bar->text(), QString("0.1%"));
    display.CancelButton()->click();
    QCOMPARE(cancelled, 1);
    display.Stop();
    QVERIFY(!bar->isVisible() && !display.Running());
  }

  void LateProgressWaitsForTicksOfKnownWork() {
    QWidget window;
    auto* status = new QStatusBar(&window);
    TProgressLook look;
    look.ShowAfterTicks = 3;
    look.WithActivity = true;
    TProgressDisplay display(status, look, {}, &window);
    int broughtUp = 0;
    display.BeforeShowing = [&] { ++broughtUp; };
    window.show();
    auto* bar = window.findChild<QProgressBar*>("progress");
    TProgress progress;
    display.Start(&progress, "Computing");
    QTest::qWait(5 * TProgressDisplay::kTickMilliseconds);
    QVERIFY(!bar->isVisible());  // the size is still unknown
    progress.Start(10);
    progress.Set(4);
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(broughtUp, 1);
    QCOMPARE(window.findChild<QLabel*>("activity")->text(), QString("Computing"));
    QTRY_COMPARE(bar->value(), 400);
    display.Stop();
    QVERIFY(!bar->isVisible());
  }
};

QTEST_MAIN(WindowKitTest)
#include "windowkit_test.moc"
