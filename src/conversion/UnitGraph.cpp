#include "UnitGraph.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <tuple>
#include <unordered_map>

namespace helmax {

namespace {

bool SameCost(double a, double b) { return std::fabs(a - b) <= kCostTolerance; }

}  // namespace

// ---- building ---------------------------------------------------------------------------

void TUnitGraph::Build(const std::vector<TPlace>& places, const std::vector<TUnitPair>& rows) {
  Vertices_.assign(places.size(), TGraphVertex{});
  for (std::size_t i = 0; i < places.size(); ++i) {
    Vertices_[i].X = places[i].X;
    Vertices_[i].Y = places[i].Y;
    Vertices_[i].Number = static_cast<int>(i) + 1;
  }
  Arcs_.assign(rows.size() * 2, TGraphArc{});
  ArcGroups_.clear();
  std::map<std::pair<int, int>, std::size_t> groupOf;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const int a = rows[k].UnitA + 1, b = rows[k].UnitB + 1;
    TGraphArc& forward = Arcs_[2 * k];
    TGraphArc& backward = Arcs_[2 * k + 1];
    forward.Number = static_cast<int>(2 * k + 1);
    backward.Number = static_cast<int>(2 * k + 2);
    forward.FromVertex = backward.ToVertex = a;
    forward.ToVertex = backward.FromVertex = b;
  }
  for (TGraphArc& arc : Arcs_) {
    if (!ValidVertex(arc.FromVertex) || !ValidVertex(arc.ToVertex)) continue;
    const TGraphVertex& from = Vertex(arc.FromVertex);
    const TGraphVertex& to = Vertex(arc.ToVertex);
    arc.FromX = from.X;
    arc.FromY = from.Y;
    arc.ToX = to.X;
    arc.ToY = to.Y;
    Vertex(arc.FromVertex).Arcs.push_back(arc.Number);
    if (arc.ToVertex != arc.FromVertex) Vertex(arc.ToVertex).Arcs.push_back(arc.Number);
    const auto key = std::minmax(arc.FromVertex, arc.ToVertex);
    const auto [at, added] = groupOf.emplace(key, ArcGroups_.size());
    if (added) ArcGroups_.emplace_back();
    ArcGroups_[at->second].push_back(arc.Number);
  }
  Levels_.clear();
  Best_ = kNoPathCost;
}

void TUnitGraph::Reset() {
  for (TGraphVertex& v : Vertices_) v.Colour = TGraphColour::Green;
  for (TGraphArc& a : Arcs_) {
    a.Colour = TGraphColour::Green;
    a.Weight = 1.0;
  }
  Levels_.clear();
  Best_ = kNoPathCost;
}

void TUnitGraph::LayOutOnRings(int width, int height) {
  if (Vertices_.empty()) return;
  const int cx = width / 2, cy = height / 2;
  Vertices_[0].X = cx;
  Vertices_[0].Y = cy;
  int ring = 1;
  double angle = 0.0;
  const double pi = std::numbers::pi;
  for (std::size_t i = 1; i < Vertices_.size(); ++i) {
    const double radius = 50.0 * ring;
    Vertices_[i].X = cx + static_cast<int>(std::trunc(radius * std::cos(angle)));
    Vertices_[i].Y = cy + static_cast<int>(std::trunc(radius * std::sin(angle)));
    // A ring is full once the next step would come back round to angle 0.
    if (pi / (3.0 * ring) >= std::fabs(pi / (10.0 * ring) + angle - 2 * pi)) {
      ++ring;
      angle = 0.0;
    } else {
      angle += pi / (3.0 * ring);
    }
  }
  for (TGraphVertex& v : Vertices_) MoveVertex(v.Number, v.X, v.Y);
}

