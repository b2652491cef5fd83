// The unit graph's algorithms against plain reference implementations on a
// few hundred random graphs (disconnected ones, parallel definitions and
// loops included), and the examples of the graph of the built-in table.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <queue>
#include <random>

#include "ConversionTable.h"
#include "TextFile.h"
#include "UnitGraph.h"

namespace helmax {
namespace {

using Arcs = std::vector<int>;

struct TRandomGraph {
  int Units = 0;
  std::vector<TUnitPair> Rows;
};

// Small graphs, so that equally short paths abound; some rows repeat a
// pair or join a unit to itself, and sparse ones fall apart.
std::vector<TRandomGraph> RandomGraphs(int count) {
  std::mt19937 rng(20240518);
  std::vector<TRandomGraph> graphs;
  for (int g = 0; g < count; ++g) {
    TRandomGraph graph;
    graph.Units = std::uniform_int_distribution<int>(1, 12)(rng);
    const int rows = std::uniform_int_distribution<int>(0, 2 * graph.Units)(rng);
    std::uniform_int_distribution<int> unit(0, graph.Units - 1);
    for (int r = 0; r < rows; ++r) {
      TUnitPair p{unit(rng), unit(rng)};
      if (p.UnitA == p.UnitB && std::uniform_int_distribution<int>(0, 9)(rng) != 0) continue;  // loops stay rare
      graph.Rows.push_back(p);
    }
    graphs.push_back(graph);
  }
  return graphs;
}

int Start(const TRandomGraph& g, int arc) { return ArcStartUnit(g.Rows, arc); }
int End(const TRandomGraph& g, int arc) { return ArcEndUnit(g.Rows, arc); }

// Floyd–Warshall over the arcs, every arc costing 1.
std::vector<std::vector<int>> Distances(const TRandomGraph& g) {
  const int n = g.Units;
  std::vector<std::vector<int>> d(static_cast<std::size_t>(n),
                                  std::vector<int>(static_cast<std::size_t>(n), INT_MAX / 4));
  for (int v = 0; v < n; ++v) d[v][v] = 0;
  for (int arc = 1; arc <= static_cast<int>(g.Rows.size()) * 2; ++arc)
    d[Start(g, arc)][End(g, arc)] = std::min(d[Start(g, arc)][End(g, arc)], 1);
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
  return d;
}

// The path that the level search finds, told by its tie rule: walking back
// from the end, each step comes from the lowest-numbered unit one step
// nearer the start, by the lowest-numbered arc between the two. From a unit
// to itself: a loop of one arc, else out to the lowest-numbered neighbour
// and back, each by its lowest-numbered arc.
Arcs ExpectedPath(const TRandomGraph& g, const std::vector<std::vector<int>>& d, int s, int t) {
  const int arcs = static_cast<int>(g.Rows.size()) * 2;
  auto lowestArc = [&](int from, int to) {
    for (int arc = 1; arc <= arcs; ++arc)
      if (Start(g, arc) == from && End(g, arc) == to) return arc;
    return 0;
  };
  if (s == t) {
    if (const int loop = lowestArc(s, s)) return {loop};
    for (int u = 0; u < g.Units; ++u)
      if (u != s && lowestArc(s, u) != 0) return {lowestArc(s, u), lowestArc(u, s)};
    return {};
  }
  if (d[s][t] >= INT_MAX / 4) return {};
  Arcs path;
  for (int w = t; w != s;) {
    int u = 0;
    while (!(d[s][u] == d[s][w] - 1 && lowestArc(u, w) != 0)) ++u;
    path.insert(path.begin(), lowestArc(u, w));
    w = u;
  }
  return path;
}

std::vector<TUnitGraph::TPlace> Places(int n) { return std::vector<TUnitGraph::TPlace>(static_cast<std::size_t>(n)); }

TEST(ShortestPaths, MatchDistancesAndTheTieRuleOnRandomGraphs) {
  for (const TRandomGraph& g : RandomGraphs(300)) {
    const auto d = Distances(g);
    TShortestPathTable table;
    table.Compute(g.Units, g.Rows);
    TUnitGraph graph;
    graph.Build(Places(g.Units), g.Rows);
    for (int s = 0; s < g.Units; ++s)
      for (int t = 0; t < g.Units; ++t) {
        const Arcs expected = ExpectedPath(g, d, s, t);
        ASSERT_EQ(table.Path(s, t), expected) << "from " << s << " to " << t << " in " << g.Units << " units";
        ASSERT_EQ(graph.ShortestPath(s + 1, t + 1), expected) << "level search from " << s << " to " << t;
        if (s != t && !expected.empty()) {
          EXPECT_EQ(static_cast<int>(expected.size()), d[s][t]);
          EXPECT_DOUBLE_EQ(graph.LevelSearch(s + 1, t + 1), d[s][t]);
        }
        if (s != t && expected.empty()) {
          EXPECT_GE(d[s][t], INT_MAX / 4);
          EXPECT_EQ(graph.LevelSearch(s + 1, t + 1), kNoPathCost);
        }
      }
  }
}

// Every listed path is a shortest path from the begin to the end vertex,
// listed once, path 1 first.
TEST(ShortestPaths, ListedPathsAreDistinctShortestPaths) {
  for (const TRandomGraph& g : RandomGraphs(300)) {
    const auto d = Distances(g);
    TUnitGraph graph;
    graph.Build(Places(g.Units), g.Rows);
    for (int s = 0; s < g.Units; ++s)
      for (int t = 0; t < g.Units; ++t) {
        if (s == t) continue;
        graph.Reset();
        const std::vector<TListedPath> listed = graph.ShortestPaths(s + 1, t + 1);
        if (d[s][t] >= INT_MAX / 4) {
          EXPECT_TRUE(listed.empty());
          continue;
        }
        ASSERT_FALSE(listed.empty());
        std::vector<Arcs> seen;
        for (const TListedPath& path : listed) {
          ASSERT_EQ(static_cast<int>(path.size()), d[s][t]);
          Arcs travel;
          for (auto it = path.rbegin(); it != path.rend(); ++it) travel.push_back(it->Arc);
          EXPECT_EQ(Start(g, travel.front()), s);
          EXPECT_EQ(End(g, travel.back()), t);
          for (std::size_t i = 1; i < travel.size(); ++i) EXPECT_EQ(End(g, travel[i - 1]), Start(g, travel[i]));
          EXPECT_EQ(std::count(seen.begin(), seen.end(), travel), 0);
          seen.push_back(travel);
        }
        EXPECT_EQ(seen.front(), ExpectedPath(g, d, s, t));
        for (int arc : seen.front()) EXPECT_EQ(graph.Arc(arc).Colour, TGraphColour::Red);
      }
  }
}

// Kruskal's forest over the arcs as undirected edges.
double KruskalWeight(int n, const std::vector<std::tuple<double, int, int>>& edges) {
  std::vector<int> parent(static_cast<std::size_t>(n));
  std::iota(parent.begin(), parent.end(), 0);
  std::function<int(int)> root = [&](int v) { return parent[v] == v ? v : parent[v] = root(parent[v]); };
  auto sorted = edges;
  std::sort(sorted.begin(), sorted.end());
  double total = 0;
  for (const auto& [w, a, b] : sorted)
    if (root(a) != root(b)) {
      parent[root(a)] = root(b);
      total += w;
    }
  return total;
}

TEST(MinimalSpanningTree, WeighsAsKruskalsForestOnRandomGraphs) {
  std::mt19937 rng(7);
  for (const TRandomGraph& g : RandomGraphs(300)) {
    TUnitGraph graph;
    graph.Build(Places(g.Units), g.Rows);
    std::vector<std::tuple<double, int, int>> edges;
    for (int arc = 1; arc <= graph.ArcCount(); ++arc) {
      graph.Arc(arc).Weight = std::uniform_int_distribution<int>(1, 3)(rng);  // ties are common
      edges.emplace_back(graph.Arc(arc).Weight, Start(g, arc), End(g, arc));
    }
    const Arcs tree = graph.MinimalSpanningTree();
    double weight = 0;
    std::vector<int> parent(static_cast<std::size_t>(g.Units));
    std::iota(parent.begin(), parent.end(), 0);
    std::function<int(int)> root = [&](int v) { return parent[v] == v ? v : parent[v] = root(parent[v]); };
    for (int arc : tree) {
      weight += graph.Arc(arc).Weight;
      EXPECT_EQ(graph.Arc(arc).Colour, TGraphColour::Red);
      ASSERT_NE(root(Start(g, arc)), root(End(g, arc))) << "the tree closes a cycle";
      parent[root(Start(g, arc))] = root(End(g, arc));
    }
    EXPECT_DOUBLE_EQ(weight, KruskalWeight(g.Units, edges));
    int components = 0;
    for (int v = 0; v < g.Units; ++v) components += root(v) == v;
    EXPECT_EQ(static_cast<int>(tree.size()), g.Units - components);
  }
}

// Edmonds–Karp on capacities that count the arcs from one unit to another.
int EdmondsKarp(const TRandomGraph& g, int s, int t) {
  const std::size_t n = static_cast<std::size_t>(g.Units);
  std::vector<std::vector<int>> capacity(n, std::vector<int>(n, 0));
  for (int arc = 1; arc <= static_cast<int>(g.Rows.size()) * 2; ++arc)
    if (Start(g, arc) != End(g, arc)) ++capacity[Start(g, arc)][End(g, arc)];
  int flow = 0;
  for (;;) {
    std::vector<int> from(n, -1);
    from[s] = s;
    std::queue<int> queue;
    queue.push(s);
    while (!queue.empty() && from[t] < 0) {
      const int v = queue.front();
      queue.pop();
      for (std::size_t w = 0; w < n; ++w)
        if (from[w] < 0 && capacity[v][w] > 0) {
          from[w] = v;
          queue.push(static_cast<int>(w));
        }
    }
    if (from[t] < 0) return flow;
    for (int w = t; w != s; w = from[w]) {
      --capacity[from[w]][w];
      ++capacity[w][from[w]];
    }
    ++flow;
  }
}

TEST(MaximalFlow, HasEdmondsKarpsValueAndIsAFlowOnRandomGraphs) {
  for (const TRandomGraph& g : RandomGraphs(300)) {
    for (int s = 0; s < g.Units; ++s)
      for (int t = 0; t < g.Units; ++t) {
        if (s == t) continue;
        TUnitGraph graph;
        graph.Build(Places(g.Units), g.Rows);
        const double value = graph.MaximalFlow(s + 1, t + 1);
        ASSERT_DOUBLE_EQ(value, EdmondsKarp(g, s, t)) << "from " << s << " to " << t;
        std::vector<double> balance(static_cast<std::size_t>(g.Units), 0.0);
        for (const TGraphArc& arc : graph.Arcs()) {
          ASSERT_TRUE(arc.Weight == 0.0 || arc.Weight == 1.0);
          EXPECT_EQ(arc.Colour == TGraphColour::Red, arc.Weight == 1.0);
          if (arc.ToVertex == s + 1 || arc.FromVertex == t + 1) { EXPECT_EQ(arc.Weight, 0.0); }
          balance[arc.FromVertex - 1] -= arc.Weight;
          balance[arc.ToVertex - 1] += arc.Weight;
        }
        for (int v = 0; v < g.Units; ++v) {
          if (v != s && v != t) { EXPECT_EQ(balance[v], 0.0); }
        }
        EXPECT_EQ(balance[t], value);
      }
  }
}

// ---- the graph of the built-in table ---------------------------------------------------------

struct BuiltInGraph : ::testing::Test {
  std::vector<TUnitCategory> Categories;
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ParseConversionText(DefaultConversionText(), Categories, error));
  }
  const TUnitCategory& Named(const std::string& name) {
    for (const TUnitCategory& c : Categories)
      if (c.Name == name) return c;
    throw std::runtime_error("no category " + name);
  }
  TUnitGraph GraphOf(const std::string& name) {
    const TUnitCategory& c = Named(name);
    std::vector<TUnitGraph::TPlace> places;
    for (const TUnit& u : c.Units) places.push_back({u.X, u.Y});
    TUnitGraph g;
    g.Build(places, c.UnitPairs());
    return g;
  }
  int Vertex(const std::string& category, const std::string& unit) {
    return TConversionTable::FindUnit(Named(category), unit) + 1;
  }
};

