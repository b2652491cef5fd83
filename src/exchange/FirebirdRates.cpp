#include "FirebirdRates.h"

#include <fcntl.h>
#include <ibase.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "TextFile.h"

namespace helmax {

namespace {

// ISC_DATE counts days from 17 November 1858; the serial from 30 December
// 1899.
constexpr int kSerialToIscDate = 15018;
constexpr double kTimeUnitsPerDay = 864000000.0;  // ISC_TIME: 1/10000 s

const char* const kQueries[kRatesQueryCount] = {
    "SELECT \"Valute\".\"ExDate\",\"Valute\".\"RefNumCode\",\"Valute\".\"NumCode\" FROM \"Valute\" "
    "ORDER BY \"Valute\".\"ExDate\" DESC",
    "SELECT \"Valute\".\"ExDate\",\"Valute\".\"RefNumCode\",\"Valute\".\"NumCode\" FROM \"Valute\" "
    "WHERE \"Valute\".\"ExDate\" Between ? AND ? ORDER BY \"Valute\".\"ExDate\" DESC",
    "SELECT \"Valute\".\"ExNominal\",\"Valute\".\"ExValue\",\"Valute\".\"ExDate\",\"Valute\".\"RefNumCode\","
    "\"Valute\".\"NumCode\" FROM \"Valute\" WHERE  \"Valute\".\"RefNumCode\"=? AND  \"Valute\".\"NumCode\"=? AND  "
    "\"Valute\".\"ExDate\"=?",
    "SELECT \"Valute\".\"ExNominal\",\"Valute\".\"ExValue\",\"Valute\".\"ExDate\",\"Valute\".\"RefNumCode\","
    "\"Valute\".\"NumCode\" FROM \"Valute\" WHERE \"Valute\".\"RefNumCode\"=? AND \"Valute\".\"NumCode\"=? AND "
    "\"Valute\".\"ExDate\"<=? ORDER BY \"Valute\".\"ExDate\" DESC",
};
const char* const kAllCurrencies =
    "SELECT \"NumCode\",\"CharCode\",\"CurrName\" FROM \"Currencies\" GROUP BY \"CurrName\",\"CharCode\",\"NumCode\" "
    "ORDER BY \"CurrName\",\"CharCode\",\"NumCode\"";
const char* const kReferenceCurrencies =
    "SELECT \"Currencies\".\"NumCode\",\"Currencies\".\"CharCode\",\"Currencies\".\"CurrName\" FROM \"Currencies\" "
    "INNER JOIN \"Valute\" ON \"Currencies\".\"NumCode\"=\"Valute\".\"RefNumCode\" "
    "GROUP BY \"Currencies\".\"NumCode\",\"Currencies\".\"CharCode\",\"Currencies\".\"CurrName\" "
    "ORDER BY \"Currencies\".\"NumCode\",\"Currencies\".\"CharCode\",\"Currencies\".\"CurrName\"";

// The engine's own words for a failure, its lines joined.
std::string StatusText(const ISC_STATUS* status) {
  std::string text;
  char line[1024];
  const ISC_STATUS* p = status;
  while (fb_interpret(line, sizeof line, &p) > 0) {
    if (!text.empty()) text += ". ";
    text += line;
  }
  return text.empty() ? "unknown Firebird error" : text;
}

void Check(const ISC_STATUS* status, const std::string& what) {
  if (status[0] == 1 && status[1] != 0) throw TRatesDatabaseError(what + StatusText(status));
}

// A database parameter block.
class TParameterBlock {
 public:
  TParameterBlock() { Bytes_.push_back(isc_dpb_version1); }
  void Add(char tag, const std::string& value) {
    if (value.size() > 255) throw TRatesDatabaseError("parameter too long");
    Bytes_.push_back(tag);
    Bytes_.push_back(static_cast<char>(value.size()));
    Bytes_.insert(Bytes_.end(), value.begin(), value.end());
  }
  void AddInteger(char tag, std::uint32_t value) {
    Bytes_.push_back(tag);
    Bytes_.push_back(4);
    for (int i = 0; i < 4; ++i) Bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  const char* Data() const { return Bytes_.data(); }
  short Size() const { return static_cast<short>(Bytes_.size()); }

 private:
  std::vector<char> Bytes_;
};

// An XSQLDA with room for its variables and their data.
class TDescriptor {
 public:
  explicit TDescriptor(int count) { Resize(count); }
  void Resize(int count) {
    Memory_.assign(XSQLDA_LENGTH(std::max(count, 1)), 0);
    Area()->version = SQLDA_VERSION1;
    Area()->sqln = static_cast<short>(std::max(count, 1));
  }
  XSQLDA* Area() { return reinterpret_cast<XSQLDA*>(Memory_.data()); }
  XSQLVAR& Var(int i) { return Area()->sqlvar[i]; }
  int Count() { return Area()->sqld; }
  // Buffers for every variable as the engine described it.
  void Allocate() {
    Data_.assign(static_cast<std::size_t>(Count()), {});
    Nulls_.assign(static_cast<std::size_t>(Count()), 0);
    for (int i = 0; i < Count(); ++i) {
      XSQLVAR& v = Var(i);
      std::size_t size = static_cast<std::size_t>(v.sqllen);
      if ((v.sqltype & ~1) == SQL_VARYING) size += sizeof(short);
      Data_[static_cast<std::size_t>(i)].assign(std::max<std::size_t>(size, 8) + 8, 0);
      v.sqldata = Data_[static_cast<std::size_t>(i)].data();
      v.sqlind = &Nulls_[static_cast<std::size_t>(i)];
    }
  }

