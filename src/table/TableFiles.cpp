#include "TableFiles.h"
#include "FixedTexts.h"

#include <stdlib.h>
#include <xlsxwriter.h>
#include <zip.h>

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

// libxlsxwriter writes no error cells: #NUM! goes in as a formula whose
// stored result is the text "#NUM!" (t="str"). Once the workbook is closed,
// StoreErrorCells marks those results as the error value itself (t="e"), so
// that a reader of stored values (openpyxl, pandas) sees the error.
constexpr std::string_view kNumTextCell = "t=\"str\"><f>#NUM!</f><v>#NUM!</v>";
constexpr std::string_view kNumErrorCell = "t=\"e\"><f>#NUM!</f><v>#NUM!</v>";
constexpr const char* kSheetEntry = "xl/worksheets/sheet1.xml";

// Copies the worksheet entry of the workbook to target with every #NUM!
// text result turned into the error, a piece at a time (the sheet of a
// large table does not fit in memory twice).
bool CopyMarkingErrors(zip_t* zip, zip_int64_t entry, const std::string& target) {
  zip_file_t* in = zip_fopen_index(zip, static_cast<zip_uint64_t>(entry), 0);
  if (in == nullptr) return false;
  std::ofstream out(target, std::ios::binary);
  std::string piece(1 << 20, '\0');
  std::string pending;  // read, not yet written: a pattern may go on
  bool ok = static_cast<bool>(out);
  for (;;) {
    const zip_int64_t got = zip_fread(in, piece.data(), piece.size());
    if (got < 0) ok = false;
    if (got <= 0 || !ok) break;
    pending.append(piece, 0, static_cast<std::size_t>(got));
    std::size_t from = 0;
    for (std::size_t at = pending.find(kNumTextCell); at != std::string::npos; at = pending.find(kNumTextCell, from)) {
      out.write(pending.data() + from, static_cast<std::streamsize>(at - from));
      out.write(kNumErrorCell.data(), static_cast<std::streamsize>(kNumErrorCell.size()));
      from = at + kNumTextCell.size();
    }
    // Keeps what could be the start of a pattern cut by the piece's end.
    const std::size_t keep = std::min(pending.size() - from, kNumTextCell.size() - 1);
    const std::size_t upTo = pending.size() - keep;
    out.write(pending.data() + from, static_cast<std::streamsize>(upTo - from));
    pending.erase(0, upTo);
  }
  out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
  zip_fclose(in);
  out.close();
  return ok && static_cast<bool>(out);
}

bool StoreErrorCells(const std::string& file, const std::string& scratch, std::string& error) {
  int code = 0;
  zip_t* zip = zip_open(file.c_str(), 0, &code);
  auto fail = [&](const std::string& why) {
    error = "Cannot write file \"" + file + "\". " + why;
    return false;
  };
  if (zip == nullptr) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const std::string why = zip_error_strerror(&e);
    zip_error_fini(&e);
    return fail(why);
  }
  const std::string sheet = scratch + "sheet1.xml";
  const zip_int64_t entry = zip_name_locate(zip, kSheetEntry, 0);
  zip_source_t* source = nullptr;
  if (entry < 0 || !CopyMarkingErrors(zip, entry, sheet) ||
      (source = zip_source_file(zip, sheet.c_str(), 0, -1)) == nullptr ||
      zip_file_replace(zip, static_cast<zip_uint64_t>(entry), source, ZIP_FL_ENC_UTF_8) < 0) {
    if (source != nullptr) zip_source_free(source);
    const std::string why = zip_strerror(zip);
    zip_discard(zip);
    return fail(why);
  }
  if (zip_close(zip) < 0) {
    const std::string why = zip_strerror(zip);
    zip_discard(zip);
    return fail(why);
  }
  return true;
}

lxw_error WriteCell(lxw_worksheet* sheet, lxw_row_t sheetRow, lxw_col_t sheetColumn, const TFunctionTable& table,
                    std::int64_t row, int column, bool& errorWritten) {
  if (std::optional<double> number = table.CellNumber(row, column))
    return worksheet_write_number(sheet, sheetRow, sheetColumn, *number, nullptr);
  const std::string text = table.CellText(row, column);
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty()) return LXW_NO_ERROR;
  // The error constant as a formula is that error in every spreadsheet
  // program; StoreErrorCells makes its stored value the error.
  if (EqualsIgnoringCase(trimmed, texts::kNumError)) {
    errorWritten = true;
    return worksheet_write_formula_str(sheet, sheetRow, sheetColumn, texts::kNumError, nullptr, texts::kNumError);
  }
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

std::string TableCommaText(const TFunctionTable& table, const TStopQuery& stop, TProgress* progress) {
  const int columns = table.ColumnCount();
  std::vector<std::string> cells(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) cells[static_cast<std::size_t>(c)] = table.Header(c);
  std::string text = CommaTextLine(cells) + "\r\n";
  text.reserve(text.size() + static_cast<std::size_t>(table.RowCount()) * (8 + 20 * static_cast<std::size_t>(columns)));
  if (progress != nullptr) progress->Start(table.RowCount());
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
                                 const TStopQuery& stop, TProgress* progress) {
  const std::string text = TableCommaText(table, stop, progress);
  if (stop && stop()) return TWriteOutcome::Stopped;
  return WriteFileAtomic(path, text, error) ? TWriteOutcome::Written : TWriteOutcome::Failed;
}

TWriteOutcome WriteTableWorkbook(const TFunctionTable& table, const std::string& path, std::string& error,
                                 const TStopQuery& stop, TProgress* progress) {
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

  if (progress != nullptr) progress->Start(rows);
  for (int c = 1; c <= columns; ++c) {
    const std::string header = table.Header(c);
    if (header.empty()) continue;
    if (lxw_error e = worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c - 1), header.c_str(), nullptr))
      return fail(e);
  }
  bool errorWritten = false;
  for (std::int64_t r = 0; r < rows; ++r) {
    if (Stopping(stop, r)) return TWriteOutcome::Stopped;
    for (int c = 1; c <= columns; ++c)
      if (lxw_error e =
              WriteCell(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c - 1), table, r, c, errorWritten))
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
  if (errorWritten && !StoreErrorCells(file, scratch.Path(), error)) return TWriteOutcome::Failed;

  std::string bytes;
  if (!ReadBytes(file, bytes)) {
    error = "Cannot read file \"" + file + "\". " + std::strerror(errno);
    return TWriteOutcome::Failed;
  }
  return WriteFileAtomic(path, bytes, error) ? TWriteOutcome::Written : TWriteOutcome::Failed;
}

std::string NewExportFolder(std::string& error) { return MakeTemporaryFolder("helmax-table-", error); }

}  // namespace helmax
