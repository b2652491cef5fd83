// Builds a Firebird rates database from two CSV files (the build makes the
// sample database that comes with the program this way):
//
//   helmax-make-rates currencies.csv quotes.csv out.fdb
//
// currencies.csv: NumCode,CharCode,CurrName; quotes.csv: ExNominal,ExValue,
// ExDate (yyyy-mm-dd),RefNumCode,NumCode. Each has a header line. The new
// database is set read only.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "FirebirdRates.h"
#include "TextFile.h"
#include "Value.h"

using namespace helmax;

namespace {

std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::string text, error;
  if (!ReadTextFile(path, text, error, kRatesFileLimit)) throw std::runtime_error(error);
  std::vector<std::vector<std::string>> rows;
  const std::vector<std::string> lines = SplitLines(text);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (TrimText(lines[i]).empty()) continue;
    std::vector<std::string> fields;
    std::stringstream s(lines[i]);
    std::string field;
    while (std::getline(s, field, ',')) fields.push_back(TrimText(field));
    rows.push_back(fields);
  }
  return rows;
}

std::int64_t Number(const std::string& text) {
  std::size_t used = 0;
  const long long v = std::stoll(text, &used);
  if (used != text.size()) throw std::runtime_error("not a whole number: " + text);
  return v;
}

double Date(const std::string& text) {
  int y = 0, m = 0, d = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
    throw std::runtime_error("not a date: " + text);
  return EncodeDate(y, m, d);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: helmax-make-rates currencies.csv quotes.csv out.fdb\n";
    return 2;
  }
  try {
    std::vector<TCurrency> currencies;
    for (const auto& f : ReadCsv(argv[1])) {
      if (f.size() != 3) throw std::runtime_error("a currency needs 3 fields");
      currencies.push_back({static_cast<std::int32_t>(Number(f[0])), f[1], f[2]});
    }
    std::vector<TQuoteRecord> quotes;
    for (const auto& f : ReadCsv(argv[2])) {
      if (f.size() != 5) throw std::runtime_error("a quote needs 5 fields");
      std::int64_t value = 0;
      if (!ParseCurrencyLiteral(f[1], value)) throw std::runtime_error("not an amount: " + f[1]);
      quotes.push_back({Number(f[0]), value, Date(f[2]), Number(f[3]), Number(f[4])});
    }
    CreateFirebirdRates(argv[3], currencies, quotes, true, true);
    // Every user reads it (the program opens a private copy).
    namespace fs = std::filesystem;
    fs::permissions(argv[3],
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  } catch (const std::exception& e) {
    std::cerr << "helmax-make-rates: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