void TUnitGraph::MoveVertex(int number, int x, int y) {
  TGraphVertex& v = Vertex(number);
  v.X = x;
  v.Y = y;
  for (int a : v.Arcs) {
    TGraphArc& arc = Arc(a);
    if (arc.FromVertex == number) {
      arc.FromX = x;
      arc.FromY = y;
    }
    if (arc.ToVertex == number) {
      arc.ToX = x;
      arc.ToY = y;
    }
  }
}

// ---- shortest paths ----------------------------------------------------------------------

double TUnitGraph::LevelSearch(int begin, int end) {
  Levels_.clear();
  Best_ = kNoPathCost;
  if (!ValidVertex(begin) || !ValidVertex(end)) return Best_;
  const int n = VertexCount();
  std::vector<int> frontier{begin};
  // The cheapest arc of the previous level into each vertex, and of this one.
  std::vector<double> reachedBefore(static_cast<std::size_t>(n) + 1, kNoPathCost);
  std::vector<double> reachedNow(static_cast<std::size_t>(n) + 1, kNoPathCost);
  std::vector<char> inLevel(Arcs_.size() + 1, 0);
  for (int level = 0; level < n; ++level) {
    TLevelRow row;
    for (int v : frontier) {
      const double base = level == 0 ? 0.0 : reachedBefore[static_cast<std::size_t>(v)];
      for (int r : Vertex(v).Arcs) {
        const TGraphArc& arc = Arc(r);
        if (arc.FromVertex != v || inLevel[static_cast<std::size_t>(r)]) continue;
        const double cost = base + arc.Weight;
        if (cost > Best_) continue;
        row.push_back({r, cost});
        inLevel[static_cast<std::size_t>(r)] = 1;
      }
    }
    if (row.empty()) break;
    std::vector<int> next;
    for (const TLevelItem& item : row) {
      inLevel[static_cast<std::size_t>(item.Arc)] = 0;
      const int to = Arc(item.Arc).ToVertex;
      if (to == end) Best_ = std::min(Best_, item.Cost);
      double& cheapest = reachedNow[static_cast<std::size_t>(to)];
      if (cheapest == kNoPathCost) next.push_back(to);
      cheapest = std::min(cheapest, item.Cost);
    }
    Levels_.push_back(std::move(row));
    std::sort(next.begin(), next.end());
    for (int v : frontier) reachedBefore[static_cast<std::size_t>(v)] = kNoPathCost;
    std::swap(reachedBefore, reachedNow);
    // The same vertices again: nothing new can be reached.
    if (next == frontier) break;
    frontier = std::move(next);
  }
  return Best_;
}

std::pair<int, int> TUnitGraph::FirstLevelArcInto(int vertex, double cost) const {
  for (std::size_t level = 0; level < Levels_.size(); ++level)
    for (std::size_t item = 0; item < Levels_[level].size(); ++item) {
      const TLevelItem& it = Levels_[level][item];
      if (Arc(it.Arc).ToVertex == vertex && SameCost(it.Cost, cost))
        return {static_cast<int>(level), static_cast<int>(item)};
    }
  return {-1, -1};
}

TListedPath TUnitGraph::WalkBack(int level, int item, int end) const {
  TListedPath path{Levels_[static_cast<std::size_t>(level)][static_cast<std::size_t>(item)]};
  for (int n = level - 1; n >= 0; --n) {
    const int start = Arc(path.back().Arc).FromVertex;
    const TLevelItem* cheapest = nullptr;
    for (const TLevelItem& it : Levels_[static_cast<std::size_t>(n)]) {
      const TGraphArc& arc = Arc(it.Arc);
      if (arc.ToVertex != start || arc.ToVertex == end) continue;
      if (cheapest == nullptr || it.Cost < cheapest->Cost) cheapest = &it;
    }
    if (cheapest == nullptr) return {};
    path.push_back(*cheapest);
  }
  return path;
}

