// What the chart window draws, without windows: the table's numbers (one
// line per function column, gaps where a cell is not a number), their
// reduction to what a plot of a given width can show, and the look that the
// chart editor changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FunctionTable.h"

namespace helmax {

struct TChartSeriesData {
  std::string Name;       // the column's header
  std::vector<double> Y;  // one per row; NaN for a gap
};

struct TChartData {
  std::string XName;
  std::vector<double> X;  // the variable, one per row, never decreasing
  std::vector<TChartSeriesData> Series;
};

// The table's numbers as the chart takes them (TFunctionTable::CellNumber).
TChartData BuildChartData(const TFunctionTable& table);

struct TChartPoint {
  double X;
  double Y;
};
// A run of points joined by lines; a gap separates two runs.
using TPolyline = std::vector<TChartPoint>;

// The runs to draw for one series over the x range [left, right] on a plot
// `columns` pixels wide. Points are kept whole where they are fewer than
// the pixels; otherwise each pixel column keeps the first, the lowest, the
// highest and the last point of each run that passes through it (in their
// order), so peaks and gaps stay visible. The nearest point outside the
// range on each side is kept, for the lines that leave the plot.
std::vector<TPolyline> ReduceForDrawing(const std::vector<double>& x, const std::vector<double>& y, double left,
                                        double right, int columns);

struct TAxisRange {
  double Min = 0;
  double Max = 1;
};

// The range of the numbers given (NaN ignored); a range of one value, or of
// none, is widened to a range around it (0 when there is none).
TAxisRange RangeOf(const std::vector<const std::vector<double>*>& values);

// One tick of an axis: where it stands and its label.
struct TAxisTick {
  double Value;
  std::string Label;
};

// The tickCount ticks (at least 2) from min to max at equal steps, labelled
// in the calculator's number text, each label as short as the ticks allow
// (within a thousandth of a step of its tick): 0, 0.25, 0.5 ...; an axis
// reaching 1E6 or more writes exponents where that is shorter (5E5, 1E6,
// 1.5E6), never 1e+06. A range that is not finite or empty gives its ends.
std::vector<TAxisTick> AxisTicks(double min, double max, int tickCount);

// The chart's look as the chart editor sets it.
struct TSeriesStyle {
  std::uint32_t Color = 0;  // 0xRRGGBB
  int Width = 2;
  bool Visible = true;
};
struct TAxisStyle {
  std::string Title;
  bool Automatic = true;
  TAxisRange Range;  // when not automatic
};
struct TChartStyle {
  std::string Title;
  TAxisStyle X, Y;
  bool Grid = true;
  std::vector<TSeriesStyle> Series;
};

// The look of a freshly built chart: no title, the variable's name on the
// x axis, automatic ranges, grid lines, each series in a colour of its own.
TChartStyle DefaultChartStyle(const TChartData& data);

// The look after a rebuild (Refresh) from data, the chart before it having
// had former with the series formerNames: while the functions keep their
// names (case ignored, in order) everything stays; otherwise each series
// whose name was there keeps its colour, width and visibility, and the
// rest is the default look.
TChartStyle KeptChartStyle(const TChartStyle& former, const std::vector<std::string>& formerNames,
                           const TChartData& data);

}  // namespace helmax
