// The function table in files: comma text (File > Save As, ".dat") and a
// spreadsheet workbook (".xlsx") with a chart sheet.
#pragma once

#include <string>
#include <vector>

#include "FunctionTable.h"
#include "WorkProgress.h"

namespace helmax {

// One row as comma text: cells separated by ","; a cell holding a blank, a
// control character, a "," or a double quote is put in double quotes, its
// own double quotes doubled; an empty cell is written as nothing, except
// that a row of one empty cell is written as two double quotes.
std::string CommaTextLine(const std::vector<std::string>& cells);

// Every row of the table, header row first, one comma-text line each, every
// line ending with CR LF. Empty when stopped.
std::string TableCommaText(const TFunctionTable& table, const TStopQuery& stop = {}, TProgress* progress = nullptr);

// Writes the comma text to path atomically: on failure or stop the former
// file stays as it was (error says why it failed).
TWriteOutcome SaveTableCommaText(const TFunctionTable& table, const std::string& path, std::string& error,
                                 const TStopQuery& stop = {}, TProgress* progress = nullptr);

// Writes the table as a workbook to path atomically. Worksheet "Sheet1":
// column A the variable, B and on the functions, row 1 the headers; a cell
// that is a number (TFunctionTable::CellNumber) is stored as a number,
// "#NUM!" as that error value, any other text as text, an empty cell not at
// all. Chart sheet "Chart1": an XY scatter chart with straight lines and
// markers, one series per function column over the data rows.
TWriteOutcome WriteTableWorkbook(const TFunctionTable& table, const std::string& path, std::string& error,
                                 const TStopQuery& stop = {}, TProgress* progress = nullptr);

// A new private folder under the system's temporary folder for a workbook
// that a spreadsheet program is to open; its path with a separator at the
// end, or empty (error says why).
std::string NewExportFolder(std::string& error);
// The workbook's name inside that folder: what the spreadsheet program shows.
constexpr const char* kExportFileName = "Functions table.xlsx";

}  // namespace helmax
