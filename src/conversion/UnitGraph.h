// The graph of one unit category: its units are the vertices, and every
// conversion definition (row k of the category, joining Unit A and Unit B)
// gives two arcs: arc 2k-1 from Unit A to Unit B (shown as "E" + k) and
// arc 2k back (shown as "F" + k). Every arc weighs 1, so a shortest path is
// a chain of the fewest definitions.
//
// TUnitGraph holds what the graph window draws (vertices, arcs, their
// colours, the groups of arcs that join the same two units) and computes
// its views: the shortest paths between two units, a minimal spanning tree
// and a maximal flow. TShortestPathTable holds the conversion paths of a
// whole category, from every unit to every unit, as the conversions use
// them. Vertices are numbered from 1 (unit position + 1), arcs from 1.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace helmax {

// Cost of an unreachable vertex.
constexpr double kNoPathCost = 1.7e308;
// Two costs or flows are equal when they differ by at most this much.
constexpr double kCostTolerance = 1e-13;

enum class TGraphColour : std::uint8_t {
  Green,   // normal
  Red,     // highlighted: in a path, a tree or a flow
  Yellow,  // the vertex being dragged
  Black,   // not drawn and not used (excluded from a flow)
};

// One conversion definition as the graph sees it: its two units (0-based
// positions in the category's unit list).
struct TUnitPair {
  int UnitA = 0;
  int UnitB = 0;
};

struct TGraphVertex {
  int X = 0, Y = 0;
  int Number = 0;
  TGraphColour Colour = TGraphColour::Green;
  std::vector<int> Arcs;  // every arc that starts or ends here, in number order
};

struct TGraphArc {
  int Number = 0;
  int FromVertex = 0, ToVertex = 0;
  int FromX = 0, FromY = 0, ToX = 0, ToY = 0;  // the ends' positions
  TGraphColour Colour = TGraphColour::Green;
  double Weight = 1.0;  // the maximal flow keeps an arc's flow here
};

// An arc reached by a search and its cumulative cost from the begin vertex.
struct TLevelItem {
  int Arc = 0;
  double Cost = 0.0;
};
using TLevelRow = std::vector<TLevelItem>;
// A listed shortest path, from the arc that reaches the end vertex
// (position 0) back to the arc that leaves the begin vertex.
using TListedPath = std::vector<TLevelItem>;

// The arc number's ends in a category's rows: arc 2k-1 goes from Unit A to
// Unit B of row k, arc 2k back. 0-based unit positions.
inline int ArcStartUnit(const std::vector<TUnitPair>& rows, int arc) {
  const TUnitPair& r = rows[static_cast<std::size_t>((arc - 1) / 2)];
  return arc % 2 == 1 ? r.UnitA : r.UnitB;
}
inline int ArcEndUnit(const std::vector<TUnitPair>& rows, int arc) {
  const TUnitPair& r = rows[static_cast<std::size_t>((arc - 1) / 2)];
  return arc % 2 == 1 ? r.UnitB : r.UnitA;
}

class TUnitGraph {
 public:
  struct TPlace {
    int X = 20, Y = 20;
  };

  // One vertex per place (unit order), two arcs per row; every colour
  // green, every weight 1. Rows whose units lie outside the places are
  // left out of the vertices' lists (they cannot come from a table).
  void Build(const std::vector<TPlace>& places, const std::vector<TUnitPair>& rows);

  // Places the vertices on rings around the centre of a canvas: vertex 1 in
  // the middle, 6 on a ring of radius 50, 12 on one of radius 100, ring g
  // holding 6g vertices at radius 50g, each ring starting at angle 0.
  void LayOutOnRings(int width, int height);
  // Moves a vertex (dragging) and the ends of its arcs.
  void MoveVertex(int number, int x, int y);

