#include "GraphPicture.h"

#include <cmath>
#include <numbers>

#include "TextUtil.h"

namespace helmax {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kGap = 10;  // between a vertex and the ends of its arcs
constexpr int kArrowLength = 10;

// The nearest integer of an offset, before it is added to a position.
int Round(double v) { return static_cast<int>(std::lround(v)); }

TGraphPoint Offset(TGraphPoint p, double length, double angle) {
  return {p.X + Round(length * std::cos(angle)), p.Y + Round(length * std::sin(angle))};
}

void Arrowhead(TGraphPoint p, double angle, TGraphColour colour, std::vector<TGraphStroke>& strokes) {
  const TGraphPoint back = Offset(p, -kArrowLength, angle);
  for (const double side : {kPi / 6, -kPi / 6}) {
    const TGraphPoint barb = Offset(back, kArrowLength, angle + kPi + side);
    strokes.push_back({p, barb, colour});
  }
}

// Where one arc of a group bends, and its label's hit box, follow the same
// walk through the group; Visit gets each arc with its ends and geometry.
struct TArcShape {
  int Arc = 0;
  bool Single = true;
  TGraphPoint Start, End;  // S + 10·dir(θ), S + (d - 10)·dir(θ)
  TGraphPoint Middle;      // the chord's middle (single) or the bend point K
  double Angle = 0.0;      // θ
};

template <typename Visit>
void WalkGroups(const TUnitGraph& graph, const std::vector<std::vector<int>>& groups, Visit visit) {
  for (const std::vector<int>& group : groups) {
    int g = 1, previousSign = 1, index = 0;
    for (const int number : group) {
      const TGraphArc& arc = graph.Arc(number);
      const TGraphPoint s{arc.FromX, arc.FromY};
      const double dx = arc.ToX - arc.FromX, dy = arc.ToY - arc.FromY;
      const double theta = std::atan2(dy, dx), d = std::hypot(dx, dy);
      TArcShape shape;
      shape.Arc = number;
      shape.Single = group.size() == 1;
      shape.Start = Offset(s, kGap, theta);
      shape.End = Offset(s, d - kGap, theta);
      shape.Angle = theta;
      if (shape.Single) {
        shape.Middle = Offset(s, d / 2, theta);
      } else {
        const int sign = theta <= 0 ? -1 : 1;
        if (sign == previousSign) g = -g;
        previousSign = sign;
        const int h = 10 + 20 * (index / 2);
        shape.Middle = Offset(Offset(s, d / 2, theta), h, theta + g * kPi / 2);
      }
      ++index;
      visit(arc, shape);
    }
  }
}

}  // namespace

std::string ArcName(int arc) {
  std::string name(1, arc % 2 == 1 ? 'E' : 'F');
  return name.append(std::to_string((arc + 1) / 2));
}

std::string VertexLabelText(int number, const std::string& unitName) {
  std::string text(1, ' ');
  text.append(std::to_string(number)).append(". ").append(ToUpperAscii(unitName));
  return text.append(" ");
}

void DrawArcGroups(const TUnitGraph& graph, const std::vector<std::vector<int>>& groups, TGraphPicture& picture) {
  WalkGroups(graph, groups, [&](const TGraphArc& arc, const TArcShape& shape) {
    if (arc.Colour == TGraphColour::Black) return;
    const TGraphColour colour = arc.Colour;
    if (shape.Single) {
      picture.Strokes.push_back({shape.Start, shape.End, colour});
      const double d = std::hypot(arc.ToX - arc.FromX, arc.ToY - arc.FromY);
      Arrowhead(Offset({arc.FromX, arc.FromY}, 3 * d / 4, shape.Angle), shape.Angle, colour, picture.Strokes);
    } else {
      picture.Strokes.push_back({shape.Start, shape.Middle, colour});
      picture.Strokes.push_back({shape.Middle, shape.End, colour});
      const double angle = std::atan2(shape.End.Y - shape.Middle.Y, shape.End.X - shape.Middle.X);
      const TGraphPoint half{(shape.Middle.X + shape.End.X) / 2, (shape.Middle.Y + shape.End.Y) / 2};
      Arrowhead(half, angle, colour, picture.Strokes);
    }
    picture.ArcLabels.push_back({ArcName(arc.Number), {shape.Middle.X - 10, shape.Middle.Y - 5}, colour});
  });
}

TGraphPicture DrawGraph(const TUnitGraph& graph, const std::vector<std::string>& unitNames, int draggedVertex) {
  TGraphPicture picture;
  picture.Strokes.reserve(static_cast<std::size_t>(graph.ArcCount()) * 4);
  DrawArcGroups(graph, graph.ArcGroups(), picture);
  picture.VertexLabels.reserve(graph.Vertices().size());
  for (const TGraphVertex& v : graph.Vertices()) {
    const std::size_t i = static_cast<std::size_t>(v.Number - 1);
    const std::string& name = i < unitNames.size() ? unitNames[i] : std::string();
    const TGraphColour colour = v.Number == draggedVertex ? TGraphColour::Yellow : v.Colour;
    picture.VertexLabels.push_back({VertexLabelText(v.Number, name), {v.X - 8, v.Y - 6}, colour});
  }
  return picture;
}

int VertexAt(const TUnitGraph& graph, int x, int y) {
  for (const TGraphVertex& v : graph.Vertices())
    if (std::abs(x - v.X) <= 10 && std::abs(y - v.Y) <= 10) return v.Number;
  return 0;
}

int ArcLabelAt(const TUnitGraph& graph, int x, int y) {
  int hit = 0;
  WalkGroups(graph, graph.ArcGroups(), [&](const TGraphArc& arc, const TArcShape& shape) {
    if (hit != 0 || arc.Colour == TGraphColour::Black) return;
    const TGraphPoint m = shape.Middle;
    // The box around the label: wider to the left, where the text starts.
    const bool inside = shape.Single ? x >= m.X - 10 && x <= m.X + 6 && y >= m.Y - 8 && y <= m.Y + 8
                                     : x >= m.X - 10 && x <= m.X + 4 && y >= m.Y - 7 && y <= m.Y + 9;
    if (inside) hit = arc.Number;
  });
  return hit;
}

}  // namespace helmax