 private:
  std::vector<char> Memory_;
  std::vector<std::vector<char>> Data_;
  std::vector<short> Nulls_;
};

TRatesField ReadVar(const XSQLVAR& v) {
  TRatesField f;
  if ((v.sqltype & 1) && *v.sqlind < 0) return f;
  auto integer = [&](std::int64_t value) {
    f.Kind = TRatesField::TKind::Integer;
    f.Integer = value;
    f.Scale = v.sqlscale;
  };
  const char* d = v.sqldata;
  switch (v.sqltype & ~1) {
    case SQL_SHORT: {
      std::int16_t x;
      std::memcpy(&x, d, 2);
      integer(x);
      break;
    }
    case SQL_LONG: {
      std::int32_t x;
      std::memcpy(&x, d, 4);
      integer(x);
      break;
    }
    case SQL_INT64: {
      std::int64_t x;
      std::memcpy(&x, d, 8);
      integer(x);
      break;
    }
    case SQL_FLOAT: {
      float x;
      std::memcpy(&x, d, 4);
      f.Kind = TRatesField::TKind::Real;
      f.Real = x;
      break;
    }
    case SQL_DOUBLE: {
      double x;
      std::memcpy(&x, d, 8);
      f.Kind = TRatesField::TKind::Real;
      f.Real = x;
      break;
    }
    case SQL_TYPE_DATE: {
      ISC_DATE x;
      std::memcpy(&x, d, sizeof x);
      f.Kind = TRatesField::TKind::DateTime;
      f.Real = static_cast<double>(x - kSerialToIscDate);
      break;
    }
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP x;
      std::memcpy(&x, d, sizeof x);
      f.Kind = TRatesField::TKind::DateTime;
      f.Real = static_cast<double>(x.timestamp_date - kSerialToIscDate) + x.timestamp_time / kTimeUnitsPerDay;
      break;
    }
    case SQL_TEXT: {
      f.Kind = TRatesField::TKind::Text;
      f.Text.assign(d, static_cast<std::size_t>(v.sqllen));
      while (!f.Text.empty() && f.Text.back() == ' ') f.Text.pop_back();  // CHAR pads with blanks
      break;
    }
    case SQL_VARYING: {
      short length;
      std::memcpy(&length, d, sizeof length);
      f.Kind = TRatesField::TKind::Text;
      f.Text.assign(d + sizeof length, static_cast<std::size_t>(std::max<short>(0, length)));
      break;
    }
    default:
      throw TRatesDatabaseError(std::string("column ") +
                                std::string(v.sqlname, static_cast<std::size_t>(v.sqlname_length)) +
                                " has a type that cannot be read");
  }
  return f;
}

// A private copy of a local database file, removed with its folder. The
// folder is locked while the copy lives, so that a later start of the
// program, removing the copies of programs that were killed, leaves it.
class TPrivateCopy {
 public:
  explicit TPrivateCopy(const std::string& original) {
    const std::string temp = std::filesystem::temp_directory_path().string();
    std::string pattern = temp + "/" + std::string(kRatesCopyPrefix) + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
      throw TRatesDatabaseError("cannot create a private folder in \"" + temp + "\": " + std::strerror(errno));
    Folder_ = pattern;
    FolderLock_ = ::open(Folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FolderLock_ >= 0) ::flock(FolderLock_, LOCK_EX);
    Path_ = Folder_ + "/rates.fdb";
    const std::string failure = CopyFile(original, temp);
    if (!failure.empty()) {
      Remove();
      throw TRatesDatabaseError(failure);
    }
  }
  ~TPrivateCopy() { Remove(); }
  TPrivateCopy(const TPrivateCopy&) = delete;
  TPrivateCopy& operator=(const TPrivateCopy&) = delete;
  const std::string& Path() const { return Path_; }

