#include "TableFiles.h"

#include <stdlib.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr std::int64_t kRowsBetweenStopQueries = 4096;

bool NeedsQuotes(const std::string& cell) {
  for (char c : cell) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F || c == ',' || c == '"') return true;
  }
  return false;
}

bool Stopping(const TStopQuery& stop, std::int64_t row) { return stop && row % kRowsBetweenStopQueries == 0 && stop(); }

// A private folder under the system's temporary folder (mode 0700).
std::string MakeTemporaryFolder(const char* prefix, std::string& error) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) {
    error = "Cannot find the temporary folder. " + ec.message();
    return {};
  }
  std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "Cannot create a folder in \"" + base.string() + "\". " + std::strerror(errno);
    return {};
  }
  return pattern + "/";
}

// Removes a scratch folder with whatever it holds when it goes.
class TScratchFolder {
 public:
  explicit TScratchFolder(std::string path) : Path_(std::move(path)) {}
  ~TScratchFolder() {
    std::error_code ec;
    if (!Path_.empty()) std::filesystem::remove_all(Path_, ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::string& Path() const { return Path_; }

 private:
  std::string Path_;
};

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  bytes = std::move(s).str();
  return !in.bad();
}

// A workbook being written; freed without writing anything unless closed.
class TWorkbook {
 public:
  TWorkbook(const std::string& file, const std::string& scratch, bool zip64) : Scratch_(scratch) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows streamed out: a million rows need no more memory than ten
    options.tmpdir = Scratch_.data();
    options.use_zip64 = zip64 ? LXW_TRUE : LXW_FALSE;
    Book_ = workbook_new_opt(file.c_str(), &options);
  }
  ~TWorkbook() {
    if (Book_ != nullptr) lxw_workbook_free(Book_);
  }
  TWorkbook(const TWorkbook&) = delete;
  TWorkbook& operator=(const TWorkbook&) = delete;
  lxw_workbook* Get() const { return Book_; }
  lxw_error Close() {
    lxw_workbook* book = std::exchange(Book_, nullptr);
    return workbook_close(book);
  }

 private:
  std::string Scratch_;
  lxw_workbook* Book_ = nullptr;
};

lxw_error WriteCell(lxw_worksheet* sheet, lxw_row_t sheetRow, lxw_col_t sheetColumn, const TFunctionTable& table,
                    std::int64_t row, int column) {
  if (std::optional<double> number = table.CellNumber(row, column))
    return worksheet_write_number(sheet, sheetRow, sheetColumn, *number, nullptr);
  const std::string text = table.CellText(row, column);
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty()) return LXW_NO_ERROR;
  // libxlsxwriter writes no error cells; the error constant as a formula
  // is that error in every spreadsheet program.
  if (EqualsIgnoringCase(trimmed, "#NUM!"))
    return worksheet_write_formula_str(sheet, sheetRow, sheetColumn, "#NUM!", nullptr, "#NUM!");
  return worksheet_write_string(sheet, sheetRow, sheetColumn, text.c_str(), nullptr);
}

}  // namespace

