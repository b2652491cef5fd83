// The Access back end: mdbtools' libmdb reads the two tables of the .mdb
// file (opened read only, so the file is never changed) and the rows go into
// an in-memory SQLite database through bound parameters; the queries run
// there.
#include <glib.h>  // before mdbtools.h, which uses its types
#include <mdbtools.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "SqliteRates.h"
#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

// Closes what libmdb opened, whatever way the loading ends.
struct TMdbFile {
  MdbHandle* Handle = nullptr;
  std::vector<MdbTableDef*> Tables;
  ~TMdbFile() {
    for (MdbTableDef* t : Tables) mdb_free_tabledef(t);
    if (Handle != nullptr) mdb_close(Handle);
  }
};

// "Standard Jet DB" (Jet 3 and 4) or "Standard ACE DB" at byte 4 of the
// first page: anything else is no Access database, and libmdb is not asked
// to read it. A file that cannot be read says why.
void CheckSignature(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) throw TRatesDatabaseError("cannot open \"" + fileName + "\": " + std::strerror(errno));
  char head[20] = {};
  std::size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::read(fd, head + got, sizeof head - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw TRatesDatabaseError("cannot read \"" + fileName + "\": " + std::strerror(err));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got < sizeof head ||
      (std::memcmp(head + 4, "Standard Jet DB", 15) != 0 && std::memcmp(head + 4, "Standard ACE DB", 15) != 0))
    throw TRatesDatabaseError("\"" + fileName + "\" is not an Access database");
}

// A decimal text ("-12.3400") as an integer scaled by 10^scale.
bool ParseDecimal(std::string_view text, std::int64_t& value, int& scale) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  __int128 v = 0;
  int decimals = 0;
  bool point = false, digits = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (IsAsciiDigit(c)) {
      v = v * 10 + (c - '0');
      if (v > INT64_MAX) return false;
      digits = true;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  value = static_cast<std::int64_t>(negative ? -v : v);
  scale = -decimals;
  return true;
}

template <class T>
T Raw(const MdbHandle* mdb, const MdbColumn* col) {
  T v;
  std::memcpy(&v, mdb->pg_buf + col->cur_value_start, sizeof v);
  return v;
}

// One column of the current row. Fixed-width numbers are read from the row
// bytes, so that Currency stays exact and dates keep their serial; texts
// and decimals come through libmdb's text form.
TRatesField ReadField(const MdbHandle* mdb, const MdbColumn* col, const char* text, int textLength) {
  TRatesField f;
  const bool isText = col->col_type == MDB_TEXT || col->col_type == MDB_MEMO;
  if (isText) {
    f.Kind = TRatesField::TKind::Text;
    f.Text.assign(text, static_cast<std::size_t>(std::max(0, textLength)));
    return f;
  }
  if (textLength <= 0) return f;  // NULL
  std::size_t width = 0;
  switch (col->col_type) {
    case MDB_BYTE: width = 1; break;
    case MDB_INT: width = 2; break;
    case MDB_LONGINT:
    case MDB_FLOAT: width = 4; break;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME: width = 8; break;
    default: break;
  }
  if (width != 0) {
    if (col->cur_value_len != static_cast<int>(width) || col->cur_value_start < 0 ||
        col->cur_value_start + static_cast<int>(width) > static_cast<int>(sizeof mdb->pg_buf))
      throw TRatesDatabaseError(std::string("unreadable value in column ") + col->name);
  }
  switch (col->col_type) {
    case MDB_BYTE:
      f.Kind = TRatesField::TKind::Integer;
      f.Integer = Raw<std::uint8_t>(mdb, col);
      break;
    case MDB_INT:
      f.Kind = TRatesField::TKind::Integer;
      f.Integer = Raw<std::int16_t>(mdb, col);
      break;
    case MDB_LONGINT:
      f.Kind = TRatesField::TKind::Integer;
      f.Integer = Raw<std::int32_t>(mdb, col);
      break;
    case MDB_MONEY:
      f.Kind = TRatesField::TKind::Integer;
      f.Integer = Raw<std::int64_t>(mdb, col);
      f.Scale = -4;
      break;
    case MDB_FLOAT:
      f.Kind = TRatesField::TKind::Real;
      f.Real = Raw<float>(mdb, col);
      break;
    case MDB_DOUBLE:
      f.Kind = TRatesField::TKind::Real;
      f.Real = Raw<double>(mdb, col);
      break;
    case MDB_DATETIME:
      f.Kind = TRatesField::TKind::DateTime;
      f.Real = Raw<double>(mdb, col);
      break;
    case MDB_NUMERIC:
      if (!ParseDecimal(std::string_view(text, static_cast<std::size_t>(textLength)), f.Integer, f.Scale))
        throw TRatesDatabaseError(std::string("unreadable value in column ") + col->name);
      f.Kind = TRatesField::TKind::Integer;
      break;
    default: throw TRatesDatabaseError(std::string("column ") + col->name + " has a type that is not a number");
  }
  return f;
}

