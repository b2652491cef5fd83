// helmax-calc: the calculator window.
#include <QApplication>
#include <QLocale>
#include <QTimer>

#include "MainWindow.h"
#include "ProgramFolder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("helmax-calc");
  QApplication::setWindowIcon(QIcon::fromTheme("helmax-calc"));
  // Numbers and dates never follow the user's locale.
  QLocale::setDefault(QLocale::c());

  helmax::TCalculatorFiles files;
  files.ProgramFolder = helmax::ProgramFolder();
  files.SettingsFile = helmax::ProgramSiblingFile(".ini");
  files.LogFile = helmax::ProgramSiblingFile(".log");
  files.DefaultDocument = helmax::ProgramSiblingFile(".txt");
  helmax::TForm1 calculator(files);
  calculator.show();

  // For start-up checks: HELMAX_QUIT_AFTER_MS closes the window after so
  // many milliseconds of running.
  bool timed = false;
  const int quitAfter = qEnvironmentVariableIntValue("HELMAX_QUIT_AFTER_MS", &timed);
  if (timed) QTimer::singleShot(quitAfter, &calculator, &QWidget::close);
  return app.exec();
}
