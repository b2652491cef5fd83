// The exchange window, its history window and the Firebird user dialog,
// opened from the main window and driven as a user drives them, offscreen,
// over private copies of the sample databases of tests/fixtures/exchange.
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "../../app/qt/CalculatorWindowFixture.h"
#include "ExchangeWindow.h"
#include "MainWindow.h"
#include "ProgramFolder.h"
#include "Settings.h"

using namespace helmax;

namespace {

const std::string kFixtures = HELMAX_EXCHANGE_FIXTURES;

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

QString Screenshot(const char* name) { return QString(HELMAX_SCREENSHOT_DIR) + "/" + name; }

// A calculator whose settings may name an exchange file, with recorded
// messages and private copies of the sample databases.
struct TExchangeSession : test::TCalculatorWindowFixture {
  TExchangeWindow* Window = nullptr;

  explicit TExchangeSession(const std::string& exchangeFile = {}, bool latestQuote = false) {
    if (!std::filesystem::is_directory(kFixtures)) qFatal("The exchange fixtures are missing: %s", kFixtures.c_str());
    if (!exchangeFile.empty() || latestQuote) {
      TSettings s;
      s.ExchangeFileName = exchangeFile;
      s.LatestQuote = latestQuote;
      test::WriteBytes(Dir.File("helmax-calc.ini"), SettingsText(s, Dir.Folder()));
    }
    Form = std::make_unique<TMainWindow>(Files(test::kNoOptionalFiles), &Ui);
    Form->show();
    Window = Form->ExchangeWindow();
    Window->SampleFile.clear();  // a test that wants one names it
    WaitIdle();
  }
  ~TExchangeSession() {
    Form->close();
    Form.reset();
  }

  // A private copy of a sample database under another name.
  std::string Copy(const char* fixture, const std::string& name) {
    const std::string path = Dir.File(name);
    std::filesystem::copy_file(kFixtures + "/" + fixture, path);
    return path;
  }

  void Open(const std::string& path) {
    Window->OpenChosenFile(QString::fromStdString(path));
    WaitIdle();
  }

  QString Calculate(const QString& amount, const QString& date, const char* reference, const char* from,
                    const char* to) {
    Window->AmountBox()->setPlainText(amount);
    Window->DateBox()->setPlainText(date);
    if (!Window->Choose(0, reference) || !Window->Choose(1, from) || !Window->Choose(2, to)) return "no such currency";
    QTest::mouseClick(Window->CalculateButton(), Qt::LeftButton);
    WaitIdle();
    return Window->ResultsBox()->toPlainText();
  }
};

}  // namespace

class ExchangeWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void FunctionsMenuOffersTheSampleDatabase();
  void OurSampleDatabaseComesWithTheProgram();
  void CalculatesOverAnAccessFile();
  void QuickModeConvertsAtEveryKey();
  void EscKeepsAmountsInTheHistory();
  void FirebirdUserDialog();
  void AFileThatFailsLeavesNoDatabase();
  void OpeningAnotherDatabaseClearsTheCaptions();
  void AFailedOpenKeepsTheDatabaseInUse();
  void OpensTheSettingsFileAtStart();
  void LatestQuoteIsAChoiceKeptInTheSettings();
};

