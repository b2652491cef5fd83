// helmax-calc: the calculator window.
#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QTimer>
#include <cstdio>

#include <ctime>

#include "FirebirdRates.h"
#include "MainWindow.h"
#include "ProgramFolder.h"
#include "TextFile.h"

int main(int argc, char** argv) {
  const std::time_t started = std::time(nullptr);
  // A size limit fails a save with a message instead of ending the program.
  helmax::IgnoreFileSizeSignal();
  QApplication app(argc, argv);
  QApplication::setApplicationName("helmax-calc");
  QApplication::setApplicationVersion(HELMAX_VERSION);
  // --help and --version; Qt's own options (-platform ...) are taken by
  // QApplication before this.
  QCommandLineParser options;
  options.setApplicationDescription("Helmax, the scientific, engineering and money calculator.");
  options.addHelpOption();
  options.addVersionOption();
  options.process(app);
  if (!options.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "helmax-calc: unexpected argument %s\n", qPrintable(options.positionalArguments().front()));
    return 1;
  }
  QApplication::setWindowIcon(QIcon::fromTheme("helmax-calc", QIcon(":/helmax-calc.svg")));
  // Numbers and dates never follow the user's locale.
  QLocale::setDefault(QLocale::c());

  // The folder is decided once (deciding probes it with a file).
  helmax::TCalculatorFiles files;
  files.ProgramFolder = helmax::ProgramFolder();
  const std::string base = files.ProgramFolder + helmax::ProgramBaseName();
  files.SettingsFile = base + ".ini";
  files.LogFile = base + ".log";
  files.DefaultDocument = base + ".txt";
  files.ConstantsLibrary = base + ".con";
  files.ConversionTable = base + ".cnv";
  files.PeriodicTable = base + ".pte";
  // What killed runs left behind: temporaries of interrupted saves beside
  // the program's files and private copies of rates databases.
  helmax::RemoveStaleTemporaryFiles(files.ProgramFolder, started);
  helmax::RemoveStaleRatesCopies(started);
  helmax::TMainWindow calculator(files);
  calculator.show();

  // For start-up checks: HELMAX_QUIT_AFTER_MS closes the window after so
  // many milliseconds of running.
  bool timed = false;
  const int quitAfter = qEnvironmentVariableIntValue("HELMAX_QUIT_AFTER_MS", &timed);
  if (timed) QTimer::singleShot(quitAfter, &calculator, &QWidget::close);
  // HELMAX_QUIT_WHEN_STARTED closes it once the results pane holds the
  // default document's results.
  if (qEnvironmentVariableIsSet("HELMAX_QUIT_WHEN_STARTED")) calculator.OnStarted = [&] { calculator.close(); };
  return app.exec();
}