 private:
  // Copies original to Path_; empty, or a message that tells a file that
  // cannot be read from a temporary folder that cannot take the copy.
  std::string CopyFile(const std::string& original, const std::string& temp) {
    const int in = ::open(original.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (in < 0) return "cannot read \"" + original + "\": " + std::strerror(errno);
    const int out = ::open(Path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
      const int err = errno;
      ::close(in);
      return CannotCopy(original, temp, err);
    }
    std::string failure;
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(in, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        failure = "cannot read \"" + original + "\": " + std::strerror(errno);
        break;
      }
      if (n == 0) break;
      const char* p = buffer;
      std::size_t left = static_cast<std::size_t>(n);
      while (left > 0 && failure.empty()) {
        const ssize_t w = ::write(out, p, left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) failure = CannotCopy(original, temp, w < 0 ? errno : EIO);
        else p += w, left -= static_cast<std::size_t>(w);
      }
      if (!failure.empty()) break;
    }
    if (::close(out) != 0 && failure.empty()) failure = CannotCopy(original, temp, errno);
    ::close(in);
    return failure;
  }
  static std::string CannotCopy(const std::string& original, const std::string& temp, int err) {
    return "cannot copy \"" + original + "\" into the temporary folder \"" + temp + "\": " + std::strerror(err);
  }
  void Remove() {
    std::error_code ec;
    std::filesystem::remove_all(Folder_, ec);
    if (FolderLock_ >= 0) ::close(FolderLock_);
    FolderLock_ = -1;
  }
  std::string Folder_, Path_;
  int FolderLock_ = -1;
};

// The engine's message with the private copy's name replaced by the
// user's file, which is the one the user knows.
std::string NamingTheOriginal(std::string message, const std::string& copy, const std::string& original) {
  if (copy.empty()) return message;
  for (std::size_t at = message.find(copy); at != std::string::npos; at = message.find(copy, at + original.size()))
    message.replace(at, copy.size(), original);
  return message;
}

// A Firebird engine keeps an exclusive lock on every file it has open; a
// file that is so locked is in use, and its bytes may be half written.
void CheckNotLocked(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw TRatesDatabaseError("cannot open \"" + fileName + "\": " + std::strerror(errno));
  const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // drops the probe's lock too
  if (locked)
    throw TRatesDatabaseError("\"" + fileName +
                              "\" is locked: another program (a Firebird server or engine) has it "
                              "open");
}

class TFirebirdRates : public TRatesDatabase {
 public:
  TFirebirdRates(const std::string& name, const TFirebirdLogin& login) : FileName_(name) {
    TParameterBlock dpb;
    dpb.Add(isc_dpb_user_name, login.UserName);
    dpb.Add(isc_dpb_password, login.Password);
    dpb.Add(isc_dpb_lc_ctype, "UTF8");
    std::string attachName = name;
    struct stat local {};
    // A name with ':' that is no local file names a database on a server.
    if (::stat(name.c_str(), &local) == 0 || name.find(':') == std::string::npos) {
      CheckRatesFile(name);
      CheckNotLocked(name);
      Copy_ = std::make_unique<TPrivateCopy>(name);
      attachName = Copy_->Path();
      // The copy is ours: the embedded engine opens it, never a server.
      dpb.Add(isc_dpb_config, "Providers=Engine12");
      PrepareFirebirdLockFolder();
    }
    const std::string copyPath = Copy_ ? Copy_->Path() : std::string();
    ISC_STATUS_ARRAY status{};
    if (isc_attach_database(status, 0, attachName.c_str(), &Db_, dpb.Size(), dpb.Data())) {
      Db_ = 0;
      throw TRatesDatabaseError(NamingTheOriginal(StatusText(status), copyPath, name));
    }
    try {
      static const char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                                 isc_tpb_nowait};
      Check(status, "");
      isc_start_transaction(status, &Transaction_, 1, &Db_, static_cast<unsigned short>(sizeof tpb), tpb);
      Check(status, "");
      for (int i = 0; i < kRatesQueryCount; ++i) Prepare(Queries_[i], kQueries[i]);
      Prepare(AllCurrencies_, kAllCurrencies);
      Prepare(References_, kReferenceCurrencies);
    } catch (const TRatesDatabaseError& e) {
      const std::string message = NamingTheOriginal(e.what(), copyPath, name);
      Close();
      throw TRatesDatabaseError(message);
    } catch (...) {
      Close();
      throw;
    }
  }

