#include "ChartData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "TextUtil.h"
#include "Value.h"

namespace helmax {

namespace {

// Distinct colours that read well on white, one per series in turn.
constexpr std::uint32_t kPalette[] = {0x209FDF, 0xE0452B, 0x4CA43A, 0x8A4FC7, 0xF6A625,
                                      0x1B7F79, 0xD6408F, 0x6B6B6B, 0x8C6D31, 0x2E4DA7};

// The first, lowest, highest and last point of a run within one pixel
// column, by their row numbers.
struct TColumnExtremes {
  std::int64_t First = -1, Low = -1, High = -1, Last = -1;
};

// v rounded to a multiple of 10^power (v itself where that multiple is
// beyond the exact whole numbers of a double).
double RoundToPowerOfTen(double v, int power) {
  const double scale = std::pow(10.0, std::abs(power));
  const double units = power >= 0 ? v / scale : v * scale;
  if (!std::isfinite(units) || std::fabs(units) > 0x1p52) return v;
  return power >= 0 ? std::round(units) * scale : std::round(units) / scale;
}

// v in the calculator's exponent form: 15 significant digits at most,
// trailing zeros dropped, "E" and the exponent without "+" or leading
// zeros (1.5E6, -2.5E-7), as the engine reads it back.
std::string ExponentText(double v) {
  if (v == 0) return "0";
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", v);
  std::string out(text);
  const std::size_t e = out.find('e');
  std::string mantissa = out.substr(0, e);
  const int exponent = std::atoi(out.c_str() + e + 1);
  while (mantissa.back() == '0') mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
  return mantissa + "E" + std::to_string(exponent);
}

std::size_t LongestLabel(const std::vector<std::string>& labels) {
  std::size_t longest = 0;
  for (const std::string& l : labels) longest = std::max(longest, l.size());
  return longest;
}

}  // namespace

TChartData BuildChartData(const TFunctionTable& table) {
  TChartData data;
  data.XName = table.VariableName();
  const std::int64_t rows = table.RowCount();
  data.X.resize(static_cast<std::size_t>(rows));
  for (std::int64_t r = 0; r < rows; ++r) data.X[static_cast<std::size_t>(r)] = table.X(r);
  const double gap = std::numeric_limits<double>::quiet_NaN();
  for (int f = 0; f < table.FunctionCount(); ++f) {
    const int column = TFunctionTable::kFirstFunctionColumn + f;
    TChartSeriesData series{table.Header(column), std::vector<double>(static_cast<std::size_t>(rows))};
    for (std::int64_t r = 0; r < rows; ++r)
      series.Y[static_cast<std::size_t>(r)] = table.CellNumber(r, column).value_or(gap);
    data.Series.push_back(std::move(series));
  }
  return data;
}

std::vector<TPolyline> ReduceForDrawing(const std::vector<double>& x, const std::vector<double>& y, double left,
                                        double right, int columns) {
  std::vector<TPolyline> runs;
  if (x.empty() || !(right > left) || columns < 1) return runs;
  const auto lower = std::lower_bound(x.begin(), x.end(), left) - x.begin();
  const auto upper = std::upper_bound(x.begin(), x.end(), right) - x.begin();
  const std::int64_t begin = std::max<std::int64_t>(0, lower - 1);
  const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(x.size()), upper + 1);
  const bool whole = end - begin <= 4 * static_cast<std::int64_t>(columns);
  const double scale = columns / (right - left);