TEST_F(BuiltInGraph, PathsOfThePartsExamples) {
  TUnitGraph temperature = GraphOf("Temperature");
  // Fahrenheit to Kelvin: F1 (Fahrenheit to Celcius), then E2.
  EXPECT_EQ(temperature.ShortestPath(Vertex("Temperature", "Fahrenheit"), Vertex("Temperature", "Kelvin")),
            (Arcs{2, 3}));
  // To itself: out to the lowest-numbered neighbour (Celcius) and back.
  EXPECT_EQ(temperature.ShortestPath(2, 2), (Arcs{2, 1}));
  TUnitGraph length = GraphOf("Length");
  // Inches to meters: E11, F6, F5.
  EXPECT_EQ(length.ShortestPath(Vertex("Length", "inches"), Vertex("Length", "meters")), (Arcs{21, 12, 10}));
  // Vertices carry the units' positions and arcs copy them.
  EXPECT_EQ(length.Vertex(Vertex("Length", "inches")).X, 423);
  EXPECT_EQ(length.Arc(21).FromY, 603);
}

TEST_F(BuiltInGraph, MinimalTreeOfTemperatureAndOfTwoComponents) {
  TUnitGraph temperature = GraphOf("Temperature");
  EXPECT_EQ(temperature.MinimalSpanningTree(), (Arcs{1, 3, 5}));  // E1, E2, E3
  TUnitGraph split;
  split.Build(Places(4), {{0, 3}, {1, 2}});              // rows a–d and b–c
  EXPECT_EQ(split.MinimalSpanningTree(), (Arcs{1, 3}));  // E1 and E2
}