  int VertexCount() const { return static_cast<int>(Vertices_.size()); }
  int ArcCount() const { return static_cast<int>(Arcs_.size()); }
  const std::vector<TGraphVertex>& Vertices() const { return Vertices_; }
  const std::vector<TGraphArc>& Arcs() const { return Arcs_; }
  TGraphVertex& Vertex(int number) { return Vertices_.at(static_cast<std::size_t>(number - 1)); }
  TGraphArc& Arc(int number) { return Arcs_.at(static_cast<std::size_t>(number - 1)); }
  const TGraphArc& Arc(int number) const { return Arcs_.at(static_cast<std::size_t>(number - 1)); }
  // Groups of arcs that join the same two vertices (either direction), in
  // the order of their lowest arc; each group in arc order.
  const std::vector<std::vector<int>>& ArcGroups() const { return ArcGroups_; }
  // Every colour green, every weight 1, the search tables empty.
  void Reset();

  // The level search from begin to end: level n lists (arc, cost) for the
  // arcs that leave the vertices reached by walks of n steps, and the search
  // ends after the first level that reaches end. The best cost of a path
  // (kNoPathCost when end cannot be reached).
  double LevelSearch(int begin, int end);

  // One shortest path, in travel order; empty when end cannot be reached.
  // Ties go to the arc met first in the level search: the path through the
  // lowest-numbered vertices and rows. From a vertex to itself it is the
  // trip out to its lowest-numbered neighbour and back.
  std::vector<int> ShortestPath(int begin, int end);

  // The shortest paths view: path 1 as ShortestPath finds it, then the
  // paths made from it by exchanging one arc for another of the same level
  // (completed by first matches), then joins of two listed paths. Not
  // necessarily every shortest path, and at most kMaxListedPaths (equally
  // short paths can be exponentially many). Colours path 1 and both
  // vertices red.
  static constexpr std::size_t kMaxListedPaths = 256;
  std::vector<TListedPath> ShortestPaths(int begin, int end);

  // Grows a spanning tree from vertex 1 on the arc weights, the cheapest
  // arc between the tree and a vertex outside it at each step (the first
  // found on ties: a definition's "E" arc); a vertex that no arc reaches
  // starts the next tree. Colours the chosen arcs red and returns them in
  // the order chosen.
  std::vector<int> MinimalSpanningTree();

  // A maximal flow from begin to end with every arc's capacity 1, by
  // augmenting paths found with waves of labels. Arcs into begin and out of
  // end turn black; begin, end and every arc that carries flow turn red;
  // each arc's flow is left in its weight. The flow's value. From a vertex
  // to itself there is no flow: 0, and the graph stays as it is.
  double MaximalFlow(int begin, int end);

 private:
  bool ValidVertex(int number) const { return number >= 1 && number <= VertexCount(); }
  // The first level arc (level order, then item order) that ends at vertex
  // with a cost equal to cost; its level and item, or {-1, -1}.
  std::pair<int, int> FirstLevelArcInto(int vertex, double cost) const;
  // The walk back from the arc at Levels_[level][item] to the begin vertex,
  // taking the cheapest (first) arc of each lower level into the current
  // arc's start; positions from the end vertex back, or empty.
  TListedPath WalkBack(int level, int item, int end) const;

  std::vector<TGraphVertex> Vertices_;
  std::vector<TGraphArc> Arcs_;
  std::vector<std::vector<int>> ArcGroups_;
  std::vector<TLevelRow> Levels_;
  double Best_ = kNoPathCost;
};

// The conversion paths of one category: for every ordered pair of units
// the arcs of the path that ShortestPath finds, kept compactly (for each
// start unit, the arc by which every other unit is reached). Computing
// them takes one breadth-first search per unit.
class TShortestPathTable {
 public:
  void Compute(int unitCount, const std::vector<TUnitPair>& rows);
  void Clear();
  int UnitCount() const { return Units_; }

  // The path's arcs in travel order (0-based units); empty when there is
  // none. From a unit to itself: the trip out and back.
  std::vector<int> Path(int from, int to) const;

  // Collects the path from `from` to a different unit `to`, in travel
  // order, into arcs (cleared first); false when there is none.
  bool CollectPath(int from, int to, std::vector<int>& arcs) const;

 private:
  int Units_ = 0;
  std::vector<TUnitPair> Rows_;
  // [from * Units_ + to]: the arc that reaches `to` on the path from
  // `from`; 0 where there is none.
  std::vector<std::int32_t> Arrival_;
  // Per unit: the round trip's arcs (the second 0 for a loop of one arc).
  std::vector<std::pair<std::int32_t, std::int32_t>> RoundTrip_;
};

}  // namespace helmax