void ExchangeWindowsTest::FunctionsMenuOffersTheSampleDatabase() {
  TExchangeSession s;
  s.Window->SampleFile = QString::fromStdString(s.Copy("sample-rates.fdb", "sample.fdb"));
  QAction* item = s.Form->Action("exchange");
  QVERIFY(item->isEnabled());
  QCOMPARE(item->text(), QString("E&xchange"));
  item->trigger();
  s.WaitIdle();
  QVERIFY(QTest::qWaitForWindowExposed(s.Window));
  QCOMPARE(s.Ui.Questions.size(), std::size_t(1));
  QVERIFY(s.Ui.Questions[0].find("sample") != std::string::npos);
  QCOMPARE(s.Window->Action("useFile")->text(), QString("&Use Firebird file"));
  QVERIFY(s.Window->Action("useFile")->isChecked());
  QCOMPARE(s.Window->StatusRates(), QString("Rates of 12.31.2008"));
  QCOMPARE(s.Window->StatusPath(), s.Window->SampleFile);
  QCOMPARE(s.Window->FromGrid()->model()->rowCount(), 6);
  QCOMPARE(s.Window->ReferenceGrid()->model()->rowCount(), 2);
  // Only CurrName is shown; the box above shows the current row's name.
  QVERIFY(s.Window->FromGrid()->isColumnHidden(0));
  QVERIFY(!s.Window->FromGrid()->isColumnHidden(2));
  QCOMPARE(s.Window->NameBox(1)->text(), QString("Euro"));
  QCOMPARE(s.Form->Calculator().Settings().ExchangeFileName, s.Window->SampleFile.toStdString());
  // Offered once: the second showing asks nothing.
  s.Window->close();
  item->trigger();
  QCOMPARE(s.Ui.Questions.size(), std::size_t(1));
}

void ExchangeWindowsTest::OurSampleDatabaseComesWithTheProgram() {
  const std::string sample = SampleRatesFile(ExecutablePath());
  QVERIFY2(!sample.empty(), "the build puts share/helmax/sample-rates.fdb beside bin/");
  TExchangeSession s;
  s.Window->SampleFile = QString::fromStdString(sample);
  s.Window->ShowWindow();
  s.WaitIdle();
  QCOMPARE(s.Window->StatusRates(), QString("Rates of 12.31.2008"));
  QCOMPARE(s.Calculate("100", "Last", "EUR", "EUR", "USD"), QString("140.64 USD"));
  QVERIFY(s.Ui.Messages.empty());
  s.Window->grab().save(Screenshot("exchange-sample.png"));
}

void ExchangeWindowsTest::CalculatesOverAnAccessFile() {
  TExchangeSession s;
  s.Window->ShowWindow();
  s.Open(s.Copy("sample-rates.mdb", "rates.MDB"));
  QCOMPARE(s.Ui.Questions, std::vector<std::string>{"ARE YOU SURE ?"});
  QCOMPARE(s.Window->Action("useFile")->text(), QString("&Use Access file"));
  QCOMPARE(s.Calculate("100", "12.31.2008", "EUR", "EUR", "JPY"), QString("12613.5217 JPY"));
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency: 100 EUR"));
  QCOMPARE(s.Window->DateGroup()->title(), QString("Exchange date: 12.31.2008"));
  s.Window->Action("exchangeRate")->trigger();
  QCOMPARE(s.Window->ResultsBox()->toPlainText(), QString());
  QCOMPARE(s.Calculate("100", "Last", "EUR", "EUR", "JPY"),
           QString("12613.5217 JPY\n\nExchangeDate= 12.31.2008, Currency= JPY, Nominal= 100, Value= 0.7928 EUR\n"
                   "EUR2JPY_12_31_2008_EUR(curr)~if(IsCurrency(curr),curr*100/0.7928)"));
  s.Window->grab().save(Screenshot("exchange-full.png"));
  // Quotes in opposite directions: 1 GBP = 1.0499 EUR and 1 EUR = 1.3917 USD,
  // 100 * 1.0499 * 1.3917 = 146.114583.
  QCOMPARE(s.Calculate("100", "Last", "EUR", "GBP", "USD"),
           QString("146.1146 USD\n\nExchangeDate= 12.31.2008, Currency= GBP, Nominal= 1, Value= 1.0499 EUR\n"
                   "ExchangeDate= 12.31.2008, Currency= EUR, Nominal= 1, Value= 1.3917 USD\n"
                   "GBP2USD_12_31_2008_EUR(curr)~if(IsCurrency(curr),curr*(1.0499/1)*1.3917/1)"));
  QVERIFY(s.Ui.Messages.empty());
  s.Window->grab().save(Screenshot("exchange-opposite.png"));
}

