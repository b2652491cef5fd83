// The currency exchange tool, without windows: the open rates database and
// its currency lists, the engine that reads the amount and the exchange date
// (with the functions Last and LastBetween), the calculation, and what the
// last calculation leaves for the quick mode, which converts again at every
// change of the amount.
//
// Every operation runs where the calculator calculates (its worker thread):
// it reads the calculator's definitions and may wait on the database.
// Messages go to the user interface given at construction.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CalculatorForTools.h"
#include "Conversion.h"
#include "EngineErrorMessages.h"
#include "FixedTexts.h"
#include "HelmaxDateTimeEval.h"
#include "RatesDatabase.h"
#include "UserInterface.h"

namespace helmax {

// What the lists, the status bar and the menu show after an open.
struct TOpenOutcome {
  bool Opened = false;
  std::vector<TCurrency> Currencies;  // From and To
  std::vector<TCurrency> References;  // Reference
  std::string RatesText;              // "Rates of 12.31.2008"
};

// The choices of the window when Calculate is pressed.
struct TExchangeRequest {
  std::string Amount;         // the amount box (lines are joined)
  std::string Date = "Last";  // the date box
  std::optional<TCurrency> Reference, From, To;
  bool ShowQuotes = false;  // "&Exchange rate": quotes and the definition too
  // "Latest quote on or before the date": each currency's newest quote not
  // after the date, instead of the quotes of that very day.
  bool LatestQuote = false;
};

struct TExchangeOutcome {
  std::string AmountCaption = texts::kCurrencyPrefix;
  std::string DateCaption = texts::kExchangeDatePrefix;
  // With LatestQuote, the days of the quotes used: "Results: quotes of
  // 12.30.2008", or one day per currency when they differ.
  std::string ResultsCaption = texts::kResultsLabel;
  std::string Results;
  bool Converted = false;  // the calculation got as far as a result line
};

struct TQuickOutcome {
  std::string AmountCaption = texts::kCurrencyPrefix;
  std::string Results;
};

class TExchange {
 public:
  static constexpr const char* kNoExchange = texts::kNoExchange;
  static constexpr const char* kIncorrectRate = texts::kExchangeIncorrectRate;

  explicit TExchange(TUserInterface& ui);
  TExchange(const TExchange&) = delete;
  TExchange& operator=(const TExchange&) = delete;

  // Opens fileName in place of the database in use and forgets the last
  // calculation; an empty name closes the database. A failure is shown
  // ("OpenAccessFile -> " or "OpenFirebirdFile -> " + why) and keeps the
  // database in use, and the last calculation, as they were.
  TOpenOutcome Open(const std::string& fileName, const TFirebirdLogin& login);
  // Takes a database opened elsewhere (Open's work once the file is open).
  // Throws TRatesDatabaseError when its lists cannot be read, and then
  // keeps the database in use.
  TOpenOutcome Adopt(std::unique_ptr<TRatesDatabase> database);
  void Close();
  bool HasDatabase() const { return Database_ != nullptr; }

  // "&Calculate". product says which message asks for a database when
  // none is open.
  TExchangeOutcome Calculate(TCalculatorForTools& calc, const TExchangeRequest& request, TRatesProduct product);
  // The quick mode: the amount converted with the last calculation's
  // conversion. errorMessages off shows "ERROR" for an amount that fails.
  TQuickOutcome Quick(TCalculatorForTools& calc, const std::string& amount, bool errorMessages);

  // What the last calculation left (empty until one got as far as a
  // result, and after an open).
  const std::string& DateText() const { return Remembered_.DateText; }
  const std::string& ReferenceCode() const { return Remembered_.ReferenceCode; }
  const std::string& Formula() const { return Remembered_.Conversion.Formula; }
  // The days of the quotes used, when they were the latest on or before the
  // date ("quotes of 12.30.2008"); empty otherwise.
  const std::string& QuoteDays() const { return Remembered_.QuoteDays; }

  // The newest exchange date, the oldest today's date when there are no
  // quotes (the function Last). Throws TRatesDatabaseError.
  double LatestDate();
  // The newest exchange date between the days of first and last, or the
  // day of last when there is none (LastBetween).
  double LatestDateBetween(double first, double last);
  // The quote of a currency against a reference on a day.
  TQuote FindQuote(std::int32_t reference, std::int32_t currency, double day);
  // The newest quote of a currency against a reference on or before a day,
  // with the day it is of (Day is meaningful only when the quote is found).
  struct TDatedQuote {
    TQuote Quote;
    double Day = 0.0;
  };
  TDatedQuote FindLatestQuote(std::int32_t reference, std::int32_t currency, double day);

  // Replaces the clock behind "today" (days since 30 December 1899).
  void SetClock(std::function<double()> clock) { Engine_->SetClock(std::move(clock)); }
  THelmaxDateTimeEval& Engine() { return *Engine_; }

 private:
  struct TRemembered {
    std::string DateText, ReferenceCode, FromCode, ToCode;
    TConversion Conversion;  // its case and exact inputs
    TQuote FromQuote, ToQuote;
    std::int32_t From = 0, To = 0, Reference = 0;
    std::string QuoteDays;
  };

  // The calculator ready for a run with an amount; false (shown) when it
  // is not.
  bool PrepareRun(TCalculatorForTools& calc);
  // Compiles and evaluates a text; false after an error (shown by the
  // handlers bound at the time).
  bool Evaluate(const std::string& text, const TUserVarArray* variables, TValue& result);
  TExchangeOutcome CalculateUnguarded(TCalculatorForTools& calc, const TExchangeRequest& request,
                                      TRatesProduct product);
  void BindMessageBoxes();

  TUserInterface& Ui_;
  TEngineErrorMessages Messages_;
  std::unique_ptr<THelmaxDateTimeEval> Engine_;
  std::unique_ptr<TRatesDatabase> Database_;
  TRemembered Remembered_;
};

// The sample rates database that comes with the program, beside the
// executable (bin/../share/helmax/sample-rates.fdb), or empty when it is
// not there.
std::string SampleRatesFile(const std::string& executablePath);

}  // namespace helmax
