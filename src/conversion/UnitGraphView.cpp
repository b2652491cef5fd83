#include "UnitGraphView.h"
#include "FixedTexts.h"

namespace helmax {

bool TUnitGraphView::ShowCategory(const TGraphCategory* category, std::string& refusal) {
  refusal.clear();
  Category_ = TGraphCategory{};
  Paths_.clear();
  Dragged_ = 0;
  RebuildVertices_ = true;
  if (category == nullptr) {
    Caption_ = kNoCategoryCaption;
    Graph_.Build({}, {});
    return false;
  }
  if (static_cast<int>(category->Units.size()) > kMaxVertices) {
    refusal = texts::kVertexCountMustBePrefix + std::to_string(kMaxVertices);
  } else if (static_cast<long>(category->Rows.size()) * 2 > kMaxArcs) {
    refusal = texts::kArcCountMustBePrefix + std::to_string(kMaxArcs);
  }
  if (!refusal.empty()) {
    Caption_ = kNoCategoryCaption;
    Graph_.Build({}, {});
    return false;
  }
  Category_ = *category;
  Caption_ = "Category = " + std::to_string(Category_.Position) + ". " + Category_.Name;
  return true;
}

void TUnitGraphView::SetEnds(int begin, int end) {
  Begin_ = begin;
  End_ = end;
}

bool TUnitGraphView::AcceptEnds(int begin, int end, std::string& refusal) {
  if (View_ == TGraphView::MaximalFlow && begin == end) {
    refusal = kSameEndsMessage;
    return false;
  }
  SetEnds(begin, end);
  return true;
}

void TUnitGraphView::LayOutOnRings() {
  RebuildVertices_ = true;
  AutoLayout_ = true;
}

void TUnitGraphView::Refresh(int width, int height) {
  Paths_.clear();
  Dragged_ = 0;
  std::vector<TUnitGraph::TPlace> places;
  if (RebuildVertices_) {
    View_ = TGraphView::Graph;
    places = Category_.Places;
  } else {
    for (const TGraphVertex& v : Graph_.Vertices()) places.push_back({v.X, v.Y});
  }
  if (places.size() != Category_.Units.size()) places = Category_.Places;
  Graph_.Build(places, Category_.Rows);
  if (RebuildVertices_ && AutoLayout_) Graph_.LayOutOnRings(width, height);
  AutoLayout_ = false;
  RebuildVertices_ = false;
  const bool ends = Begin_ >= 1 && End_ >= 1 && Begin_ <= Graph_.VertexCount() && End_ <= Graph_.VertexCount();
  switch (View_) {
    case TGraphView::Graph: break;
    case TGraphView::MinimalTree: Graph_.MinimalSpanningTree(); break;
    case TGraphView::ShortestPaths:
      if (ends) Paths_ = Graph_.ShortestPaths(Begin_, End_);
      CurrentPath_ = PreviousPath_ = 1;
      break;
    case TGraphView::MaximalFlow:
      if (ends) Graph_.MaximalFlow(Begin_, End_);
      break;
  }
}

std::string TUnitGraphView::PathItemCaption() const {
  if (!PathItemEnabled()) return "&Path";
  return "Path " + std::to_string(CurrentPath_) + " : " + std::to_string(PathCount());
}

void TUnitGraphView::ColourPath(int number, TGraphColour colour) {
  if (number < 1 || number > PathCount()) return;
  for (const TLevelItem& item : Paths_[static_cast<std::size_t>(number - 1)]) Graph_.Arc(item.Arc).Colour = colour;
}

bool TUnitGraphView::ChoosePath(int number, std::string& refusal) {
  if (number < 1 || number > PathCount()) {
    refusal = texts::kTheNumberMustBeBetween1AndPrefix + std::to_string(PathCount());
    return false;
  }
  refusal.clear();
  CurrentPath_ = number;
  if (CurrentPath_ != PreviousPath_) {
    ColourPath(PreviousPath_, TGraphColour::Green);
    ColourPath(CurrentPath_, TGraphColour::Red);
  }
  PreviousPath_ = CurrentPath_;
  return true;
}

bool TUnitGraphView::Press(int x, int y, std::string& status) {
  Dragged_ = VertexAt(Graph_, x, y);
  if (Dragged_ != 0) return true;
  const int arc = ArcLabelAt(Graph_, x, y);
  if (arc != 0) {
    const TGraphArc& a = Graph_.Arc(arc);
    auto name = [this](int vertex) {
      const std::size_t i = static_cast<std::size_t>(vertex - 1);
      return i < Category_.Units.size() ? Category_.Units[i] : std::string();
    };
    status = ArcName(arc) + " : " + name(a.FromVertex) + " ---> " + name(a.ToVertex);
  }
  return false;
}

void TUnitGraphView::DragTo(int x, int y) {
  if (Dragged_ != 0) Graph_.MoveVertex(Dragged_, x, y);
}

bool TUnitGraphView::Release(bool inside, int& vertex, int& x, int& y) {
  vertex = Dragged_;
  Dragged_ = 0;
  if (vertex == 0 || !inside) return false;
  const TGraphVertex& v = Graph_.Vertex(vertex);
  x = v.X;
  y = v.Y;
  // The copy of the category keeps the new place for the next rebuild.
  Category_.Places[static_cast<std::size_t>(vertex - 1)] = {x, y};
  return true;
}

void TUnitGraphView::Close() {
  if (View_ == TGraphView::ShortestPaths) Paths_.clear();
  RebuildVertices_ = false;
  View_ = TGraphView::Graph;
  Dragged_ = 0;
}

}  // namespace helmax