void ExchangeWindowsTest::QuickModeConvertsAtEveryKey() {
  TExchangeSession s;
  s.Window->ShowWindow();
  s.Open(s.Copy("sample-rates.fdb", "rates.fdb"));
  QCOMPARE(s.Calculate("1", "12.30.2008", "GBP", "JPY", "GBP"), QString("0.0076 GBP"));
  const QSize full = s.Window->size();
  s.Window->Action("quick")->trigger();
  QVERIFY(s.Window->Quick());
  QVERIFY(!s.Window->FromGrid()->isVisible());
  QVERIFY(!s.Window->CalculateButton()->isVisible());
  QCOMPARE(s.Window->ResultsGroup()->title(), QString("Date: 12.30.2008   Ref: GBP"));
  QVERIFY(s.Window->width() < full.width());
  s.Window->AmountBox()->clear();
  s.WaitIdle();
  QTest::keyClicks(s.Window->AmountBox(), "123.4567");
  s.WaitIdle();
  QCOMPARE(s.Window->ResultsBox()->toPlainText(), QString("0.9334 GBP"));
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency: 123.4567 JPY"));
  s.Window->grab().save(Screenshot("exchange-quick.png"));
  QTest::keyClicks(s.Window->AmountBox(), "+");
  s.WaitIdle();
  QVERIFY(s.Window->ResultsBox()->toPlainText() != "ERROR");
  s.Window->Action("errorMessage")->trigger();
  s.WaitIdle();
  QCOMPARE(s.Window->ResultsBox()->toPlainText(), QString("ERROR"));
  s.Window->Action("full")->trigger();
  QCOMPARE(s.Window->size(), full);
  QCOMPARE(s.Window->ResultsGroup()->title(), QString("Results:"));
  QVERIFY(s.Window->FromGrid()->isVisible());
  QVERIFY2(s.Ui.Messages.empty(), s.Ui.Messages.empty() ? "" : s.Ui.Messages[0].c_str());
}

void ExchangeWindowsTest::EscKeepsAmountsInTheHistory() {
  TExchangeSession s;
  s.Window->ShowWindow();
  QVERIFY(QTest::qWaitForWindowExposed(s.Window));
  for (const char* text : {"100*2", "100*2", "25", "25"}) {
    s.Window->AmountBox()->setPlainText(text);
    s.Window->AmountBox()->setFocus();
    QTest::keyClick(s.Window->AmountBox(), Qt::Key_Escape);
  }
  s.Window->AmountBox()->setPlainText("100*2");
  QTest::keyClick(s.Window->AmountBox(), Qt::Key_Escape);
  QCOMPARE(s.Window->History().Entries(), (std::vector<std::string>{"100*2", "25"}));
  QCOMPARE(s.Window->AmountBox()->toPlainText(), QString());
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency:"));
  s.Window->Action("history")->trigger();
  TExchangeHistoryWindow* h = s.Window->HistoryWindow();
  QVERIFY(QTest::qWaitForWindowExposed(h));
  QCOMPARE(h->windowTitle(), QString("Exchange history"));
  QCOMPARE(h->Grid()->model()->rowCount(), 3);  // and the empty last row
  QCOMPARE(h->Grid()->columnWidth(0), 40);
  h->grab().save(Screenshot("exchange-history.png"));
  // Enter on a row puts its amount into the exchange window.
  h->Grid()->setCurrentIndex(h->Grid()->model()->index(1, 1));
  QTest::keyClick(h->Grid(), Qt::Key_Return);
  QCOMPARE(s.Window->AmountBox()->toPlainText(), QString("25"));
  h->findChild<QAction*>("clearHistory")->trigger();
  QCOMPARE(h->Grid()->model()->rowCount(), 1);
  QTest::keyClick(h, Qt::Key_Escape);
  QVERIFY(!h->isVisible());
  // On an empty window Esc closes it.
  s.Window->AmountBox()->clear();
  QTest::keyClick(s.Window->AmountBox(), Qt::Key_Escape);
  QTest::keyClick(s.Window->AmountBox(), Qt::Key_Escape);
  QVERIFY(!s.Window->isVisible());
}

