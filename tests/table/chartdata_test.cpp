// What the chart draws: the table's numbers with gaps, and their reduction
// to a few points per pixel column that keeps every peak and every gap.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "ChartData.h"

using namespace helmax;

namespace {

constexpr double kGap = NAN;

// The runs of y between gaps, whole: what the reduction must look like.
std::vector<std::vector<double>> Runs(const std::vector<double>& y) {
  std::vector<std::vector<double>> runs(1);
  for (double v : y) {
    if (std::isnan(v)) {
      if (!runs.back().empty()) runs.emplace_back();
    } else {
      runs.back().push_back(v);
    }
  }
  if (runs.back().empty()) runs.pop_back();
  return runs;
}

}  // namespace

TEST(ChartDataTest, NumbersOfTheTableWithGaps) {
  TFunctionTable table("t", {"f(t)", "g(t)"});
  double serial = 0;
  std::string reason;
  ParseDateTimeLiteral("12.31.2008", serial, reason);
  const TValue rows[][2] = {{TValue::MakeReal(1), TValue::MakeDateTime(serial)},
                            {TValue::MakeNull(), TValue::MakeCurrency(15000)},
                            {TValue::MakeReal(EngineNaN()), TValue::MakeComplex(1, 0)}};
  for (int r = 0; r < 3; ++r) table.AppendRow(r * 0.5, rows[r]);
  table.Replace("1", " 7e2 ");  // a number typed as text counts
  const TChartData data = BuildChartData(table);
  EXPECT_EQ(data.XName, "t");
  EXPECT_EQ(data.X, (std::vector<double>{0, 0.5, 1}));
  ASSERT_EQ(data.Series.size(), 2u);
  EXPECT_EQ(data.Series[0].Name, "f(t)");
  EXPECT_EQ(data.Series[0].Y[0], 700);
  EXPECT_TRUE(std::isnan(data.Series[0].Y[1]));
  EXPECT_TRUE(std::isnan(data.Series[0].Y[2]));
  EXPECT_TRUE(std::isnan(data.Series[1].Y[0]));  // 12.31.2008 is a gap, not 12.31
  EXPECT_EQ(data.Series[1].Y[1], 1.5);
  EXPECT_TRUE(std::isnan(data.Series[1].Y[2]));
  const TChartStyle style = DefaultChartStyle(data);
  EXPECT_EQ(style.X.Title, "t");
  ASSERT_EQ(style.Series.size(), 2u);
  EXPECT_NE(style.Series[0].Color, style.Series[1].Color);
}

// A rebuild keeps the editor's settings while the functions keep their
// names; a series keeps its own look by name when the others change.
TEST(ChartDataTest, RefreshKeepsTheLookWhileTheNamesStay) {
  TChartData data;
  data.XName = "x";
  data.Series = {{"f(x)", {}}, {"g(x)", {}}};
  TChartStyle edited = DefaultChartStyle(data);
  edited.Title = "Sine";
  edited.X.Automatic = false;
  edited.X.Range = {-5, 5};
  edited.Grid = false;
  edited.Series[1] = {0x102030, 4, false};
  const std::vector<std::string> names = {"f(x)", "G(X)"};
  const TChartStyle same = KeptChartStyle(edited, names, data);
  EXPECT_EQ(same.Title, "Sine");
  EXPECT_FALSE(same.X.Automatic);
  EXPECT_EQ(same.X.Range.Max, 5);
  EXPECT_FALSE(same.Grid);
  EXPECT_EQ(same.Series[1].Color, 0x102030u);
  // Another set of functions: g(x) keeps its look in its new place, the
  // rest is the default.
  TChartData other = data;
  other.Series = {{"g(x)", {}}, {"h(x)", {}}};
  const TChartStyle moved = KeptChartStyle(edited, names, other);
  const TChartStyle fresh = DefaultChartStyle(other);
  EXPECT_EQ(moved.Title, "");
  EXPECT_TRUE(moved.X.Automatic);
  EXPECT_TRUE(moved.Grid);
  EXPECT_EQ(moved.Series[0].Width, 4);
  EXPECT_FALSE(moved.Series[0].Visible);
  EXPECT_EQ(moved.Series[1].Color, fresh.Series[1].Color);
}

TEST(ChartDataTest, FewPointsAreDrawnWhole) {
  const std::vector<double> x = {0, 1, 2, 3, 4, 5};
  const std::vector<double> y = {1, kGap, 3, 4, kGap, kGap};
  const std::vector<TPolyline> runs = ReduceForDrawing(x, y, 0, 5, 100);
  ASSERT_EQ(runs.size(), 2u);
  ASSERT_EQ(runs[0].size(), 1u);
  EXPECT_EQ(runs[0][0].Y, 1);
  ASSERT_EQ(runs[1].size(), 2u);
  EXPECT_EQ(runs[1][1].X, 3);
  // Only the visible part and one point beyond each end.
  const std::vector<TPolyline> window = ReduceForDrawing(x, {0, 1, 2, 3, 4, 5}, 2.5, 3.5, 100);
  ASSERT_EQ(window.size(), 1u);
  EXPECT_EQ(window[0].front().X, 2);
  EXPECT_EQ(window[0].back().X, 4);
}

