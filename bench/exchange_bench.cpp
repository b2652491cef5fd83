// Currency exchange against a database of 100,000 quotes in each back end:
// - the time to open (Firebird: a private copy opened by the embedded engine;
//   Access: the tables loaded into the in-memory SQLite database);
// - one conversion from a warm open, as "&Calculate" does it (the amount and
//   the date "Last" compiled and evaluated, two quotes looked up, the exact
//   conversion): target under 50 ms.
// No 100,000-quote .mdb file can be written on Linux (mdbtools only reads),
// so the Access path is measured from the point where libmdb has read the
// rows (the same in-memory database and queries), and its whole open on the
// largest .mdb there is, the tests' 26-quote sample.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "Calculator.h"
#include "Exchange.h"
#include "FirebirdRates.h"
#include "SqliteRates.h"

namespace {

using namespace helmax;

constexpr int kCurrencies = 40;
constexpr int kDays = 1250;
const std::int32_t kReferences[2] = {978, 840};

std::vector<TCurrency> Currencies() {
  std::vector<TCurrency> list;
  for (int i = 0; i < kCurrencies; ++i) {
    const std::int32_t code = i == 0 ? 978 : i == 1 ? 840 : 100 + i;
    const std::string charCode{static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26), 'X'};
    list.push_back({code, charCode, "Currency " + std::to_string(code)});
  }
  return list;
}

// 2 references x 40 currencies x 1250 days = 100,000 quotes.
std::vector<TQuoteRecord> Quotes() {
  std::mt19937_64 rng(21);
  std::uniform_int_distribution<std::int64_t> value(1000, 2000000);
  std::vector<TQuoteRecord> quotes;
  const double first = EncodeDate(2005, 1, 1);
  for (int d = 0; d < kDays; ++d)
    for (std::int32_t ref : kReferences)
      for (const TCurrency& c : Currencies())
        quotes.push_back({(d + c.NumCode) % 3 == 0 ? -1 : 100, value(rng), first + d, ref, c.NumCode});
  return quotes;
}

struct TFiles {
  std::string Folder;
  std::string Firebird, FirebirdPlain;
  TFiles() {
    Folder =
        (std::filesystem::temp_directory_path() / ("helmax-exchange-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(Folder);
    Firebird = Folder + "/rates.fdb";
    FirebirdPlain = Folder + "/rates-no-index.fdb";
    const std::vector<TQuoteRecord> quotes = Quotes();
    CreateFirebirdRates(Firebird, Currencies(), quotes, true, true);
    CreateFirebirdRates(FirebirdPlain, Currencies(), quotes, false, true);
  }
  ~TFiles() {
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
};

TFiles& Files() {
  static TFiles files;
  return files;
}

std::unique_ptr<TSqliteRates> LoadedRates() {
  auto rates = std::make_unique<TSqliteRates>("generated.mdb", TRatesProduct::Access);
  for (const TCurrency& c : Currencies()) rates->AddCurrency(c.NumCode, c.CharCode, c.CurrName);
  for (const TQuoteRecord& q : Quotes()) rates->AddQuote(q);
  rates->FinishLoading();
  return rates;
}

struct TSession {
  TMessageRecorder Ui;
  TCalculator Calc{Ui};
  TExchange Tool{Ui};
  TSession() { Calc.FirstActivation(); }
};

void Convert(benchmark::State& state, TSession& s) {
  const TExchangeRequest request{
      "100", "Last", TCurrency{978, "AAX", ""}, TCurrency{105, "AFX", ""}, TCurrency{130, "BEX", ""}, true};
  std::string results;
  for (auto _ : state) {
    results = s.Tool.Calculate(s.Calc, request, TRatesProduct::Firebird).Results;
    benchmark::DoNotOptimize(results);
  }
  if (results.empty() || !s.Ui.Messages.empty()) state.SkipWithError("the conversion failed");
  state.SetLabel(results.substr(0, results.find('\n')));
}

void BM_OpenFirebird(benchmark::State& state) {
  const std::string& file = state.range(0) ? Files().Firebird : Files().FirebirdPlain;
  for (auto _ : state) {
    std::unique_ptr<TRatesDatabase> db = OpenFirebirdRates(file, {});
    benchmark::DoNotOptimize(db->Currencies());
  }
}
BENCHMARK(BM_OpenFirebird)->ArgName("indexed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ConvertFirebird(benchmark::State& state) {
  TSession s;
  s.Tool.Open(state.range(0) ? Files().Firebird : Files().FirebirdPlain, {});
  Convert(state, s);
}
BENCHMARK(BM_ConvertFirebird)->ArgName("indexed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_LoadAccessTables(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadedRates());
}
BENCHMARK(BM_LoadAccessTables)->Unit(benchmark::kMillisecond);

void BM_ConvertAccess(benchmark::State& state) {
  TSession s;
  s.Tool.Adopt(LoadedRates());
  Convert(state, s);
}
BENCHMARK(BM_ConvertAccess)->Unit(benchmark::kMillisecond);

// The whole Access open (libmdb reads the file) of the tests' sample.
void BM_OpenAccessSample(benchmark::State& state) {
  const std::string original = std::string(HELMAX_EXCHANGE_FIXTURES) + "/sample-rates.mdb";
  if (!std::filesystem::exists(original)) {
    state.SkipWithError("the tests' sample .mdb is missing");
    return;
  }
  const std::string sample = Files().Folder + "/sample.mdb";
  std::filesystem::copy_file(original, sample, std::filesystem::copy_options::overwrite_existing);
  for (auto _ : state) {
    std::unique_ptr<TRatesDatabase> db = OpenAccessRates(sample);
    benchmark::DoNotOptimize(db->Currencies());
  }
}
BENCHMARK(BM_OpenAccessSample)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
