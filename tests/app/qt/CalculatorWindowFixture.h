// What the window tests share: a calculator started on its files in a fresh
// folder, with a recorder for its messages, shown with its default document
// read; and the driving of a modal dialog.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "../../common/TempFolder.h"
#include "MainWindow.h"

namespace helmax::test {

// Runs open, and acts on the modal window it brings up as a T; closes it
// afterwards if act left it open (or at once if it is not a T), so a failing
// test does not hang.
template <class T>
void InDialog(const std::function<void(T*)>& act, const std::function<void()>& open) {
  auto poll = std::make_shared<std::function<void(int)>>();
  *poll = [act, poll](int tries) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* dialog = qobject_cast<T*>(modal)) act(dialog);
      if (modal->isVisible()) modal->close();
    } else if (tries > 0) {
      QTimer::singleShot(10, [poll, tries] { (*poll)(tries - 1); });
    }
  };
  QTimer::singleShot(0, [poll] { (*poll)(300); });
  open();
}

// Which of the calculator's optional files it keeps in its folder.
enum TOptionalFiles : unsigned { kNoOptionalFiles = 0, kConstantsFile = 1, kConversionFile = 2, kPeriodicFile = 4 };

struct TCalculatorWindowFixture {
  TTempFolder Dir;
  TMessageRecorder Ui;
  std::unique_ptr<TMainWindow> Form;

  // Settings, log and document in Dir, and the optional files asked for.
  TCalculatorFiles Files(unsigned optional) const {
    TCalculatorFiles files{Dir.Folder(), Dir.File("helmax-calc.ini"), Dir.File("helmax-calc.log"),
                           Dir.File("helmax-calc.txt")};
    if (optional & kConstantsFile) files.ConstantsLibrary = Dir.File("helmax-calc.con");
    if (optional & kConversionFile) files.ConversionTable = Dir.File("helmax-calc.cnv");
    if (optional & kPeriodicFile) files.PeriodicTable = Dir.File("helmax-calc.pte");
    return files;
  }
  // Starts the calculator on the files and waits until its first activation
  // has read the default document and calculated it.
  void Start(const TCalculatorFiles& files) {
    Form = std::make_unique<TMainWindow>(files, &Ui);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    QTRY_VERIFY(Form->Calculator().History().Count() > 0);
    WaitIdle();
  }
  // The calculator calculates on a worker thread: results come once idle.
  void WaitIdle() { QTRY_VERIFY_WITH_TIMEOUT(Form->Idle(), 20000); }
  // Saves a picture of the window in the build folder.
  void Screenshot(QWidget* w, const QString& name) {
    QApplication::processEvents();
    QVERIFY(w->grab().save(QString(HELMAX_SCREENSHOT_DIR) + "/" + name));
  }
};

}  // namespace helmax::test