std::vector<int> TUnitGraph::ShortestPath(int begin, int end) {
  LevelSearch(begin, end);
  std::vector<int> arcs;
  if (!SameCost(Best_, kNoPathCost)) {
    const auto [level, item] = FirstLevelArcInto(end, Best_);
    if (level >= 0)
      for (const TLevelItem& it : WalkBack(level, item, end)) arcs.push_back(it.Arc);
  }
  std::reverse(arcs.begin(), arcs.end());
  Levels_.clear();
  return arcs;
}

std::vector<TListedPath> TUnitGraph::ShortestPaths(int begin, int end) {
  std::vector<TListedPath> listed;
  LevelSearch(begin, end);
  if (SameCost(Best_, kNoPathCost)) {
    Levels_.clear();
    return listed;
  }
  const auto [lastLevel, lastItem] = FirstLevelArcInto(end, Best_);
  if (lastLevel < 0) {
    Levels_.clear();
    return listed;
  }
  const TListedPath first = WalkBack(lastLevel, lastItem, end);
  if (first.empty()) {
    Levels_.clear();
    return listed;
  }
  listed.push_back(first);
  const std::size_t length = first.size();

  // Exchanges: one arc of path 1 for another of the same level, completed
  // back to the begin vertex by first matches.
  for (std::size_t p = 0; p < length; ++p) {
    const int target = Arc(first[p].Arc).ToVertex;
    for (const TLevelRow& row : Levels_)
      for (const TLevelItem& f : row) {
        if (Arc(f.Arc).ToVertex != target || !SameCost(f.Cost, first[p].Cost)) continue;
        if (listed.size() >= kMaxListedPaths) break;
        const bool known = std::any_of(listed.begin(), listed.end(), [&](const TListedPath& path) {
          return p < path.size() && path[p].Arc == f.Arc;
        });
        if (known) continue;
        TListedPath path(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(p));
        path.push_back(f);
        // Costs fall by an arc's weight at each step, so this ends.
        for (std::size_t guard = 0; guard <= Levels_.size(); ++guard) {
          const TGraphArc& last = Arc(path.back().Arc);
          const auto [level, item] = FirstLevelArcInto(last.FromVertex, path.back().Cost - last.Weight);
          if (level < 0) break;
          path.push_back(Levels_[static_cast<std::size_t>(level)][static_cast<std::size_t>(item)]);
        }
        listed.push_back(std::move(path));
      }
  }

  // Joins: the part of path J up to position p - 1 followed by the rest of
  // path I from position p, where I's arc at p leads into J's arc at p - 1.
  for (std::size_t p = 1; p < length && listed.size() < kMaxListedPaths; ++p) {
    const std::size_t count = listed.size();
    std::set<std::vector<int>> prefixes;
    auto prefixOf = [p](const TListedPath& path) {
      std::vector<int> arcs;
      for (std::size_t i = 0; i <= p && i < path.size(); ++i) arcs.push_back(path[i].Arc);
      return arcs;
    };
    for (const TListedPath& path : listed) prefixes.insert(prefixOf(path));
    // The listed paths by the start vertex of their arc at p - 1.
    std::unordered_map<int, std::vector<std::size_t>> byStart;
    for (std::size_t j = 0; j < count; ++j)
      if (listed[j].size() >= p) byStart[Arc(listed[j][p - 1].Arc).FromVertex].push_back(j);
    for (std::size_t i = 0; i < count; ++i) {
      if (listed[i].size() <= p) continue;
      const auto bucket = byStart.find(Arc(listed[i][p].Arc).ToVertex);
      if (bucket == byStart.end()) continue;
      for (std::size_t j : bucket->second) {
        if (listed.size() >= kMaxListedPaths) break;
        if (j == i) continue;
        const TLevelItem& ia = listed[i][p - 1];
        const TLevelItem& ja = listed[j][p - 1];
        if (!SameCost(ia.Cost - Arc(ia.Arc).Weight, ja.Cost - Arc(ja.Arc).Weight)) continue;
        TListedPath path(listed[j].begin(), listed[j].begin() + static_cast<std::ptrdiff_t>(p));
        path.insert(path.end(), listed[i].begin() + static_cast<std::ptrdiff_t>(p), listed[i].end());
        if (!prefixes.insert(prefixOf(path)).second) continue;
        listed.push_back(std::move(path));
      }
    }
  }

  for (const TLevelItem& it : first) Arc(it.Arc).Colour = TGraphColour::Red;
  Vertex(begin).Colour = TGraphColour::Red;
  Vertex(end).Colour = TGraphColour::Red;
  Levels_.clear();
  return listed;
}

