// libFuzzer target for conversion tables: any bytes read as a .cnv file are
// refused with a message or loaded; the check runs, a few conversions give
// a value or fail with their message, and the graph's views of the first
// category are computed, never crashing. A loaded table that can be
// written reads back with the same categories, units and rows.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "ConversionTable.h"
#include "TextFile.h"
#include "UnitGraph.h"

namespace {

using namespace helmax;

// Categories, units and rows, as names and unit positions.
std::string Shape(const std::vector<TUnitCategory>& categories) {
  std::string shape;
  for (const TUnitCategory& c : categories) {
    shape += "[" + c.Name + "]";
    for (const TUnit& u : c.Units) shape += u.Name + "@" + std::to_string(u.X) + "," + std::to_string(u.Y) + ";";
    for (const TConversionDefinition& d : c.Definitions)
      shape += std::to_string(d.UnitA) + ">" + std::to_string(d.UnitB) + ":" + d.Forward + "|" + d.Backward + ";";
  }
  return shape;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
  TMessageRecorder ui;
  TConversionTable table(ui);
  if (!table.ReadText(text)) return 0;
  table.Check();
  for (int c = 0; c < std::min(table.CategoryCount(), 3); ++c) {
    const int units = static_cast<int>(table.Category(c).Units.size());
    for (int a = 0; a < std::min(units, 4); ++a)
      for (int b = 0; b < std::min(units, 4); ++b) {
        TValue args[4] = {TValue::MakeReal(c + 1), TValue::MakeReal(a + 1), TValue::MakeReal(b + 1),
                          TValue::MakeReal(1.5)};
        TValue* pointers[4] = {&args[0], &args[1], &args[2], &args[3]};
        TValue result;
        try {
          table.Conv(pointers, 4, result);
          if (!result.IsReal()) __builtin_trap();
        } catch (const std::exception& e) {
          if (std::string(e.what()).empty()) __builtin_trap();
        }
      }
  }
  if (table.CategoryCount() > 0 && table.Category(0).Units.size() <= 60) {
    const TUnitCategory& first = table.Category(0);
    std::vector<TUnitGraph::TPlace> places;
    for (const TUnit& u : first.Units) places.push_back({u.X, u.Y});
    TUnitGraph graph;
    graph.Build(places, first.UnitPairs());
    const int n = graph.VertexCount();
    if (n > 0) {
      graph.ShortestPaths(1, n);
      graph.Reset();
      graph.MinimalSpanningTree();
      graph.Reset();
      graph.MaximalFlow(1, n);
      graph.LayOutOnRings(800, 600);
    }
  }
  // What is written reads back as it was.
  std::string written, error;
  if (ConversionText(table.Categories(), written, error)) {
    std::vector<TUnitCategory> again;
    if (!ParseConversionText(written, again, error) || Shape(again) != Shape(table.Categories())) __builtin_trap();
  }
  return 0;
}