TEST(UnitGraph, ShortestPathsViewListsThreeOfFourPaths) {
  // Units A1, A2, B1, B2, S, T (vertices 1 to 6); S joins A1 and A2, each A
  // joins B1 and B2, each B joins T.
  TUnitGraph g;
  g.Build(Places(6), {{4, 0}, {4, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 5}, {3, 5}});
  const std::vector<TListedPath> listed = g.ShortestPaths(5, 6);
  std::vector<Arcs> travel;
  for (const TListedPath& path : listed) {
    Arcs arcs;
    for (auto it = path.rbegin(); it != path.rend(); ++it) arcs.push_back(it->Arc);
    travel.push_back(arcs);
  }
  // Through A1 and B1, through A1 and B2, through A2 and B1.
  EXPECT_EQ(travel, (std::vector<Arcs>{{1, 5, 13}, {1, 7, 15}, {3, 9, 13}}));
  ASSERT_EQ(listed.front().size(), 3u);
  EXPECT_DOUBLE_EQ(listed.front()[0].Cost, 3.0);  // the arc into T, three steps out
  EXPECT_EQ(g.Vertex(5).Colour, TGraphColour::Red);
  EXPECT_EQ(g.Vertex(6).Colour, TGraphColour::Red);
  EXPECT_EQ(g.Vertex(1).Colour, TGraphColour::Green);
}