// Reads every row of a table, handing the wanted columns (in the order of
// names) to each.
template <class OnRow>
void ReadTable(TMdbFile& file, const char* table, std::initializer_list<const char*> names, OnRow onRow) {
  MdbTableDef* t = mdb_read_table_by_name(file.Handle, const_cast<gchar*>(table), MDB_TABLE);
  if (t == nullptr) throw TRatesDatabaseError(std::string("the database has no table ") + table);
  file.Tables.push_back(t);
  if (mdb_read_columns(t) == nullptr) throw TRatesDatabaseError(std::string("cannot read the columns of ") + table);
  std::vector<int> at;
  for (const char* name : names) {
    int found = -1;
    for (unsigned i = 0; i < t->num_cols && found < 0; ++i) {
      const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i));
      if (EqualsIgnoringCase(col->name, name)) found = static_cast<int>(i);
    }
    if (found < 0) throw TRatesDatabaseError(std::string("table ") + table + " has no column " + name);
    at.push_back(found);
  }
  // Every column is bound (libmdb reads the bound ones); the texts need room.
  std::vector<std::vector<char>> texts(t->num_cols, std::vector<char>(MDB_BIND_SIZE));
  std::vector<int> lengths(t->num_cols);
  for (unsigned i = 0; i < t->num_cols; ++i) mdb_bind_column(t, static_cast<int>(i) + 1, texts[i].data(), &lengths[i]);
  mdb_rewind_table(t);
  std::vector<TRatesField> fields(at.size());
  while (mdb_fetch_row(t)) {
    for (std::size_t k = 0; k < at.size(); ++k) {
      const auto i = static_cast<unsigned>(at[k]);
      fields[k] = ReadField(file.Handle, static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i)),
                            texts[i].data(), lengths[i]);
    }
    onRow(fields);
  }
}

std::optional<std::int64_t> Whole(const TRatesField& f, const char* column) {
  if (f.IsNull()) return std::nullopt;
  std::optional<std::int64_t> v = f.AsInteger();
  if (!v) throw TRatesDatabaseError(std::string("column ") + column + " holds a value that is not a whole number");
  return v;
}

}  // namespace

std::unique_ptr<TRatesDatabase> OpenAccessRates(const std::string& fileName) {
  CheckRatesFile(fileName);
  CheckSignature(fileName);
  auto rates = std::make_unique<TSqliteRates>(fileName, TRatesProduct::Access);
  TMdbFile file;
  file.Handle = mdb_open(fileName.c_str(), MDB_NOFLAGS);
  if (file.Handle == nullptr) throw TRatesDatabaseError("\"" + fileName + "\" cannot be read as an Access database");
  if (mdb_read_catalog(file.Handle, MDB_TABLE) == nullptr)
    throw TRatesDatabaseError("\"" + fileName + "\" has no readable table catalogue");
  ReadTable(file, "Currencies", {"NumCode", "CharCode", "CurrName"}, [&](const std::vector<TRatesField>& f) {
    rates->AddCurrency(Whole(f[0], "NumCode"), f[1].AsText(), f[2].AsText());
  });
  ReadTable(file, "Valute", {"ExNominal", "ExValue", "ExDate", "RefNumCode", "NumCode"},
            [&](const std::vector<TRatesField>& f) {
              TQuoteRecord q;
              q.Nominal = Whole(f[0], "ExNominal");
              if (!f[1].IsNull()) {
                q.Value = f[1].AsCurrency();
                if (!q.Value) throw TRatesDatabaseError("column ExValue holds a value that is not a currency amount");
              }
              if (!f[2].IsNull()) {
                q.Date = f[2].AsDateTime();
                if (!q.Date) throw TRatesDatabaseError("column ExDate holds a value that is not a date");
              }
              q.RefNumCode = Whole(f[3], "RefNumCode");
              q.NumCode = Whole(f[4], "NumCode");
              rates->AddQuote(q);
            });
  rates->FinishLoading();
  return rates;
}

}  // namespace helmax
