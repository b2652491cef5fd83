// The Firebird back end (libfbclient). A local file is opened by the
// embedded engine, no server needed: the program copies it into a private
// folder first and opens the copy, because the engine writes to every file it
// opens (its header's counters), and the user's file must not change. A name
// of the form host:path reaches a server, with the user name and password of
// the settings. Every query runs in a read-only transaction, its values bound
// as parameters.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "RatesDatabase.h"
#include "SqliteRates.h"

namespace helmax {

// Writes a new Firebird rates database (dialect 3, quoted mixed-case names,
// ExValue NUMERIC(18,4), ExDate DATE) with the given rows, each inserted
// through bound parameters; with indices, the quotes are indexed for the
// queries of the exchange calculation. With readOnly the database is set
// read only, so that no engine writes to it afterwards. The file must not
// exist. Throws TRatesDatabaseError.
void CreateFirebirdRates(const std::string& fileName, const std::vector<TCurrency>& currencies,
                         const std::vector<TQuoteRecord>& quotes, bool indices, bool readOnly);

// Creates a Firebird database (dialect 3, UTF8) and runs the statements,
// each in a transaction of its own. The file must not exist.
void CreateFirebirdDatabase(const std::string& fileName, const std::vector<std::string>& statements);

// The folder in which the embedded engine keeps its lock files: the
// engine's default (/tmp/firebird) when this process may write there,
// otherwise a folder of this user's. Set once per process through
// FIREBIRD_LOCK, unless that is set already, before the engine starts.
void PrepareFirebirdLockFolder();

// The private copies go to TEMP/helmax-rates-XXXXXX/rates.fdb.
inline constexpr std::string_view kRatesCopyPrefix = "helmax-rates-";

// Removes the private copies that programs killed while a database was open
// left in the temporary folder: those of this user made before startedAt
// that no running program holds. Returns how many went.
int RemoveStaleRatesCopies(std::time_t startedAt);

}  // namespace helmax
