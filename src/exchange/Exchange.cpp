#include "Exchange.h"
#include "FixedTexts.h"

#include <algorithm>
#include <filesystem>

#include "ErrorText.h"
#include "TextFile.h"

namespace helmax {

namespace {

const char* const kCurrencyType = texts::kCurrencyIncorrectCurrencyType;
const char* const kDateType = texts::kExchangeDateIncorrectDateType;
const char* const kOutOfRange = "Exchange: the result is beyond the currency range";
const char* const kChooseCurrencies = "Please choose the reference, From and To currencies";

std::string DayText(double day) { return ValueToText(TValue::MakeDateTime(day)); }

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

}  // namespace

TExchange::TExchange(TUserInterface& ui) : Ui_(ui), Messages_(ui) {
  TUserFuncArray functions(2);
  functions[0].Name = "Last";
  functions[0].Kind = ufMethod;
  functions[0].ArgCount = -1;  // read again at every evaluation
  functions[0].Method = [this](TValue* const*, int, TValue& result) { result = TValue::MakeDateTime(LatestDate()); };
  functions[1].Name = "LastBetween";
  functions[1].Kind = ufMethod;
  functions[1].ArgCount = 2;
  functions[1].Method = [this](TValue* const* args, int, TValue& result) {
    for (int i = 0; i < 2; ++i)
      if (args[i]->Kind != TValueKind::DateTime)
        throw std::runtime_error(texts::kIncorrectDateTimeTypeForTheParameterPrefix + std::to_string(i + 1));
    result = TValue::MakeDateTime(LatestDateBetween(args[0]->Num, args[1]->Num));
  };
  Engine_ = std::make_unique<THelmaxDateTimeEval>(functions);
  Engine_->SetCurrencyNumbers(true);
  BindMessageBoxes();
}

void TExchange::BindMessageBoxes() { Messages_.Bind(*Engine_, true); }

// ---- database -------------------------------------------------------------------

void TExchange::Close() {
  Database_.reset();
  Remembered_ = {};
}

TOpenOutcome TExchange::Open(const std::string& fileName, const TFirebirdLogin& login) {
  if (fileName.empty()) {
    Close();
    return {};
  }
  const char* operation =
      ProductOfFile(fileName) == TRatesProduct::Access ? texts::kOpenAccessFilePrefix : texts::kOpenFirebirdFilePrefix;
  try {
    return Adopt(OpenRatesDatabase(fileName, login));
  } catch (const std::exception& e) { Ui_.ShowMessage(operation + std::string(e.what())); }
  return {};
}

TOpenOutcome TExchange::Adopt(std::unique_ptr<TRatesDatabase> db) {
  TOpenOutcome out;
  out.Currencies = db->Currencies();
  out.References = db->ReferenceCurrencies();
  const std::optional<TRatesRow> newest = db->FirstRow(TRatesQuery::Latest, {});
  std::optional<double> day;
  if (newest && !newest->empty()) day = (*newest)[0].AsDateTime();
  out.RatesText = day ? "Rates of " + DayText(DayOf(*day)) : "No rates";
  // Only a database that answered replaces the one in use.
  Close();
  Database_ = std::move(db);
  out.Opened = true;
  return out;
}

double TExchange::LatestDate() {
  if (Database_ != nullptr) {
    const std::optional<TRatesRow> row = Database_->FirstRow(TRatesQuery::Latest, {});
    if (row && !row->empty())
      if (const std::optional<double> day = (*row)[0].AsDateTime()) return DayOf(*day);
  }
  return DayOf(Engine_->CurrentDateTime());
}

double TExchange::LatestDateBetween(double first, double last) {
  if (Database_ != nullptr) {
    const std::optional<TRatesRow> row = Database_->FirstRow(
        TRatesQuery::LatestBetween, {TRatesParameter::OfDate(first), TRatesParameter::OfDate(last)});
    if (row && !row->empty())
      if (const std::optional<double> day = (*row)[0].AsDateTime()) return DayOf(*day);
  }
  return DayOf(last);
}

TQuote TExchange::FindQuote(std::int32_t reference, std::int32_t currency, double day) {
  TQuote quote;
  if (Database_ == nullptr) return quote;
  const std::optional<TRatesRow> row = Database_->FirstRow(
      TRatesQuery::Quote,
      {TRatesParameter::OfInteger(reference), TRatesParameter::OfInteger(currency), TRatesParameter::OfDate(day)});
  if (!row || row->size() < 2) return quote;
  quote.Found = true;
  quote.Nominal = (*row)[0].AsInteger();
  quote.Value = (*row)[1].AsCurrency();
  return quote;
}

TExchange::TDatedQuote TExchange::FindLatestQuote(std::int32_t reference, std::int32_t currency, double day) {
  TDatedQuote dated;
  if (Database_ == nullptr) return dated;
  const std::optional<TRatesRow> row = Database_->FirstRow(
      TRatesQuery::QuoteOnOrBefore,
      {TRatesParameter::OfInteger(reference), TRatesParameter::OfInteger(currency), TRatesParameter::OfDate(day)});
  if (!row || row->size() < 3) return dated;
  const std::optional<double> quoteDay = (*row)[2].AsDateTime();
  if (!quoteDay) return dated;
  dated.Quote.Found = true;
  dated.Quote.Nominal = (*row)[0].AsInteger();
  dated.Quote.Value = (*row)[1].AsCurrency();
  dated.Day = DayOf(*quoteDay);
  return dated;
}

// ---- calculation --------------------------------------------------------------------

bool TExchange::PrepareRun(TCalculatorForTools& calc) {
  // The function variable is Null: an amount that uses it is no currency.
  if (const std::optional<std::string> refusal = calc.PrepareToolRun(*Engine_, TValue::MakeNull())) {
    Ui_.ShowMessage(*refusal);
    return false;
  }
  return true;
}

bool TExchange::Evaluate(const std::string& text, const TUserVarArray* variables, TValue& result) {
  if (variables != nullptr) Engine_->VerifySyntaxSemantics(text, *variables, true);
  else Engine_->VerifySyntaxSemantics(text, std::string_view(), false);
  if (Engine_->Error) return false;
  Engine_->DoMathExpression(result);
  return !Engine_->Error;
}

TExchangeOutcome TExchange::Calculate(TCalculatorForTools& calc, const TExchangeRequest& request,
                                      TRatesProduct product) {
  BindMessageBoxes();
  try {
    return CalculateUnguarded(calc, request, product);
  } catch (const std::exception& e) { Ui_.ShowMessage(std::string(texts::kButton1ClickPrefix) + e.what()); }
  return {};
}

TExchangeOutcome TExchange::CalculateUnguarded(TCalculatorForTools& calc, const TExchangeRequest& request,
                                               TRatesProduct product) {
  TExchangeOutcome out;
  Remembered_ = {};
  if (Database_ == nullptr) {
    Ui_.ShowMessage(product == TRatesProduct::Access ? texts::kPleaseOpenAccessFileWithExchangeDatas
                                                     : texts::kPleaseOpenFirebirdAccessFileWithExchangeDatas);
    return out;
  }
  if (!PrepareRun(calc)) return out;

  Messages_.ErrorPrefix = texts::kCurrencyPrefix;
  TValue amount;
  if (!Evaluate(RemoveLineEnds(request.Amount), &calc.ExpressionsVars(), amount)) return out;
  if (!amount.IsCurrency()) {
    Ui_.ShowMessage(kCurrencyType);
    return out;
  }
  out.AmountCaption = texts::kCurrencyPrefix + ValueToText(amount) + " " + (request.From ? request.From->CharCode : "");

  Messages_.ErrorPrefix = texts::kExchangeDatePrefix;
  TValue date;
  if (!Evaluate(RemoveLineEnds(request.Date), nullptr, date)) return out;
  if (date.Kind != TValueKind::DateTime) {
    Ui_.ShowMessage(kDateType);
    return out;
  }
  const double day = DayOf(date.Num);
  const std::string dateText = DayText(day);
  out.DateCaption = texts::kExchangeDatePrefix + dateText;

  if (!request.Reference || !request.From || !request.To) {
    Ui_.ShowMessage(kChooseCurrencies);
    return out;
  }
  const TCurrency &r = *request.Reference, &f = *request.From, &t = *request.To;
  // Each quote with the day it is of: the chosen day, or with LatestQuote
  // the day of the newest quote on or before it.
  TDatedQuote from{{}, day}, to{{}, day};
  if (request.LatestQuote) {
    from = FindLatestQuote(r.NumCode, f.NumCode, day);
    to = FindLatestQuote(r.NumCode, t.NumCode, day);
  } else {
    from.Quote = FindQuote(r.NumCode, f.NumCode, day);
    to.Quote = FindQuote(r.NumCode, t.NumCode, day);
  }
  const TQuote &fromQuote = from.Quote, &toQuote = to.Quote;
  const TConversion conversion = Convert(amount.Cur, f.NumCode, t.NumCode, r.NumCode, fromQuote, toQuote);
  std::vector<std::string> lines;
  switch (conversion.Outcome) {
    case TRateOutcome::IncorrectRate: Ui_.ShowMessage(kIncorrectRate); return out;
    case TRateOutcome::OutOfRange: Ui_.ShowMessage(kOutOfRange); return out;
    case TRateOutcome::NoExchange: lines.push_back(kNoExchange); break;
    case TRateOutcome::Converted: lines.push_back(CurrencyText(conversion.Result) + " " + t.CharCode); break;
  }
  // The quotes the conversion needs: none between one currency and itself,
  // and none for the reference.
  std::vector<std::pair<const TCurrency*, const TDatedQuote*>> used;
  if (t.NumCode != f.NumCode) {
    if (f.NumCode != r.NumCode) used.emplace_back(&f, &from);
    if (t.NumCode != r.NumCode) used.emplace_back(&t, &to);
  }
  std::string quoteDays;
  double definitionDay = day;
  if (request.LatestQuote && !used.empty()) {
    std::vector<std::string> missing, found;
    bool sameDay = true;
    for (const auto& [currency, quote] : used) {
      if (!quote->Quote.Found) {
        missing.push_back("no " + currency->CharCode + " quote on or before " + dateText);
        continue;
      }
      found.push_back(currency->CharCode + " quote of " + DayText(quote->Day));
      if (quote->Day != used.front().second->Day) sameDay = false;
    }
    if (!missing.empty()) {
      quoteDays = missing.front();
      for (std::size_t i = 1; i < missing.size(); ++i) quoteDays += ", " + missing[i];
    } else if (sameDay) {
      definitionDay = used.front().second->Day;
      quoteDays = (used.size() == 1 ? "quote of " : "quotes of ") + DayText(definitionDay);
    } else {
      definitionDay = std::max(from.Day, to.Day);
      quoteDays = found[0] + ", " + found[1];
    }
    out.ResultsCaption = "Results: " + quoteDays;
  }
  if (request.ShowQuotes) {
    lines.emplace_back();
    if (fromQuote.Found && fromQuote.Nominal && fromQuote.Value)
      lines.push_back(QuoteLine(DayText(from.Day), f.CharCode, r.CharCode, *fromQuote.Nominal, *fromQuote.Value));
    if (t.NumCode != f.NumCode && toQuote.Found && toQuote.Nominal && toQuote.Value)
      lines.push_back(QuoteLine(DayText(to.Day), t.CharCode, r.CharCode, *toQuote.Nominal, *toQuote.Value));
    if (!conversion.Formula.empty())
      lines.push_back(
          ConversionDefinition(f.CharCode, t.CharCode, DayText(definitionDay), r.CharCode, conversion.Formula));
  }
  out.Results = JoinLines(lines);
  out.Converted = true;
  Remembered_ = {dateText, r.CharCode, f.CharCode, t.CharCode, conversion, fromQuote,
                 toQuote,  f.NumCode,  t.NumCode,  r.NumCode,  quoteDays};
  return out;
}

TQuickOutcome TExchange::Quick(TCalculatorForTools& calc, const std::string& amountText, bool errorMessages) {
  TQuickOutcome out;
  BindMessageBoxes();
  if (!PrepareRun(calc)) return out;
  Messages_.ErrorPrefix = texts::kCurrencyPrefix;
  // Errors go into the results box here: a message box at every keystroke
  // would be in the way.
  std::string error;
  Engine_->OnParseError = [&error](THelmaxComplexEval& e) { error = ParseErrorLine(e); };
  Engine_->OnExecuteError = [&error](THelmaxComplexEval& e) { error = ExecuteErrorLine(e); };
  struct TRebind {
    TExchange* Self;
    ~TRebind() { Self->BindMessageBoxes(); }
  } rebind{this};
  try {
    TValue amount;
    if (!Evaluate(RemoveLineEnds(amountText), &calc.ExpressionsVars(), amount)) {
      out.Results = errorMessages ? error : texts::kErrorResult;
      return out;
    }
    if (!amount.IsCurrency()) {
      out.Results = kCurrencyType;
      return out;
    }
    out.AmountCaption = texts::kCurrencyPrefix + ValueToText(amount) + " " + Remembered_.FromCode;
    // The formula decides whether there is a conversion; the value is the
    // exact one, rounded once.
    const std::string& formula = Remembered_.Conversion.Formula;
    Engine_->VerifySyntaxSemantics(formula, "curr", false);
    if (formula.empty() || Engine_->Error) {
      out.Results = kNoExchange;
      return out;
    }
    const TConversion c = Convert(amount.Cur, Remembered_.From, Remembered_.To, Remembered_.Reference,
                                  Remembered_.FromQuote, Remembered_.ToQuote);
    if (c.Outcome == TRateOutcome::Converted) out.Results = CurrencyText(c.Result) + " " + Remembered_.ToCode;
    else out.Results = errorMessages ? kOutOfRange : texts::kErrorResult;
  } catch (const std::exception& e) { out.Results = errorMessages ? std::string(e.what()) : texts::kErrorResult; }
  return out;
}

std::string SampleRatesFile(const std::string& executablePath) {
  if (executablePath.empty()) return {};
  const std::filesystem::path sample =
      std::filesystem::path(executablePath).parent_path().parent_path() / "share" / "helmax" / "sample-rates.fdb";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(sample, ec)) return {};
  return std::filesystem::weakly_canonical(sample, ec).string();
}

}  // namespace helmax