  ~TFirebirdRates() override { Close(); }

  TRatesProduct Product() const override { return TRatesProduct::Firebird; }
  const std::string& FileName() const override { return FileName_; }

  std::vector<TCurrency> Currencies() override { return CurrencyList(AllCurrencies_); }
  std::vector<TCurrency> ReferenceCurrencies() override { return CurrencyList(References_); }

  std::optional<TRatesRow> FirstRow(TRatesQuery query, const std::vector<TRatesParameter>& parameters) override {
    TStatement& s = Queries_[static_cast<int>(query)];
    Open(s, parameters);
    std::optional<TRatesRow> row = Fetch(s);
    CloseCursor(s);
    return row;
  }

 private:
  struct TStatement {
    isc_stmt_handle Handle = 0;
    std::unique_ptr<TDescriptor> In, Out;
    std::vector<std::int64_t> Integers;
    std::vector<ISC_DATE> Dates;
  };

  void Prepare(TStatement& s, const char* sql) {
    ISC_STATUS_ARRAY status{};
    isc_dsql_allocate_statement(status, &Db_, &s.Handle);
    Check(status, "");
    s.Out = std::make_unique<TDescriptor>(8);
    isc_dsql_prepare(status, &Transaction_, &s.Handle, 0, sql, 3, s.Out->Area());
    Check(status, "");
    if (s.Out->Count() > s.Out->Area()->sqln) {
      s.Out->Resize(s.Out->Count());
      isc_dsql_describe(status, &s.Handle, 1, s.Out->Area());
      Check(status, "");
    }
    s.Out->Allocate();
    s.In = std::make_unique<TDescriptor>(4);
    isc_dsql_describe_bind(status, &s.Handle, 1, s.In->Area());
    Check(status, "");
    s.Integers.assign(static_cast<std::size_t>(s.In->Count()), 0);
    s.Dates.assign(static_cast<std::size_t>(s.In->Count()), 0);
  }

  void Open(TStatement& s, const std::vector<TRatesParameter>& parameters) {
    if (static_cast<int>(parameters.size()) != s.In->Count())
      throw TRatesDatabaseError("wrong number of query parameters");
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      XSQLVAR& v = s.In->Var(static_cast<int>(i));
      v.sqlind = nullptr;
      v.sqlscale = 0;
      v.sqlsubtype = 0;
      if (parameters[i].Kind == TRatesParameter::TKind::Date) {
        const double day = DayOf(parameters[i].Date);
        if (!(std::fabs(day) < 4.0e6)) throw TRatesDatabaseError("date out of range");
        s.Dates[i] = static_cast<ISC_DATE>(day) + kSerialToIscDate;
        v.sqltype = SQL_TYPE_DATE;
        v.sqllen = sizeof(ISC_DATE);
        v.sqldata = reinterpret_cast<char*>(&s.Dates[i]);
      } else {
        s.Integers[i] = parameters[i].Integer;
        v.sqltype = SQL_INT64;
        v.sqllen = sizeof(std::int64_t);
        v.sqldata = reinterpret_cast<char*>(&s.Integers[i]);
      }
    }
    ISC_STATUS_ARRAY status{};
    isc_dsql_execute(status, &Transaction_, &s.Handle, 1, s.In->Count() > 0 ? s.In->Area() : nullptr);
    Check(status, "");
  }

