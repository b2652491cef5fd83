// TFunctionTable: the values of the user's run-time functions of one
// argument at the points of the function variable, as the table window
// shows them: column 0 "#" (the point number), column 1 the variable, then
// one column per function headed by its left-hand side ("f(x)"). Without a
// function the table still has a third, empty column.
//
// Cells keep the values the functions returned and show their text; an
// edit of the texts (Replace, the Null marker option) overrides a cell's
// text and leaves the value behind it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Value.h"

namespace helmax {

class TFunctionTable {
 public:
  static constexpr int kFirstFunctionColumn = 2;

  // An empty table: no columns, no rows (nothing computed yet).
  TFunctionTable() = default;
  TFunctionTable(std::string variableName, std::vector<std::string> functionHeaders);

  const std::string& VariableName() const { return VariableName_; }
  int FunctionCount() const { return static_cast<int>(Functions_.size()); }
  // 0 for a table never computed; otherwise at least 3.
  int ColumnCount() const;
  std::int64_t RowCount() const { return static_cast<std::int64_t>(X_.size()); }
  std::string Header(int column) const;
  // The text of a data row's cell (row from 0).
  std::string CellText(std::int64_t row, int column) const;
  double X(std::int64_t row) const { return X_[static_cast<std::size_t>(row)]; }

  // The number a chart point or a spreadsheet cell takes from the cell, or
  // nothing for a gap: only a cell whose whole trimmed text is a finite
  // number in the engine's syntax is a number (INF, -NAN, Null, #NUM!,
  // dates and complex values are gaps).
  std::optional<double> CellNumber(std::int64_t row, int column) const;

  // Filling, row by row: x and one value per function.
  void Reserve(std::int64_t rows);
  void AppendRow(double x, const TValue* values);

  // In every function column, every cell whose trimmed text equals the
  // trimmed search text (case ignored) gets the trimmed replacement as its
  // text. Returns the number of cells replaced.
  std::int64_t Replace(std::string_view search, std::string_view replacement);
  // The Null marker option: on replaces -NAN (and NAN), then Null, by
  // #NUM!; off turns #NUM! into Null.
  void SetNullMarker(bool on);

 private:
  struct TColumn {
    std::string Header;
    std::vector<TValue> Values;
    // Per row: -1, or the index in Texts of the text that replaced the
    // value's own. Empty while no text of the column was replaced.
    std::vector<std::int32_t> TextOf;
    std::vector<std::string> Texts;
    std::string Text(std::size_t row) const;
  };

  std::string VariableName_;
  bool Built_ = false;
  std::vector<double> X_;
  std::vector<TColumn> Functions_;
};

// The number a cell text stands for (the rule of CellNumber), or nothing.
std::optional<double> TextNumber(std::string_view text);

}  // namespace helmax
