// An exchange rates database, read only: the currencies (table Currencies:
// NumCode, CharCode, CurrName) and the quotes (table Valute: ExNominal,
// ExValue, ExDate, RefNumCode, NumCode). Two products keep such files:
// Microsoft Access (.mdb) and Firebird (.fdb); each has its back end behind
// this one small interface, which runs the few fixed queries of the exchange
// calculation with bound parameters and hands back the first row, or none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

// Why a database cannot be opened or read: a message for the user.
class TRatesDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TRatesProduct { Access, Firebird };

// Access for a name ending in ".mdb" (any letter case), Firebird otherwise.
TRatesProduct ProductOfFile(std::string_view fileName);
// True when the name ends in extension (given with its dot), ignoring case.
bool HasExtension(std::string_view fileName, std::string_view extension);

struct TCurrency {
  std::int32_t NumCode = 0;
  std::string CharCode;
  std::string CurrName;
  bool operator==(const TCurrency&) const = default;
};

// One field of a result row, as the back end read it. Numbers keep their
// exact decimal form (an integer scaled by 10^Scale, Scale <= 0) where the
// product stores them so; only a column kept as a floating-point number is
// a Real.
struct TRatesField {
  enum class TKind { Null, Integer, Real, DateTime, Text };
  TKind Kind = TKind::Null;
  std::int64_t Integer = 0;
  int Scale = 0;      // Integer * 10^Scale is the value
  double Real = 0.0;  // Real, or the serial date (days since 30 December 1899)
  std::string Text;

  bool IsNull() const { return Kind == TKind::Null; }
  // The value as a whole number; nullopt when it is null, not a number or
  // has a fraction.
  std::optional<std::int64_t> AsInteger() const;
  // The value in units of 1/10000, exactly for decimal columns, a
  // floating-point value rounded half to even; nullopt when it is null, not
  // a number or out of range.
  std::optional<std::int64_t> AsCurrency() const;
  // The serial date-time; nullopt when it is null or not a date.
  std::optional<double> AsDateTime() const;
  std::string AsText() const;
};

using TRatesRow = std::vector<TRatesField>;

// The queries of the exchange calculation. Their columns:
//   Latest, LatestBetween: ExDate, RefNumCode, NumCode (newest first);
//   Quote, QuoteOnOrBefore: ExNominal, ExValue, ExDate, RefNumCode, NumCode
//   (QuoteOnOrBefore newest first).
enum class TRatesQuery {
  Latest,           // no parameters
  LatestBetween,    // two dates
  Quote,            // reference NumCode, currency NumCode, date
  QuoteOnOrBefore,  // reference NumCode, currency NumCode, the last date
};
constexpr int kRatesQueryCount = 4;

// A bound parameter: a whole number or a date (its day is used).
struct TRatesParameter {
  enum class TKind { Integer, Date };
  TKind Kind = TKind::Integer;
  std::int64_t Integer = 0;
  double Date = 0.0;
  static TRatesParameter OfInteger(std::int64_t v) { return {TKind::Integer, v, 0.0}; }
  static TRatesParameter OfDate(double serial) { return {TKind::Date, 0, serial}; }
};

// The day of a serial date-time: its integer part (a serial before 1899
// keeps the day in its integer part and the time in its fraction).
double DayOf(double serial);

class TRatesDatabase {
 public:
  virtual ~TRatesDatabase() = default;
  virtual TRatesProduct Product() const = 0;
  // The name the database was opened with.
  virtual const std::string& FileName() const = 0;
  // Every currency ordered by CurrName (then CharCode, NumCode): the From
  // and To lists.
  virtual std::vector<TCurrency> Currencies() = 0;
  // The currencies that are the reference of some quote, ordered by
  // NumCode: the Reference list.
  virtual std::vector<TCurrency> ReferenceCurrencies() = 0;
  // Runs the query with its parameters; the first row or none. Throws
  // TRatesDatabaseError when the database cannot answer.
  virtual std::optional<TRatesRow> FirstRow(TRatesQuery query, const std::vector<TRatesParameter>& parameters) = 0;
};

// User name and password for a Firebird database (an embedded open of a
// local file checks no password; a server does).
struct TFirebirdLogin {
  std::string UserName = "sysdba";
  std::string Password;
};

// Opens the file with the back end its extension names. Throws
// TRatesDatabaseError with a readable message when the file is missing,
// locked, not a database of that product, or lacks a table or column.
std::unique_ptr<TRatesDatabase> OpenRatesDatabase(const std::string& fileName, const TFirebirdLogin& login);

// The back ends.
// Refuses, naming the file and the reason, a local database file that
// cannot be opened: missing ("File \"x\" does not exist"), unreadable
// ("cannot open \"x\": Permission denied"), a folder, a device or FIFO
// (never waited on) or one of more than kRatesFileLimit bytes.
void CheckRatesFile(const std::string& fileName);
std::unique_ptr<TRatesDatabase> OpenAccessRates(const std::string& fileName);
std::unique_ptr<TRatesDatabase> OpenFirebirdRates(const std::string& name, const TFirebirdLogin& login);

}  // namespace helmax