  std::optional<TRatesRow> Fetch(TStatement& s) {
    ISC_STATUS_ARRAY status{};
    const ISC_STATUS rc = isc_dsql_fetch(status, &s.Handle, 1, s.Out->Area());
    if (rc == 100) return std::nullopt;
    if (rc != 0) {
      const std::string text = StatusText(status);
      CloseCursor(s);
      throw TRatesDatabaseError(text);
    }
    TRatesRow row;
    for (int i = 0; i < s.Out->Count(); ++i) row.push_back(ReadVar(s.Out->Var(i)));
    return row;
  }

  void CloseCursor(TStatement& s) {
    ISC_STATUS_ARRAY status{};
    isc_dsql_free_statement(status, &s.Handle, DSQL_close);
  }

  std::vector<TCurrency> CurrencyList(TStatement& s) {
    Open(s, {});
    std::vector<TCurrency> list;
    while (std::optional<TRatesRow> row = Fetch(s)) {
      const std::optional<std::int64_t> code = (*row)[0].AsInteger();
      if (!code) continue;  // no code: it cannot be quoted
      list.push_back({static_cast<std::int32_t>(*code), (*row)[1].AsText(), (*row)[2].AsText()});
    }
    CloseCursor(s);
    return list;
  }

  void Close() {
    ISC_STATUS_ARRAY status{};
    for (TStatement* s : {&Queries_[0], &Queries_[1], &Queries_[2], &Queries_[3], &AllCurrencies_, &References_})
      if (s->Handle != 0) isc_dsql_free_statement(status, &s->Handle, DSQL_drop);
    if (Transaction_ != 0) isc_rollback_transaction(status, &Transaction_);  // it changed nothing
    if (Db_ != 0) isc_detach_database(status, &Db_);
    Db_ = 0;
    Copy_.reset();
  }

  std::string FileName_;
  std::unique_ptr<TPrivateCopy> Copy_;
  isc_db_handle Db_ = 0;
  isc_tr_handle Transaction_ = 0;
  TStatement Queries_[kRatesQueryCount];
  TStatement AllCurrencies_, References_;
};

// Runs one statement in its own transaction.
void ExecuteInTransaction(isc_db_handle& db, const char* sql) {
  ISC_STATUS_ARRAY status{};
  isc_tr_handle tr = 0;
  isc_start_transaction(status, &tr, 1, &db, 0, nullptr);
  Check(status, "");
  if (isc_dsql_execute_immediate(status, &db, &tr, 0, sql, 3, nullptr)) {
    const std::string text = StatusText(status);
    isc_rollback_transaction(status, &tr);
    throw TRatesDatabaseError(text);
  }
  isc_commit_transaction(status, &tr);
  Check(status, "");
}

}  // namespace

int RemoveStaleRatesCopies(std::time_t startedAt) {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) return 0;
  return RemoveStaleTemporaryFolders(temp.string(), kRatesCopyPrefix, startedAt);
}

void PrepareFirebirdLockFolder() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* set = ::getenv("FIREBIRD_LOCK");
    if (set != nullptr && *set != '\0') return;
    const char* standard = "/tmp/firebird";
    struct stat st {};
    if (::stat(standard, &st) != 0 || ::access(standard, W_OK | X_OK) == 0) return;
    // Another user's folder: this user gets one of its own.
    const std::string own = "/tmp/firebird-" + std::to_string(::getuid());
    ::mkdir(own.c_str(), 0700);
    if (::lstat(own.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return;
    ::setenv("FIREBIRD_LOCK", own.c_str(), 0);
  });
}