void ExchangeWindowsTest::FirebirdUserDialog() {
  TExchangeSession s;
  s.Window->ShowWindow();
  TSettings& settings = s.Form->Calculator().Settings();
  QCOMPARE(s.Window->Action("useFile")->text(), QString("&Use Firebird file"));
  // Esc cancels: nothing is stored, no file is asked for.
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFirebirdUserDialog*>(modal);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Firebird user"));
    QCOMPARE(dialog->UserEdit()->text(), QString("sysdba"));
    QCOMPARE(dialog->PasswordEdit()->echoMode(), QLineEdit::Password);
    dialog->UserEdit()->setText("reader");
    dialog->grab().save(Screenshot("exchange-firebird-user.png"));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  s.Window->Action("useFile")->trigger();
  QCOMPARE(settings.FirebirdUserName, std::string("sysdba"));
  // Ok stores both, then the file dialog comes (cancelled here).
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFirebirdUserDialog*>(modal);
    QVERIFY(dialog);
    dialog->UserEdit()->setText("reader");
    dialog->PasswordEdit()->setText("secret");
    WhenModal([](QWidget* fileDialog) { QTimer::singleShot(0, fileDialog, [fileDialog] { fileDialog->close(); }); });
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  s.Window->Action("useFile")->trigger();
  QCOMPARE(settings.FirebirdUserName, std::string("reader"));
  QCOMPARE(settings.FirebirdPassword, std::string("secret"));
  // With a database open, the item closes it and forgets the file.
  s.Open(s.Copy("sample-rates.fdb", "rates.fdb"));
  QVERIFY(s.Window->Action("useFile")->isChecked());
  s.Window->Action("useFile")->trigger();
  s.WaitIdle();
  QVERIFY(!s.Window->Action("useFile")->isChecked());
  QCOMPARE(settings.ExchangeFileName, std::string());
  QCOMPARE(s.Window->FromGrid()->model()->rowCount(), 0);
}

void ExchangeWindowsTest::AFileThatFailsLeavesNoDatabase() {
  TExchangeSession s;
  s.Window->ShowWindow();
  const std::string bad = s.Dir.File("bad.fdb");
  test::WriteBytes(bad, "not a database");
  s.Open(bad);
  QCOMPARE(s.Ui.Messages.size(), std::size_t(1));
  QVERIFY(s.Ui.Messages[0].rfind("OpenFirebirdFile -> ", 0) == 0);
  QCOMPARE(s.Form->Calculator().Settings().ExchangeFileName, std::string());
  QVERIFY(!s.Window->Action("useFile")->isChecked());
  QCOMPARE(s.Window->StatusPath(), QString());
  QCOMPARE(test::ReadBytes(bad), std::string("not a database"));
  s.Ui.Clear();
  s.Window->AmountBox()->setPlainText("100");
  QTest::mouseClick(s.Window->CalculateButton(), Qt::LeftButton);
  s.WaitIdle();
  QCOMPARE(s.Ui.Messages, std::vector<std::string>{"Please open Firebird/Access file with exchange datas"});
}

void ExchangeWindowsTest::OpeningAnotherDatabaseClearsTheCaptions() {
  TExchangeSession s;
  s.Window->ShowWindow();
  s.Open(s.Copy("sample-rates.mdb", "rates.mdb"));
  QCOMPARE(s.Calculate("100", "12.31.2008", "EUR", "EUR", "JPY"), QString("12613.5217 JPY"));
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency: 100 EUR"));
  s.Open(s.Copy("sample-rates.fdb", "other.fdb"));
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency: "));
  QCOMPARE(s.Window->DateGroup()->title(), QString("Exchange date: "));
  QCOMPARE(s.Window->ResultsBox()->toPlainText(), QString());
  QCOMPARE(s.Window->StatusPath(), QString::fromStdString(s.Dir.File("other.fdb")));
  QVERIFY(s.Ui.Messages.empty());
  s.Window->grab().save(Screenshot("exchange-reopened.png"));
}