TEST(ChartDataTest, ReductionKeepsPeaksAndGapsPerPixelColumn) {
  // A million noisy points with spikes and holes, on 800 pixels.
  const int n = 1'000'000, columns = 800;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> noise(-1, 1);
  std::vector<double> x(n), y(n);
  for (int i = 0; i < n; ++i) {
    x[i] = i * 1e-3;
    y[i] = std::sin(x[i]) + 0.1 * noise(random);
    if (i % 99991 == 0) y[i] = 50;                             // a single-point spike
    if (i % 250000 >= 1000 && i % 250000 < 1500) y[i] = kGap;  // holes
  }
  const double left = x.front(), right = x.back();
  const std::vector<TPolyline> runs = ReduceForDrawing(x, y, left, right, columns);
  std::size_t drawn = 0;
  for (const TPolyline& run : runs) drawn += run.size();
  EXPECT_LE(drawn, 4u * (columns + 1) + 4u * runs.size());
  // Gaps: one run per stretch between holes.
  EXPECT_EQ(runs.size(), Runs(y).size());
  // Per pixel column and run, the highest and lowest point drawn are the
  // highest and lowest of the data.
  const double scale = columns / (right - left);
  auto column = [&](double v) { return std::min(columns - 1, static_cast<int>(std::floor((v - left) * scale))); };
  std::size_t start = 0;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    while (std::isnan(y[start])) ++start;
    std::map<int, std::pair<double, double>> want, got;
    std::size_t i = start;
    for (; i < y.size() && !std::isnan(y[i]); ++i) {
      auto [it, fresh] = want.try_emplace(column(x[i]), y[i], y[i]);
      it->second = {std::min(it->second.first, y[i]), std::max(it->second.second, y[i])};
    }
    start = i;
    for (const TChartPoint& p : runs[k]) {
      auto [it, fresh] = got.try_emplace(column(p.X), p.Y, p.Y);
      it->second = {std::min(it->second.first, p.Y), std::max(it->second.second, p.Y)};
    }
    ASSERT_EQ(got, want) << "run " << k;
  }
}

TEST(ChartDataTest, RangesOfTheNumbers) {
  const std::vector<double> a = {3, kGap, -2}, b = {10, INFINITY}, one = {5}, none = {kGap};
  TAxisRange r = RangeOf({&a, &b});
  EXPECT_EQ(r.Min, -2);
  EXPECT_EQ(r.Max, 10);
  r = RangeOf({&one});
  EXPECT_LT(r.Min, 5);
  EXPECT_GT(r.Max, 5);
  r = RangeOf({&none});
  EXPECT_LT(r.Min, r.Max);
  const std::vector<double> huge = {1e20};
  r = RangeOf({&huge});
  EXPECT_LT(r.Min, r.Max);
}

// Axis labels in the calculator's own number text, as short as the ticks
// allow; the texts are worked out by hand.
TEST(ChartDataTest, AxisTicksAreLabelledInTheCalculatorsNumbers) {
  struct TCase {
    double Min, Max;
    int Count;
    std::vector<std::string> Labels;
  };
  const TCase cases[] = {
      {0, 2e6, 5, {"0", "5E5", "1E6", "1.5E6", "2E6"}},
      {-100, 100, 5, {"-100", "-50", "0", "50", "100"}},
      {0, 0.3, 4, {"0", "0.1", "0.2", "0.3"}},    // 0.1+0.2 is not written 0.300000000000000004
      {0, 1, 4, {"0", "0.3333", "0.6667", "1"}},  // 0.333 is a thousandth of a step off
      {-5e-7, 0, 3, {"-5E-7", "-2.5E-7", "0"}},
      {1000000, 1000001, 3, {"1000000", "1000000.5", "1000001"}},  // shorter without exponents
      {-1e300, 1e300, 3, {"-1E300", "0", "1E300"}},
      {3, 3, 5, {"3"}},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> labels;
    for (const TAxisTick& t : AxisTicks(c.Min, c.Max, c.Count)) labels.push_back(t.Label);
    EXPECT_EQ(labels, c.Labels) << c.Min << " .. " << c.Max;
  }
  const std::vector<TAxisTick> ticks = AxisTicks(0, 2e6, 5);
  EXPECT_EQ(ticks[3].Value, 1.5e6);
}