std::unique_ptr<TRatesDatabase> OpenFirebirdRates(const std::string& name, const TFirebirdLogin& login) {
  return std::make_unique<TFirebirdRates>(name, login);
}

namespace {

// A new database, attached. Throws TRatesDatabaseError.
isc_db_handle NewDatabase(const std::string& fileName) {
  if (std::filesystem::exists(fileName)) throw TRatesDatabaseError("\"" + fileName + "\" exists already");
  PrepareFirebirdLockFolder();
  TParameterBlock dpb;
  dpb.Add(isc_dpb_user_name, "SYSDBA");
  dpb.Add(isc_dpb_lc_ctype, "UTF8");
  dpb.Add(isc_dpb_set_db_charset, "UTF8");
  dpb.AddInteger(isc_dpb_sql_dialect, 3);
  dpb.AddInteger(isc_dpb_page_size, 8192);
  dpb.Add(isc_dpb_config, "Providers=Engine12");
  ISC_STATUS_ARRAY status{};
  isc_db_handle db = 0;
  if (isc_create_database(status, 0, fileName.c_str(), &db, dpb.Size(), dpb.Data(), 0))
    throw TRatesDatabaseError(StatusText(status));
  return db;
}

// Detaches and removes a database whose making failed.
void Discard(isc_db_handle& db, const std::string& fileName) {
  ISC_STATUS_ARRAY status{};
  isc_detach_database(status, &db);
  std::error_code ec;
  std::filesystem::remove(fileName, ec);
}

}  // namespace

void CreateFirebirdDatabase(const std::string& fileName, const std::vector<std::string>& statements) {
  isc_db_handle db = NewDatabase(fileName);
  try {
    for (const std::string& sql : statements) ExecuteInTransaction(db, sql.c_str());
  } catch (...) {
    Discard(db, fileName);
    throw;
  }
  ISC_STATUS_ARRAY status{};
  isc_detach_database(status, &db);
}

