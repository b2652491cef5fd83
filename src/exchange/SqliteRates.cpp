#include "SqliteRates.h"

#include <sqlite3.h>

#include <cstring>

namespace helmax {

namespace {

// ExValue is declared CURRENCY: numeric affinity keeps the integer count
// of 1/10000 units, and the declared type tells the reader to scale it.
const char* const kSchema =
    "CREATE TABLE Currencies(NumCode INTEGER, CharCode TEXT, CurrName TEXT);"
    "CREATE TABLE Valute(ExNominal INTEGER, ExValue CURRENCY, ExDate REAL, RefNumCode INTEGER, NumCode INTEGER);"
    "BEGIN;";

// The newest date first, and a quote by reference, currency and day, read
// straight from an index.
const char* const kIndices =
    "CREATE INDEX ValuteDate ON Valute(ExDate);"
    "CREATE INDEX ValuteQuote ON Valute(RefNumCode, NumCode, ExDate);"
    "ANALYZE;";

// The Access texts, each value a bound parameter.
const char* const kQueries[kRatesQueryCount] = {
    "SELECT Valute.ExDate,Valute.RefNumCode,Valute.NumCode FROM Valute ORDER BY Valute.ExDate DESC",
    "SELECT Valute.ExDate,Valute.RefNumCode,Valute.NumCode FROM Valute WHERE Valute.ExDate Between ? AND ? "
    "ORDER BY Valute.ExDate DESC",
    "SELECT Valute.ExNominal,Valute.ExValue,Valute.ExDate,Valute.RefNumCode,Valute.NumCode FROM Valute WHERE  "
    "Valute.RefNumCode=? AND  Valute.NumCode=? AND  ExDate=?",
    "SELECT Valute.ExNominal,Valute.ExValue,Valute.ExDate,Valute.RefNumCode,Valute.NumCode FROM Valute WHERE "
    "Valute.RefNumCode=? AND Valute.NumCode=? AND Valute.ExDate<=? ORDER BY Valute.ExDate DESC",
};

const char* const kAllCurrencies =
    "SELECT Currencies.NumCode,Currencies.CharCode,Currencies.CurrName FROM Currencies "
    "ORDER BY Currencies.CurrName,Currencies.CharCode,Currencies.NumCode";
const char* const kReferenceCurrencies =
    "SELECT Currencies.NumCode,Currencies.CharCode,Currencies.CurrName FROM Currencies INNER JOIN Valute ON "
    "Currencies.NumCode=Valute.RefNumCode GROUP BY Currencies.NumCode,Currencies.CharCode,Currencies.CurrName "
    "ORDER BY Currencies.NumCode,Currencies.CharCode,Currencies.CurrName";

std::string ColumnText(sqlite3_stmt* s, int i) {
  const unsigned char* text = sqlite3_column_text(s, i);
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

}  // namespace

TSqliteRates::TSqliteRates(std::string fileName, TRatesProduct product)
    : FileName_(std::move(fileName)), Product_(product) {
  if (sqlite3_open_v2(":memory:", &Db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_PRIVATECACHE,
                      nullptr) != SQLITE_OK)
    Fail("cannot create the in-memory database");
  Execute(kSchema);
  InsertCurrency_ = Prepare("INSERT INTO Currencies VALUES (?, ?, ?)");
  InsertQuote_ = Prepare("INSERT INTO Valute VALUES (?, ?, ?, ?, ?)");
}

TSqliteRates::~TSqliteRates() {
  for (sqlite3_stmt* s : {InsertCurrency_, InsertQuote_, AllCurrencies_, References_}) sqlite3_finalize(s);
  for (sqlite3_stmt* s : Queries_) sqlite3_finalize(s);
  sqlite3_close(Db_);
}

void TSqliteRates::Fail(const char* what) {
  std::string message = what;
  if (Db_ != nullptr) message += std::string(": ") + sqlite3_errmsg(Db_);
  throw TRatesDatabaseError(message);
}

void TSqliteRates::Execute(const char* sql) {
  if (sqlite3_exec(Db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail("in-memory database");
}

sqlite3_stmt* TSqliteRates::Prepare(const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(Db_, sql, -1, &s, nullptr) != SQLITE_OK) Fail("in-memory database");
  return s;
}

void TSqliteRates::AddCurrency(const std::optional<std::int64_t>& numCode, const std::string& charCode,
                               const std::string& currName) {
  sqlite3_stmt* s = InsertCurrency_;
  if (numCode) sqlite3_bind_int64(s, 1, *numCode);
  else sqlite3_bind_null(s, 1);
  sqlite3_bind_text(s, 2, charCode.data(), static_cast<int>(charCode.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 3, currName.data(), static_cast<int>(currName.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(s) != SQLITE_DONE) Fail("in-memory database");
  sqlite3_reset(s);
}

void TSqliteRates::AddQuote(const TQuoteRecord& q) {
  sqlite3_stmt* s = InsertQuote_;
  auto integer = [s](int i, const std::optional<std::int64_t>& v) {
    if (v) sqlite3_bind_int64(s, i, *v);
    else sqlite3_bind_null(s, i);
  };
  integer(1, q.Nominal);
  integer(2, q.Value);
  if (q.Date) sqlite3_bind_double(s, 3, *q.Date);
  else sqlite3_bind_null(s, 3);
  integer(4, q.RefNumCode);
  integer(5, q.NumCode);
  if (sqlite3_step(s) != SQLITE_DONE) Fail("in-memory database");
  sqlite3_reset(s);
}

void TSqliteRates::FinishLoading() {
  Execute("COMMIT;");
  Execute(kIndices);
  for (int i = 0; i < kRatesQueryCount; ++i) Queries_[i] = Prepare(kQueries[i]);
  AllCurrencies_ = Prepare(kAllCurrencies);
  References_ = Prepare(kReferenceCurrencies);
}

std::vector<TCurrency> TSqliteRates::CurrencyList(sqlite3_stmt* s) {
  std::vector<TCurrency> list;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    if (sqlite3_column_type(s, 0) == SQLITE_NULL) continue;  // no code: it cannot be quoted
    list.push_back({static_cast<std::int32_t>(sqlite3_column_int64(s, 0)), ColumnText(s, 1), ColumnText(s, 2)});
  }
  sqlite3_reset(s);
  if (rc != SQLITE_DONE) Fail("in-memory database");
  return list;
}

std::vector<TCurrency> TSqliteRates::Currencies() { return CurrencyList(AllCurrencies_); }
std::vector<TCurrency> TSqliteRates::ReferenceCurrencies() { return CurrencyList(References_); }

std::optional<TRatesRow> TSqliteRates::FirstRow(TRatesQuery query, const std::vector<TRatesParameter>& parameters) {
  sqlite3_stmt* s = Queries_[static_cast<int>(query)];
  if (s == nullptr) Fail("the database is not loaded");
  sqlite3_reset(s);
  sqlite3_clear_bindings(s);
  if (static_cast<int>(parameters.size()) != sqlite3_bind_parameter_count(s))
    throw TRatesDatabaseError("wrong number of query parameters");
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const TRatesParameter& p = parameters[i];
    const int at = static_cast<int>(i) + 1;
    if (p.Kind == TRatesParameter::TKind::Date) sqlite3_bind_double(s, at, DayOf(p.Date));
    else sqlite3_bind_int64(s, at, p.Integer);
  }
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) {
    sqlite3_reset(s);
    return std::nullopt;
  }
  if (rc != SQLITE_ROW) {
    sqlite3_reset(s);
    Fail("in-memory database");
  }
  TRatesRow row(static_cast<std::size_t>(sqlite3_column_count(s)));
  for (int i = 0; i < static_cast<int>(row.size()); ++i) {
    TRatesField& f = row[static_cast<std::size_t>(i)];
    const char* declared = sqlite3_column_decltype(s, i);
    switch (sqlite3_column_type(s, i)) {
      case SQLITE_NULL: break;
      case SQLITE_INTEGER:
        f.Kind = TRatesField::TKind::Integer;
        f.Integer = sqlite3_column_int64(s, i);
        if (declared != nullptr && std::strcmp(declared, "CURRENCY") == 0) f.Scale = -4;
        break;
      case SQLITE_FLOAT:
        f.Kind = TRatesField::TKind::Real;
        f.Real = sqlite3_column_double(s, i);
        break;
      default:
        f.Kind = TRatesField::TKind::Text;
        f.Text = ColumnText(s, i);
        break;
    }
  }
  sqlite3_reset(s);
  return row;
}

}  // namespace helmax