  TPolyline run;
  TColumnExtremes extremes;
  std::int64_t column = std::numeric_limits<std::int64_t>::min();
  auto flushColumn = [&] {
    if (extremes.First < 0) return;
    std::int64_t rows[4] = {extremes.First, extremes.Low, extremes.High, extremes.Last};
    std::sort(rows, rows + 4);
    for (int k = 0; k < 4; ++k)
      if (k == 0 || rows[k] != rows[k - 1])
        run.push_back({x[static_cast<std::size_t>(rows[k])], y[static_cast<std::size_t>(rows[k])]});
    extremes = {};
  };
  auto endRun = [&] {
    flushColumn();
    if (!run.empty()) runs.push_back(std::move(run));
    run.clear();
  };
  for (std::int64_t i = begin; i < end; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (std::isnan(y[at])) {
      endRun();
      continue;
    }
    if (whole) {
      run.push_back({x[at], y[at]});
      continue;
    }
    // Points beyond the range share the pixel column just outside it.
    const double position = std::floor((x[at] - left) * scale);
    const std::int64_t c = position < 0 ? -1 : position >= columns ? columns : static_cast<std::int64_t>(position);
    if (c != column) {
      flushColumn();
      column = c;
    }
    if (extremes.First < 0) extremes.First = extremes.Low = extremes.High = i;
    if (y[at] < y[static_cast<std::size_t>(extremes.Low)]) extremes.Low = i;
    if (y[at] > y[static_cast<std::size_t>(extremes.High)]) extremes.High = i;
    extremes.Last = i;
  }
  endRun();
  return runs;
}

TAxisRange RangeOf(const std::vector<const std::vector<double>*>& values) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (const std::vector<double>* v : values)
    for (double d : *v)
      if (std::isfinite(d)) {
        low = std::min(low, d);
        high = std::max(high, d);
      }
  if (low > high) return {-1, 1};
  if (low == high) {
    const double half = low == 0 ? 1 : std::fabs(low) * 0.1;
    return {low - half, high + half};
  }
  return {low, high};
}

TChartStyle DefaultChartStyle(const TChartData& data) {
  TChartStyle style;
  style.X.Title = data.XName;
  for (std::size_t i = 0; i < data.Series.size(); ++i)
    style.Series.push_back({kPalette[i % std::size(kPalette)], 2, true});
  return style;
}

TChartStyle KeptChartStyle(const TChartStyle& former, const std::vector<std::string>& formerNames,
                           const TChartData& data) {
  TChartStyle style = DefaultChartStyle(data);
  if (former.Series.size() != formerNames.size()) return style;
  bool sameNames = formerNames.size() == data.Series.size() && !formerNames.empty();
  for (std::size_t i = 0; i < data.Series.size(); ++i) {
    const std::string& name = data.Series[i].Name;
    if (sameNames && !EqualsIgnoringCase(formerNames[i], name)) sameNames = false;
    for (std::size_t k = 0; k < formerNames.size(); ++k)
      if (EqualsIgnoringCase(formerNames[k], name)) {
        style.Series[i] = former.Series[k];
        break;
      }
  }
  return sameNames ? former : style;
}

std::vector<TAxisTick> AxisTicks(double min, double max, int tickCount) {
  std::vector<TAxisTick> ticks;
  if (!std::isfinite(min) || !std::isfinite(max) || !(max > min) || tickCount < 2 || !std::isfinite(max - min)) {
    for (double v : {min, max})
      if (std::isfinite(v) && (ticks.empty() || ticks.back().Value != v)) ticks.push_back({v, RealToText(v)});
    return ticks;
  }
  const double step = (max - min) / (tickCount - 1);
  std::vector<double> values;
  for (int k = 0; k < tickCount; ++k) {
    const double v = k == tickCount - 1 ? max : min + k * step;
    values.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
  }
  // The fewest decimals that keep every label within a thousandth of a
  // step of its tick: three more than the step's own at the most.
  const int first = static_cast<int>(std::floor(std::log10(step)));
  std::vector<double> rounded(values.size());
  for (int power = first; power >= first - 3; --power) {
    bool close = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
      rounded[i] = RoundToPowerOfTen(values[i], power);
      close = close && std::fabs(rounded[i] - values[i]) <= step * 1e-3;
    }
    if (close) break;
  }
  std::vector<std::string> plain, exponents;
  double largest = 0;
  for (double r : rounded) {
    plain.push_back(RealToText(r));
    exponents.push_back(ExponentText(r));
    largest = std::max(largest, std::fabs(r));
  }
  const bool useExponents = largest >= 1e6 && LongestLabel(exponents) < LongestLabel(plain);
  for (std::size_t i = 0; i < values.size(); ++i) ticks.push_back({values[i], useExponents ? exponents[i] : plain[i]});
  return ticks;
}

}  // namespace helmax