void CreateFirebirdRates(const std::string& fileName, const std::vector<TCurrency>& currencies,
                         const std::vector<TQuoteRecord>& quotes, bool indices, bool readOnly) {
  isc_db_handle db = NewDatabase(fileName);
  ISC_STATUS_ARRAY status{};
  try {
    ExecuteInTransaction(db,
                         "CREATE TABLE \"Currencies\" (\"NumCode\" INTEGER NOT NULL, \"CharCode\" VARCHAR(3), "
                         "\"CurrName\" VARCHAR(50), CONSTRAINT \"PK_Currencies\" PRIMARY KEY (\"NumCode\"))");
    ExecuteInTransaction(db,
                         "CREATE TABLE \"Valute\" (\"ExNominal\" INTEGER, \"ExValue\" NUMERIC(18,4), \"ExDate\" DATE, "
                         "\"RefNumCode\" INTEGER, \"NumCode\" INTEGER)");
    if (indices) {
      ExecuteInTransaction(db, "CREATE DESCENDING INDEX \"IX_Valute_ExDate\" ON \"Valute\" (\"ExDate\")");
      ExecuteInTransaction(db,
                           "CREATE INDEX \"IX_Valute_Quote\" ON \"Valute\" (\"RefNumCode\", \"NumCode\", \"ExDate\")");
    }
    // Embedded opens name their user; every user may read.
    ExecuteInTransaction(db, "GRANT SELECT ON \"Currencies\" TO PUBLIC");
    ExecuteInTransaction(db, "GRANT SELECT ON \"Valute\" TO PUBLIC");

    isc_tr_handle tr = 0;
    isc_start_transaction(status, &tr, 1, &db, 0, nullptr);
    Check(status, "");
    auto insert = [&](const char* sql, auto bindRow, std::size_t count, int columns) {
      isc_stmt_handle stmt = 0;
      isc_dsql_allocate_statement(status, &db, &stmt);
      Check(status, "");
      isc_dsql_prepare(status, &tr, &stmt, 0, sql, 3, nullptr);
      Check(status, "");
      TDescriptor in(columns);
      isc_dsql_describe_bind(status, &stmt, 1, in.Area());
      Check(status, "");
      std::vector<std::int64_t> numbers(static_cast<std::size_t>(columns));
      std::vector<std::string> texts(static_cast<std::size_t>(columns));
      std::vector<ISC_DATE> dates(static_cast<std::size_t>(columns));
      std::vector<short> nulls(static_cast<std::size_t>(columns));
      for (std::size_t r = 0; r < count; ++r) {
        bindRow(r, in, numbers, texts, dates, nulls);
        isc_dsql_execute(status, &tr, &stmt, 1, in.Area());
        Check(status, "");
      }
      isc_dsql_free_statement(status, &stmt, DSQL_drop);
    };
    auto setNumber = [](XSQLVAR& v, std::int64_t* cell, short* null, const std::optional<std::int64_t>& value,
                        int scale) {
      v.sqltype = SQL_INT64 + 1;
      v.sqlscale = static_cast<short>(scale);
      v.sqllen = sizeof(std::int64_t);
      *cell = value.value_or(0);
      *null = value ? 0 : -1;
      v.sqldata = reinterpret_cast<char*>(cell);
      v.sqlind = null;
    };
    insert(
        "INSERT INTO \"Currencies\" (\"NumCode\", \"CharCode\", \"CurrName\") VALUES (?, ?, ?)",
        [&](std::size_t r, TDescriptor& in, auto& numbers, auto& texts, auto&, auto& nulls) {
          const TCurrency& c = currencies[r];
          setNumber(in.Var(0), &numbers[0], &nulls[0], c.NumCode, 0);
          texts[1] = c.CharCode;
          texts[2] = c.CurrName;
          for (int i = 1; i <= 2; ++i) {
            XSQLVAR& v = in.Var(i);
            v.sqltype = SQL_TEXT + 1;
            v.sqlsubtype = 0;
            v.sqlscale = 0;
            v.sqllen = static_cast<short>(texts[static_cast<std::size_t>(i)].size());
            v.sqldata = texts[static_cast<std::size_t>(i)].data();
            nulls[static_cast<std::size_t>(i)] = 0;
            v.sqlind = &nulls[static_cast<std::size_t>(i)];
          }
        },
        currencies.size(), 3);
    insert(
        "INSERT INTO \"Valute\" (\"ExNominal\", \"ExValue\", \"ExDate\", \"RefNumCode\", \"NumCode\") "
        "VALUES (?, ?, ?, ?, ?)",
        [&](std::size_t r, TDescriptor& in, auto& numbers, auto&, auto& dates, auto& nulls) {
          const TQuoteRecord& q = quotes[r];
          setNumber(in.Var(0), &numbers[0], &nulls[0], q.Nominal, 0);
          setNumber(in.Var(1), &numbers[1], &nulls[1], q.Value, -4);
          XSQLVAR& d = in.Var(2);
          d.sqltype = SQL_TYPE_DATE + 1;
          d.sqlscale = 0;
          d.sqllen = sizeof(ISC_DATE);
          dates[2] = q.Date ? static_cast<ISC_DATE>(DayOf(*q.Date)) + kSerialToIscDate : 0;
          nulls[2] = q.Date ? 0 : -1;
          d.sqldata = reinterpret_cast<char*>(&dates[2]);
          d.sqlind = &nulls[2];
          setNumber(in.Var(3), &numbers[3], &nulls[3], q.RefNumCode, 0);
          setNumber(in.Var(4), &numbers[4], &nulls[4], q.NumCode, 0);
        },
        quotes.size(), 5);
    isc_commit_transaction(status, &tr);
    Check(status, "");
  } catch (...) {
    Discard(db, fileName);
    throw;
  }
  isc_detach_database(status, &db);
  if (readOnly) {
    TParameterBlock mode;
    mode.Add(isc_dpb_user_name, "SYSDBA");
    mode.Add(isc_dpb_config, "Providers=Engine12");
    mode.AddInteger(isc_dpb_set_db_readonly, 1);
    isc_db_handle again = 0;
    if (isc_attach_database(status, 0, fileName.c_str(), &again, mode.Size(), mode.Data()))
      throw TRatesDatabaseError(StatusText(status));
    isc_detach_database(status, &again);
  }
}

}  // namespace helmax