TEST(UnitGraph, UnreachableUnitsHaveNoPath) {
  TUnitGraph g;
  g.Build(Places(4), {{0, 1}, {2, 3}});
  EXPECT_TRUE(g.ShortestPath(1, 3).empty());
  EXPECT_TRUE(g.ShortestPaths(1, 3).empty());
  TShortestPathTable table;
  table.Compute(5, {{0, 1}, {2, 3}});
  EXPECT_TRUE(table.Path(0, 2).empty());
  EXPECT_TRUE(table.Path(4, 4).empty());  // a unit without definitions, also to itself
}

TEST(UnitGraph, SingleDefinitionCarriesAUnitOfFlow) {
  TUnitGraph g;
  g.Build(Places(2), {{0, 1}});
  EXPECT_DOUBLE_EQ(g.MaximalFlow(1, 2), 1.0);
  EXPECT_EQ(g.Arc(1).Colour, TGraphColour::Red);
  EXPECT_EQ(g.Arc(2).Colour, TGraphColour::Black);  // into the begin vertex
}

TEST(UnitGraph, RingsAroundTheCentre) {
  TUnitGraph g;
  g.Build(Places(20), {});
  g.LayOutOnRings(801, 600);
  const int cx = 400, cy = 300;
  EXPECT_EQ(g.Vertex(1).X, cx);
  EXPECT_EQ(g.Vertex(1).Y, cy);
  for (int v = 2; v <= 20; ++v) {
    const double r = std::hypot(g.Vertex(v).X - cx, g.Vertex(v).Y - cy);
    const double ring = v <= 7 ? 50 : v <= 19 ? 100 : 150;
    EXPECT_NEAR(r, ring, 1.5) << "vertex " << v;
  }
  EXPECT_EQ(g.Vertex(2).X, cx + 50);  // each ring starts at angle 0
  EXPECT_EQ(g.Vertex(8).X, cx + 100);
  EXPECT_EQ(g.Vertex(20).X, cx + 150);
  EXPECT_EQ(g.Vertex(20).Y, cy);
}