void ExchangeWindowsTest::AFailedOpenKeepsTheDatabaseInUse() {
  TExchangeSession s;
  s.Window->ShowWindow();
  const std::string good = s.Copy("sample-rates.fdb", "rates.fdb");
  s.Open(good);
  QCOMPARE(s.Calculate("100", "12.31.2008", "EUR", "EUR", "JPY"), QString("12613.5217 JPY"));
  const std::string bad = s.Dir.File("bad.mdb");
  test::WriteBytes(bad, "not a database");
  s.Open(bad);
  QCOMPARE(s.Ui.Messages.size(), std::size_t(1));
  QVERIFY(s.Ui.Messages[0].rfind("OpenAccessFile -> ", 0) == 0);
  QCOMPARE(s.Form->Calculator().Settings().ExchangeFileName, good);
  QCOMPARE(s.Window->StatusPath(), QString::fromStdString(good));
  QVERIFY(s.Window->Action("useFile")->isChecked());
  QCOMPARE(s.Window->Action("useFile")->text(), QString("&Use Firebird file"));
  QCOMPARE(s.Window->AmountGroup()->title(), QString("Currency: 100 EUR"));
  s.Ui.Clear();
  QCOMPARE(s.Calculate("100", "12.31.2008", "EUR", "GBP", "EUR"), QString("104.99 EUR"));
  QVERIFY(s.Ui.Messages.empty());
}

void ExchangeWindowsTest::OpensTheSettingsFileAtStart() {
  test::TTempFolder files;
  const std::string path = files.File("RATES.FDB");
  std::filesystem::copy_file(kFixtures + "/sample-rates.fdb", path);
  TExchangeSession s(path);
  QTRY_COMPARE(s.Window->StatusPath(), QString::fromStdString(path));
  s.WaitIdle();
  QCOMPARE(s.Window->ToGrid()->model()->rowCount(), 6);
  QVERIFY(s.Ui.Messages.empty());
}

void ExchangeWindowsTest::LatestQuoteIsAChoiceKeptInTheSettings() {
  TExchangeSession s;
  s.Window->ShowWindow();
  s.Open(s.Copy("sample-rates.mdb", "rates.mdb"));
  QCheckBox* latest = s.Window->LatestQuoteBox();
  QCOMPARE(latest->text(), QString("Latest quote on or before the date"));
  QVERIFY(!latest->isChecked());
  QCOMPARE(s.Calculate("50", "12.31.2008", "EUR", "CHF", "USD"), QString("No exchange"));
  QTest::mouseClick(latest, Qt::LeftButton);
  QVERIFY(latest->isChecked());
  // 1 CHF = 0.6695 EUR of 12.30.2008 and 1 EUR = 1.3917 USD of 12.31.2008:
  // 50 * 0.6695 * 1.3917 = 46.58715...
  QCOMPARE(s.Calculate("50", "12.31.2008", "EUR", "CHF", "USD"), QString("46.5872 USD"));
  QCOMPARE(s.Window->ResultsGroup()->title(), QString("Results: CHF quote of 12.30.2008, USD quote of 12.31.2008"));
  s.Window->grab().save(Screenshot("exchange-latest-quote.png"));
  s.Window->Action("quick")->trigger();
  QCOMPARE(s.Window->ResultsGroup()->title(),
           QString("Date: 12.31.2008 (CHF quote of 12.30.2008, USD quote of 12.31.2008)   Ref: EUR"));
  s.Window->Action("full")->trigger();
  QCOMPARE(s.Window->ResultsGroup()->title(), QString("Results:"));
  QVERIFY(s.Form->Calculator().Settings().LatestQuote);
  // The settings file's choice is the window's at start.
  TExchangeSession next({}, true);
  QVERIFY(next.Window->LatestQuoteBox()->isChecked());
}

QTEST_MAIN(ExchangeWindowsTest)
#include "exchangewindows_test.moc"
