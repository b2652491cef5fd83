// The graph window's cost on a category of 200 units and 400 definitions
// (800 arcs, the most the window draws): deciding the picture, painting a
// frame of 1100 x 720 pixels, one frame of dragging a vertex (move, decide,
// paint; target: under 16 ms, so that dragging stays smooth), computing
// the minimal tree, the shortest paths and the maximal flow (arguments 1, 2
// and 3) between two units, and saving the canvas as a 4-bit bitmap.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <random>
#include <set>

#include "Bitmap4.h"
#include "GraphPainter.h"
#include "GraphPicture.h"
#include "UnitGraph.h"
#include "UnitGraphView.h"

namespace {

using namespace helmax;

constexpr int kUnits = 200, kDefinitions = 400, kWidth = 1100, kHeight = 720;

// A random spanning tree, then random pairs not joined yet; the units at
// random places of the canvas.
struct TBigGraph {
  TUnitGraph Graph;
  std::vector<std::string> Names;
  TBigGraph() {
    std::mt19937 rng(42);
    std::vector<TUnitPair> rows;
    std::set<std::pair<int, int>> joined;
    auto join = [&](int a, int b) {
      if (a != b && joined.insert(std::minmax(a, b)).second) rows.push_back({a, b});
    };
    for (int v = 1; v < kUnits; ++v) join(std::uniform_int_distribution<int>(0, v - 1)(rng), v);
    std::uniform_int_distribution<int> unit(0, kUnits - 1);
    while (static_cast<int>(rows.size()) < kDefinitions) join(unit(rng), unit(rng));
    std::vector<TUnitGraph::TPlace> places;
    std::uniform_int_distribution<int> x(20, kWidth - 120), y(20, kHeight - 20);
    for (int i = 0; i < kUnits; ++i) {
      places.push_back({x(rng), y(rng)});
      Names.push_back("unit " + std::to_string(i + 1));
    }
    Graph.Build(places, rows);
  }
};

void BM_GraphPicture(benchmark::State& state) {
  TBigGraph g;
  for (auto _ : state) benchmark::DoNotOptimize(DrawGraph(g.Graph, g.Names).Strokes.size());
}
BENCHMARK(BM_GraphPicture)->Unit(benchmark::kMillisecond);

void BM_PaintFrame(benchmark::State& state) {
  TBigGraph g;
  const TGraphPicture picture = DrawGraph(g.Graph, g.Names);
  QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&canvas);
    PaintGraph(painter, canvas.rect(), picture);
  }
}
BENCHMARK(BM_PaintFrame)->Unit(benchmark::kMillisecond);

// What one mouse move costs while a vertex is dragged.
void BM_DragFrame(benchmark::State& state) {
  TBigGraph g;
  QImage canvas(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  int step = 0;
  for (auto _ : state) {
    g.Graph.MoveVertex(1, 100 + step % 500, 100 + step % 300);
    ++step;
    QPainter painter(&canvas);
    PaintGraph(painter, canvas.rect(), DrawGraph(g.Graph, g.Names, 1));
  }
}
BENCHMARK(BM_DragFrame)->Unit(benchmark::kMillisecond);

// The views, computed on the window's thread when chosen.
void BM_Views(benchmark::State& state) {
  TBigGraph g;
  const auto view = static_cast<TGraphView>(state.range(0));
  for (auto _ : state) {
    g.Graph.Reset();
    switch (view) {
      case TGraphView::MinimalTree: benchmark::DoNotOptimize(g.Graph.MinimalSpanningTree().size()); break;
      case TGraphView::ShortestPaths: benchmark::DoNotOptimize(g.Graph.ShortestPaths(1, kUnits).size()); break;
      case TGraphView::MaximalFlow: benchmark::DoNotOptimize(g.Graph.MaximalFlow(1, kUnits)); break;
      case TGraphView::Graph: break;
    }
  }
}
BENCHMARK(BM_Views)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_SaveBitmap4(benchmark::State& state) {
  TBigGraph g;
  QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
  {
    QPainter painter(&canvas);
    PaintGraph(painter, canvas.rect(), DrawGraph(g.Graph, g.Names));
  }
  for (auto _ : state) benchmark::DoNotOptimize(Bitmap4Bytes(ReduceTo16Colours(canvas)).size());
}
BENCHMARK(BM_SaveBitmap4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