TEST(UnitGraph, ArcsOfOnePairShareAGroup) {
  TUnitGraph g;
  g.Build(Places(3), {{0, 1}, {1, 2}, {1, 0}});
  EXPECT_EQ(g.ArcGroups(), (std::vector<Arcs>{{1, 2, 5, 6}, {3, 4}}));
  EXPECT_EQ(g.Vertex(2).Arcs, (Arcs{1, 2, 3, 4, 5, 6}));
  g.MoveVertex(2, 7, 9);
  EXPECT_EQ(g.Arc(1).ToX, 7);
  EXPECT_EQ(g.Arc(3).FromY, 9);
}

}  // namespace
}  // namespace helmax

namespace helmax {
namespace {

// A table that the conversion fuzzer found: equally short paths abound in
// its first category, and listing them took 30 s and 630 MB. The view
// lists at most kMaxListedPaths, each a shortest path.
TEST(ShortestPaths, ManyEquallyShortPathsAreListedUpToTheLimit) {
  const std::string text =
      "; comment\r\n"
      "[S]\r\n"
      "0=S : A1 : x : x\r\n"
      "2=' : A21 : x0\n"
      "4=A1 : B2 : x : x\r\n"
      "5=A2 : B1 :\x06"
      "B2 : x \r\n"
      "5=A2 : B1 : x\r\n"
      "6= B1 : x : x0\n"
      "0=S : A1 : x : x\r\n"
      "2=S : A21 : x0\n"
      "4=A1 : B2 : x : x\r\n"
      "5=A2 : B1 :\x06"
      "B2 : x \r\n"
      "5=A2 : B1 : x\r\n"
      "6= B1 : x : x0\n"
      "4=AB1 :\x06"
      "B2 : x \r\n"
      "5=A2 :\x06"
      "B2 : x \r\n"
      "5=A2 : B1 : x\r\n"
      "6= B1 : x : x0\n"
      "0=S : A1 : x : x\r\n"
      "2=S : A21 : x0\n"
      "4=A1 : B2 : x :2 : x \r\n"
      "5=A2 : B1 : x\r\n"
      "6= B1 : x : x0\n"
      "4=A1 : (4=A1 : ( : x\r\n"
      "5=A2 : B1 :\x06"
      " cot(x : x\r\n"
      "\r\n"
      "5=A2 : B1 : x :=A x\r\n"
      "6=A2 : B2 : ";
  TMessageRecorder ui;
  TConversionTable table(ui);
  ASSERT_TRUE(table.ReadText(DecodeText(text)));
  const TUnitCategory& first = table.Category(0);
  std::vector<TUnitGraph::TPlace> places;
  for (const TUnit& u : first.Units) places.push_back({u.X, u.Y});
  TUnitGraph graph;
  graph.Build(places, first.UnitPairs());
  const std::vector<TListedPath> listed = graph.ShortestPaths(1, graph.VertexCount());
  ASSERT_FALSE(listed.empty());
  EXPECT_LE(listed.size(), 256u);  // the limit (1,152 paths without it)
  for (const TListedPath& path : listed) EXPECT_EQ(path.size(), listed.front().size());
}

}  // namespace
}  // namespace helmax