// ---- minimal spanning tree ------------------------------------------------------------------

std::vector<int> TUnitGraph::MinimalSpanningTree() {
  std::vector<int> chosenArcs;
  const int n = VertexCount();
  if (n == 0) return chosenArcs;
  // Position in the tree list, or -1 outside the tree.
  std::vector<int> treePosition(static_cast<std::size_t>(n) + 1, -1);
  int treeSize = 0;
  auto join = [&](int vertex) {
    if (vertex >= 1 && treePosition[static_cast<std::size_t>(vertex)] < 0)
      treePosition[static_cast<std::size_t>(vertex)] = treeSize++;
  };
  join(1);
  int chosenVertex = 0;
  for (int step = 1; step < n; ++step) {
    if (step > 1) {
      if (chosenVertex == 0)  // nothing reached: the next tree starts at the lowest vertex left
        for (int v = 1; v <= n && chosenVertex == 0; ++v)
          if (treePosition[static_cast<std::size_t>(v)] < 0) chosenVertex = v;
      join(chosenVertex);
    }
    // The cheapest arc between a vertex c outside and a tree vertex u, met
    // first in the order c, then u in tree order, then c's arcs.
    std::tuple<double, int, int, int> best{0.0, INT_MAX, INT_MAX, INT_MAX};
    int bestArc = 0;
    for (int c = 1; c <= n; ++c) {
      if (treePosition[static_cast<std::size_t>(c)] >= 0) continue;
      for (int r : Vertex(c).Arcs) {
        const TGraphArc& arc = Arc(r);
        const int u = arc.FromVertex == c ? arc.ToVertex : arc.FromVertex;
        if (u == c || treePosition[static_cast<std::size_t>(u)] < 0) continue;
        const std::tuple<double, int, int, int> key{arc.Weight, c, treePosition[static_cast<std::size_t>(u)], r};
        if (bestArc == 0 || key < best) {
          best = key;
          bestArc = r;
        }
      }
    }
    chosenVertex = bestArc == 0 ? 0 : std::get<1>(best);
    if (bestArc != 0) {
      Arc(bestArc).Colour = TGraphColour::Red;
      chosenArcs.push_back(bestArc);
    }
  }
  return chosenArcs;
}

// ---- maximal flow ------------------------------------------------------------------------

