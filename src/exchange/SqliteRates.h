// Exchange rates held in a private in-memory SQLite database that runs the
// Access query texts unchanged: the Access back end copies the two tables of
// an .mdb file into it (libmdb reads, but cannot run joins, grouping or
// ordering). ExValue is kept exactly, as a count of 1/10000 units; ExDate as
// the serial day number, like Access keeps it.
#pragma once

#include <optional>

#include "RatesDatabase.h"

struct sqlite3;
struct sqlite3_stmt;

namespace helmax {

// A quote as it is stored; a missing value is NULL.
struct TQuoteRecord {
  std::optional<std::int64_t> Nominal;
  std::optional<std::int64_t> Value;  // 1/10000 units
  std::optional<double> Date;
  std::optional<std::int64_t> RefNumCode;
  std::optional<std::int64_t> NumCode;
};

class TSqliteRates : public TRatesDatabase {
 public:
  TSqliteRates(std::string fileName, TRatesProduct product);
  ~TSqliteRates() override;
  TSqliteRates(const TSqliteRates&) = delete;
  TSqliteRates& operator=(const TSqliteRates&) = delete;

  // Loading: rows go in through bound parameters, inside one transaction
  // that FinishLoading commits before it adds the indices of the queries.
  void AddCurrency(const std::optional<std::int64_t>& numCode, const std::string& charCode,
                   const std::string& currName);
  void AddQuote(const TQuoteRecord& quote);
  void FinishLoading();

  TRatesProduct Product() const override { return Product_; }
  const std::string& FileName() const override { return FileName_; }
  std::vector<TCurrency> Currencies() override;
  std::vector<TCurrency> ReferenceCurrencies() override;
  std::optional<TRatesRow> FirstRow(TRatesQuery query, const std::vector<TRatesParameter>& parameters) override;

 private:
  void Execute(const char* sql);
  sqlite3_stmt* Prepare(const char* sql);
  [[noreturn]] void Fail(const char* what);
  std::vector<TCurrency> CurrencyList(sqlite3_stmt* statement);

  std::string FileName_;
  TRatesProduct Product_;
  sqlite3* Db_ = nullptr;
  sqlite3_stmt* InsertCurrency_ = nullptr;
  sqlite3_stmt* InsertQuote_ = nullptr;
  sqlite3_stmt* Queries_[kRatesQueryCount] = {};
  sqlite3_stmt* AllCurrencies_ = nullptr;
  sqlite3_stmt* References_ = nullptr;
};

}  // namespace helmax
