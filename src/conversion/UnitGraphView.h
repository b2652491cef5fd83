// The graph window's state without the window: the category shown, its
// graph, the view (plain graph, minimal tree, shortest paths between two
// units, maximal flow between them), the listed shortest paths and the one
// shown, and the vertex being dragged. The window forwards its menus and
// mouse to it and paints its Picture().
#pragma once

#include <string>
#include <vector>

#include "GraphPicture.h"
#include "UnitGraph.h"

namespace helmax {

// What the graph takes of a category of the table: a copy, so that drawing
// never reads the table while it changes.
struct TGraphCategory {
  int Position = 0;  // 1 for the first category of the table
  std::string Name;
  std::vector<std::string> Units;          // in the category's order
  std::vector<TUnitGraph::TPlace> Places;  // the units' positions
  std::vector<TUnitPair> Rows;             // the definitions' units
};

enum class TGraphView { Graph = 0, MinimalTree = 1, ShortestPaths = 2, MaximalFlow = 3 };

class TUnitGraphView {
 public:
  // The largest category drawn.
  static constexpr int kMaxVertices = 400;
  static constexpr int kMaxArcs = 800;
  static constexpr const char* kNoCategoryCaption = "Category = NIL";
  static constexpr const char* kDesignCaption = "Imaginea Grafului";

  // Shows a category (null: none, an empty graph). False, with refusal
  // set, when there is none or it is too large to draw; then the graph is
  // empty. The vertices take the units' positions again and the view
  // returns to the plain graph at the next Refresh.
  bool ShowCategory(const TGraphCategory* category, std::string& refusal);
  const std::string& Caption() const { return Caption_; }
  const TGraphCategory& Category() const { return Category_; }

  // Builds the graph again and computes the view on a canvas of the size
  // given (the ring layout centres on it). The window repaints after it;
  // the positions then stay as they are until taken again.
  void Refresh(int width, int height);
  TGraphView View() const { return View_; }
  void SetView(TGraphView view) { View_ = view; }
  static constexpr const char* kSameEndsMessage = "Begin vertex and End vertex must be different";
  // The units between which paths and flows are computed (vertex numbers).
  void SetEnds(int begin, int end);
  // The ends chosen for the current view: a maximal flow needs two
  // different units (false, refusal set, and the ends stay); shortest paths
  // from a unit to itself are its trips out and back.
  bool AcceptEnds(int begin, int end, std::string& refusal);
  int Begin() const { return Begin_; }
  int End() const { return End_; }
  // Options > Refresh: the next Refresh lays the vertices out on rings.
  void LayOutOnRings();

  // The listed shortest paths and the one shown (1 for the first).
  int PathCount() const { return static_cast<int>(Paths_.size()); }
  int CurrentPath() const { return CurrentPath_; }
  const std::vector<TListedPath>& Paths() const { return Paths_; }
  bool PathItemEnabled() const { return View_ == TGraphView::ShortestPaths && !Paths_.empty(); }
  // "&Path", or "Path 2 : 3" while the shortest paths are shown.
  std::string PathItemCaption() const;
  // Shows path number (1 ..), the former one green again. False, with
  // refusal "THE NUMBER MUST BE BETWEEN 1 AND " + count, when out of range.
  bool ChoosePath(int number, std::string& refusal);
  // Options > Path remembers the path shown before the choice.
  void RememberPath() { PreviousPath_ = CurrentPath_; }

  // Mouse. A press near a vertex starts dragging it (true); elsewhere it
  // may hit an arc's label, whose description goes to status.
  bool Press(int x, int y, std::string& status);
  void DragTo(int x, int y);
  // The drag ends; true when the vertex's position is to be kept (released
  // inside the canvas): then vertex and its position are set.
  bool Release(bool inside, int& vertex, int& x, int& y);
  int DraggedVertex() const { return Dragged_; }

  // The window closes: the listed paths go, the plain graph comes back.
  void Close();

  TGraphPicture Picture() const { return DrawGraph(Graph_, Category_.Units, Dragged_); }
  const TUnitGraph& Graph() const { return Graph_; }

 private:
  void ColourPath(int number, TGraphColour colour);

  TGraphCategory Category_;
  std::string Caption_ = kDesignCaption;
  TUnitGraph Graph_;
  TGraphView View_ = TGraphView::Graph;
  int Begin_ = 0, End_ = 0;
  bool RebuildVertices_ = true;
  bool AutoLayout_ = false;
  std::vector<TListedPath> Paths_;
  int CurrentPath_ = 1, PreviousPath_ = 1;
  int Dragged_ = 0;
};

}  // namespace helmax