double TUnitGraph::MaximalFlow(int begin, int end) {
  // begin = end would exclude every arc of that vertex and show no flow.
  if (!ValidVertex(begin) || !ValidVertex(end) || begin == end) return 0.0;
  for (TGraphArc& arc : Arcs_) {
    arc.Weight = 0.0;
    if (arc.ToVertex == begin || arc.FromVertex == end) arc.Colour = TGraphColour::Black;
  }
  Vertex(begin).Colour = TGraphColour::Red;
  Vertex(end).Colour = TGraphColour::Red;
  const std::size_t n = Vertices_.size() + 1;
  std::vector<char> labelled(n, 0), touched(n, 0);
  std::vector<int> touchedList;
  // Each augmentation adds a unit of flow into the end vertex, which has at
  // most ArcCount arcs; the guard only protects against a broken invariant.
  for (int augmentations = 0; augmentations <= ArcCount(); ++augmentations) {
    std::fill(labelled.begin(), labelled.end(), 0);
    labelled[static_cast<std::size_t>(begin)] = 1;
    std::vector<int> examined{begin};
    std::vector<std::vector<int>> waves;
    int into = 0;  // the arc of the last wave that reaches the end vertex
    while (into == 0) {
      std::vector<int> wave;
      for (int v : examined)
        for (int r : Vertex(v).Arcs) {
          const TGraphArc& arc = Arc(r);
          if (arc.Colour == TGraphColour::Black) continue;
          auto covered = [&](int vertex) {
            return labelled[static_cast<std::size_t>(vertex)] || touched[static_cast<std::size_t>(vertex)];
          };
          if (covered(arc.FromVertex) && covered(arc.ToVertex)) continue;
          const bool take = arc.FromVertex == v ? std::fabs(arc.Weight - 1.0) > kCostTolerance
                                                : std::fabs(arc.Weight) > kCostTolerance;
          if (!take) continue;
          wave.push_back(r);
          for (int end2 : {arc.FromVertex, arc.ToVertex})
            if (!touched[static_cast<std::size_t>(end2)]) {
              touched[static_cast<std::size_t>(end2)] = 1;
              touchedList.push_back(end2);
            }
        }
      for (int v : touchedList) touched[static_cast<std::size_t>(v)] = 0;
      touchedList.clear();
      if (wave.empty()) break;
      examined.clear();
      for (int r : wave) {
        const TGraphArc& arc = Arc(r);
        const int fresh = !labelled[static_cast<std::size_t>(arc.FromVertex)] ? arc.FromVertex : arc.ToVertex;
        if (labelled[static_cast<std::size_t>(fresh)]) continue;
        labelled[static_cast<std::size_t>(fresh)] = 1;
        examined.push_back(fresh);
      }
      for (int r : wave)
        if (Arc(r).ToVertex == end) {
          into = r;
          break;
        }
      waves.push_back(std::move(wave));
    }
    if (into == 0) break;
    // Back along the waves: the candidate that labelled the current vertex.
    std::vector<int> forward{into}, backward;
    int current = Arc(into).FromVertex;
    for (std::size_t w = waves.size() - 1; w-- > 0;) {
      const std::vector<int>& wave = waves[w];
      const auto ending = std::find_if(wave.begin(), wave.end(), [&](int r) { return Arc(r).ToVertex == current; });
      if (ending != wave.end()) {
        forward.push_back(*ending);
        current = Arc(*ending).FromVertex;
        continue;
      }
      const auto starting = std::find_if(wave.begin(), wave.end(), [&](int r) { return Arc(r).FromVertex == current; });
      if (starting == wave.end()) break;
      backward.push_back(*starting);
      current = Arc(*starting).ToVertex;
    }
    double room = kNoPathCost, back = kNoPathCost;
    for (int r : forward) room = std::min(room, std::fabs(Arc(r).Weight - 1.0));
    for (int r : backward) back = std::min(back, std::fabs(Arc(r).Weight));
    for (int r : forward) Arc(r).Weight += room;
    for (int r : backward) Arc(r).Weight -= back;
  }
  double value = 0.0;
  for (TGraphArc& arc : Arcs_) {
    if (arc.Weight > kCostTolerance) arc.Colour = TGraphColour::Red;
    if (arc.ToVertex == end && arc.FromVertex != end) value += arc.Weight;
  }
  return value;
}

// ---- the conversion paths of a category ----------------------------------------------------------

void TShortestPathTable::Clear() {
  Units_ = 0;
  Rows_.clear();
  Arrival_.clear();
  RoundTrip_.clear();
}

