#include "FunctionTable.h"
#include "FixedTexts.h"

#include <algorithm>
#include <cmath>

#include "TextUtil.h"

namespace helmax {

namespace {

bool IsNumberText(std::string_view text) {
  double v = 0;
  bool overflow = false;
  return ParseRealLiteral(text, v, overflow);
}

}  // namespace

std::optional<double> TextNumber(std::string_view text) {
  double v = 0;
  bool overflow = false;
  if (!ParseRealLiteral(Trim(text), v, overflow) || overflow || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string TFunctionTable::TColumn::Text(std::size_t row) const {
  if (!TextOf.empty() && TextOf[row] >= 0) return Texts[static_cast<std::size_t>(TextOf[row])];
  return ValueToText(Values[row]);
}

TFunctionTable::TFunctionTable(std::string variableName, std::vector<std::string> functionHeaders)
    : VariableName_(std::move(variableName)), Built_(true) {
  for (std::string& header : functionHeaders) Functions_.push_back({std::move(header), {}, {}, {}});
}

int TFunctionTable::ColumnCount() const { return Built_ ? kFirstFunctionColumn + std::max(1, FunctionCount()) : 0; }

std::string TFunctionTable::Header(int column) const {
  if (column == 0) return "#";
  if (column == 1) return VariableName_;
  const int f = column - kFirstFunctionColumn;
  return f >= 0 && f < FunctionCount() ? Functions_[static_cast<std::size_t>(f)].Header : std::string();
}

std::string TFunctionTable::CellText(std::int64_t row, int column) const {
  if (column == 0) return std::to_string(row);
  if (column == 1) return RealToText(X(row));
  const int f = column - kFirstFunctionColumn;
  if (f < 0 || f >= FunctionCount()) return {};
  return Functions_[static_cast<std::size_t>(f)].Text(static_cast<std::size_t>(row));
}

std::optional<double> TFunctionTable::CellNumber(std::int64_t row, int column) const {
  if (column == 0) return static_cast<double>(row);
  if (column == 1) return X(row);  // always a finite real
  const int f = column - kFirstFunctionColumn;
  if (f < 0 || f >= FunctionCount()) return std::nullopt;
  const TColumn& c = Functions_[static_cast<std::size_t>(f)];
  const auto r = static_cast<std::size_t>(row);
  if (!c.TextOf.empty() && c.TextOf[r] >= 0) return TextNumber(c.Texts[static_cast<std::size_t>(c.TextOf[r])]);
  const TValue& v = c.Values[r];
  // The text of a finite real is a number that differs from the real only
  // beyond its 15 significant digits, so the real itself serves, without
  // the text's round trip. Only next to the largest double can the text's
  // rounding leave the range.
  if (v.IsReal()) {
    if (!std::isfinite(v.Num)) return std::nullopt;
    if (std::fabs(v.Num) < 1.7976931348623e308) return v.Num;
    return TextNumber(RealToText(v.Num));
  }
  if (v.IsCurrency()) return v.AsReal();
  return std::nullopt;  // Null, True, dates, complex values
}

void TFunctionTable::Reserve(std::int64_t rows) {
  X_.reserve(static_cast<std::size_t>(rows));
  for (TColumn& c : Functions_) c.Values.reserve(static_cast<std::size_t>(rows));
}

void TFunctionTable::AppendRow(double x, const TValue* values) {
  X_.push_back(x);
  for (std::size_t f = 0; f < Functions_.size(); ++f) Functions_[f].Values.push_back(values[f]);
  for (TColumn& c : Functions_)
    if (!c.TextOf.empty()) c.TextOf.push_back(-1);
}

std::int64_t TFunctionTable::Replace(std::string_view search, std::string_view replacement) {
  const std::string_view wanted = Trim(search);
  const std::string replaced(Trim(replacement));
  // The text of a finite real always reads as a number: when the search
  // text does not, those cells need no text at all.
  const bool realsMayMatch = IsNumberText(wanted);
  std::int64_t count = 0;
  for (TColumn& c : Functions_) {
    std::int32_t index = -1;
    for (std::size_t row = 0; row < c.Values.size(); ++row) {
      const bool overridden = !c.TextOf.empty() && c.TextOf[row] >= 0;
      if (!overridden && !realsMayMatch && c.Values[row].IsReal() && std::isfinite(c.Values[row].Num)) continue;
      if (!EqualsIgnoringCase(Trim(c.Text(row)), wanted)) continue;
      if (index < 0) {
        const auto found = std::find(c.Texts.begin(), c.Texts.end(), replaced);
        index = static_cast<std::int32_t>(found - c.Texts.begin());
        if (found == c.Texts.end()) c.Texts.push_back(replaced);
      }
      if (c.TextOf.empty()) c.TextOf.assign(c.Values.size(), -1);
      c.TextOf[row] = index;
      ++count;
    }
  }
  return count;
}

void TFunctionTable::SetNullMarker(bool on) {
  if (on) {
    for (const char* text : {"-NAN", "NAN", "Null"}) Replace(text, texts::kNumError);
  } else {
    Replace(texts::kNumError, "Null");
  }
}

}  // namespace helmax