std::string CommaTextLine(const std::vector<std::string>& cells) {
  if (cells.size() == 1 && cells.front().empty()) return "\"\"";
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& cell = cells[i];
    if (!NeedsQuotes(cell)) {
      line += cell;
      continue;
    }
    line += '"';
    for (char c : cell) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

std::string TableCommaText(const TFunctionTable& table, const TStopQuery& stop, TWorkProgress* progress) {
  const int columns = table.ColumnCount();
  std::vector<std::string> cells(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) cells[static_cast<std::size_t>(c)] = table.Header(c);
  std::string text = CommaTextLine(cells) + "\r\n";
  text.reserve(text.size() + static_cast<std::size_t>(table.RowCount()) * (8 + 20 * static_cast<std::size_t>(columns)));
  if (progress != nullptr) progress->Begin(table.RowCount());
  for (std::int64_t r = 0; r < table.RowCount(); ++r) {
    if (Stopping(stop, r)) return {};
    for (int c = 0; c < columns; ++c) cells[static_cast<std::size_t>(c)] = table.CellText(r, c);
    text += CommaTextLine(cells);
    text += "\r\n";
    if (progress != nullptr) progress->Set(r + 1);
  }
  return text;
}

TWriteOutcome SaveTableCommaText(const TFunctionTable& table, const std::string& path, std::string& error,
                                 const TStopQuery& stop, TWorkProgress* progress) {
  const std::string text = TableCommaText(table, stop, progress);
  if (stop && stop()) return TWriteOutcome::Stopped;
  return WriteFileAtomic(path, text, error) ? TWriteOutcome::Written : TWriteOutcome::Failed;
}

TWriteOutcome WriteTableWorkbook(const TFunctionTable& table, const std::string& path, std::string& error,
                                 const TStopQuery& stop, TWorkProgress* progress) {
  // Column 0 of the table (the point number) is not exported.
  const int columns = table.ColumnCount() - 1;
  const std::int64_t rows = table.RowCount();
  if (columns > LXW_COL_MAX) {
    error = "Too many columns for a worksheet: " + std::to_string(columns);
    return TWriteOutcome::Failed;
  }
  // The workbook and libxlsxwriter's own temporary files go to a private
  // folder; only the finished file is copied to path, atomically.
  const TScratchFolder scratch(MakeTemporaryFolder("helmax-xlsx-", error));
  if (scratch.Path().empty()) return TWriteOutcome::Failed;
  const std::string file = scratch.Path() + "book.xlsx";
  TWorkbook book(file, scratch.Path(), rows * columns > 20'000'000);
  auto fail = [&](lxw_error e) {
    error = "Cannot write file \"" + path + "\". " + lxw_strerror(e);
    return TWriteOutcome::Failed;
  };
  if (book.Get() == nullptr) return fail(LXW_ERROR_CREATING_TMPFILE);
  lxw_worksheet* sheet = workbook_add_worksheet(book.Get(), "Sheet1");
  if (sheet == nullptr) return fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
  if (columns > 0) worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(columns - 1), 20, nullptr);

  if (progress != nullptr) progress->Begin(rows);
  for (int c = 1; c <= columns; ++c) {
    const std::string header = table.Header(c);
    if (header.empty()) continue;
    if (lxw_error e = worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c - 1), header.c_str(), nullptr))
      return fail(e);
  }
  for (std::int64_t r = 0; r < rows; ++r) {
    if (Stopping(stop, r)) return TWriteOutcome::Stopped;
    for (int c = 1; c <= columns; ++c)
      if (lxw_error e = WriteCell(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c - 1), table, r, c))
        return fail(e);
    if (progress != nullptr) progress->Set(r + 1);
  }

  // One series per function over exactly the data rows, columns given by
  // number. A chart needs a series: without a point or a function there is
  // no chart sheet.
  if (rows > 0 && table.FunctionCount() > 0) {
    lxw_chartsheet* chartSheet = workbook_add_chartsheet(book.Get(), "Chart1");
    lxw_chart* chart = workbook_add_chart(book.Get(), LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    if (chartSheet == nullptr || chart == nullptr) return fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const auto lastRow = static_cast<lxw_row_t>(rows);
    for (int f = 0; f < table.FunctionCount(); ++f) {
      const auto column = static_cast<lxw_col_t>(TFunctionTable::kFirstFunctionColumn + f - 1);
      lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
      if (series == nullptr) return fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
      chart_series_set_categories(series, "Sheet1", 1, 0, lastRow, 0);
      chart_series_set_values(series, "Sheet1", 1, column, lastRow, column);
      chart_series_set_name_range(series, "Sheet1", 0, column);
    }
    chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_GAP);
    if (lxw_error e = chartsheet_set_chart(chartSheet, chart)) return fail(e);
    // The spreadsheet program opens on the chart.
    chartsheet_activate(chartSheet);
  }
  if (stop && stop()) return TWriteOutcome::Stopped;
  if (lxw_error e = book.Close()) return fail(e);

  std::string bytes;
  if (!ReadBytes(file, bytes)) {
    error = "Cannot read file \"" + file + "\". " + std::strerror(errno);
    return TWriteOutcome::Failed;
  }
  return WriteFileAtomic(path, bytes, error) ? TWriteOutcome::Written : TWriteOutcome::Failed;
}

std::string NewExportFolder(std::string& error) { return MakeTemporaryFolder("helmax-table-", error); }

}  // namespace helmax