void TShortestPathTable::Compute(int unitCount, const std::vector<TUnitPair>& rows) {
  Clear();
  Units_ = std::max(unitCount, 0);
  Rows_ = rows;
  const std::size_t n = static_cast<std::size_t>(Units_);
  // Every arc at both of its ends, in number order.
  std::vector<std::vector<int>> incident(n);
  const int arcCount = static_cast<int>(rows.size()) * 2;
  for (int arc = 1; arc <= arcCount; ++arc) {
    const int from = ArcStartUnit(rows, arc), to = ArcEndUnit(rows, arc);
    if (from < 0 || to < 0 || from >= Units_ || to >= Units_) continue;
    incident[static_cast<std::size_t>(from)].push_back(arc);
    if (to != from) incident[static_cast<std::size_t>(to)].push_back(arc);
  }
  Arrival_.assign(n * n, 0);
  RoundTrip_.assign(n, {0, 0});
  std::vector<int> distance(n, -1), queue;
  queue.reserve(n);
  for (std::size_t s = 0; s < n; ++s) {
    std::fill(distance.begin(), distance.end(), -1);
    queue.clear();
    distance[s] = 0;
    queue.push_back(static_cast<int>(s));
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const int v = queue[head];
      for (int arc : incident[static_cast<std::size_t>(v)]) {
        if (ArcStartUnit(rows, arc) != v) continue;
        const int to = ArcEndUnit(rows, arc);
        if (distance[static_cast<std::size_t>(to)] >= 0) continue;
        distance[static_cast<std::size_t>(to)] = distance[static_cast<std::size_t>(v)] + 1;
        queue.push_back(to);
      }
    }
    // The arc into each unit: from the lowest-numbered unit one step
    // nearer, the lowest-numbered such arc (what the level search meets
    // first).
    std::int32_t* arrival = &Arrival_[s * n];
    for (std::size_t h = 1; h < queue.size(); ++h) {
      const int w = queue[h];
      const int before = distance[static_cast<std::size_t>(w)] - 1;
      int bestStart = INT_MAX, bestArc = 0;
      for (int arc : incident[static_cast<std::size_t>(w)]) {
        if (ArcEndUnit(rows, arc) != w) continue;
        const int u = ArcStartUnit(rows, arc);
        if (distance[static_cast<std::size_t>(u)] != before || u > bestStart) continue;
        if (u < bestStart) {
          bestStart = u;
          bestArc = arc;
        }
      }
      arrival[w] = bestArc;
    }
    // To itself: a loop of one arc, else out to the lowest-numbered
    // neighbour and back.
    int neighbour = INT_MAX, out = 0;
    for (int arc : incident[s]) {
      if (ArcStartUnit(rows, arc) != static_cast<int>(s)) continue;
      const int to = ArcEndUnit(rows, arc);
      if (to == static_cast<int>(s)) {
        RoundTrip_[s] = {arc, 0};
        neighbour = INT_MAX;
        out = 0;
        break;
      }
      if (to < neighbour) {
        neighbour = to;
        out = arc;
      }
    }
    if (out != 0) {
      for (int arc : incident[static_cast<std::size_t>(neighbour)])
        if (ArcStartUnit(rows, arc) == neighbour && ArcEndUnit(rows, arc) == static_cast<int>(s)) {
          RoundTrip_[s] = {out, arc};
          break;
        }
    }
  }
}

bool TShortestPathTable::CollectPath(int from, int to, std::vector<int>& arcs) const {
  arcs.clear();
  if (from < 0 || to < 0 || from >= Units_ || to >= Units_) return false;
  if (from == to) {
    const auto [first, second] = RoundTrip_[static_cast<std::size_t>(from)];
    if (first == 0) return false;
    arcs.push_back(first);
    if (second != 0) arcs.push_back(second);
    return true;
  }
  const std::int32_t* arrival = &Arrival_[static_cast<std::size_t>(from) * static_cast<std::size_t>(Units_)];
  for (int w = to; w != from;) {
    const int arc = arrival[w];
    if (arc == 0 || static_cast<int>(arcs.size()) >= Units_) {
      arcs.clear();
      return false;
    }
    arcs.push_back(arc);
    w = ArcStartUnit(Rows_, arc);
  }
  std::reverse(arcs.begin(), arcs.end());
  return true;
}

std::vector<int> TShortestPathTable::Path(int from, int to) const {
  std::vector<int> arcs;
  CollectPath(from, to, arcs);
  return arcs;
}

}  // namespace helmax
