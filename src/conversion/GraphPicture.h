// What the graph window paints, decided without any window: the strokes of
// every arc (lines and arrowheads) and the labels of arcs and vertices,
// with their colours and positions, and what a click at a point hits.
//
// Geometry, in canvas pixels (y grows downwards), dir(φ) = (cos φ, sin φ):
// - an arc alone between its two vertices is a straight line from 10 pixels
//   after its start S to 10 pixels before its end T, its arrowhead at 3/4 of
//   the way, its label ("E" + k or "F" + k) at the middle moved by (-10, -5);
// - arcs that share their two vertices bow out: each is two lines through
//   a bend point K at the middle of the chord, pushed sideways by 10, 30,
//   50 ... pixels (two arcs per distance), the two directions of one
//   definition to opposite sides; the arrowhead at the middle of the second
//   line, the label at K moved by (-10, -5);
// - an arrowhead at P in direction φ is two strokes from P to
//   P - 10·dir(φ) + 10·dir(φ + π ± π/6);
// - a vertex label " 3. METERS " has its top-left corner at (X - 8, Y - 6),
//   black text on the vertex colour.
// Black arcs are neither drawn nor hit.
#pragma once

#include <string>
#include <vector>

#include "UnitGraph.h"

namespace helmax {

struct TGraphPoint {
  int X = 0, Y = 0;
  friend bool operator==(const TGraphPoint&, const TGraphPoint&) = default;
};

struct TGraphStroke {
  TGraphPoint From, To;
  TGraphColour Colour = TGraphColour::Green;
};

struct TGraphLabel {
  std::string Text;
  TGraphPoint At;  // the text's top-left corner (vertex) or its anchor (arc)
  TGraphColour Colour = TGraphColour::Green;
};

struct TGraphPicture {
  std::vector<TGraphStroke> Strokes;      // arcs and arrowheads, group by group
  std::vector<TGraphLabel> ArcLabels;     // text in the arc's colour
  std::vector<TGraphLabel> VertexLabels;  // black text on the label's colour, in number order
};

// "E" + k for arc 2k-1, "F" + k for arc 2k.
std::string ArcName(int arc);
// " " + number + ". " + the name in upper case + " ".
std::string VertexLabelText(int number, const std::string& unitName);

// The picture of the graph; unitNames[i] names vertex i + 1. The vertex
// being dragged (0: none) is labelled yellow.
TGraphPicture DrawGraph(const TUnitGraph& graph, const std::vector<std::string>& unitNames, int draggedVertex = 0);
// Adds the strokes and labels of the groups to picture.
void DrawArcGroups(const TUnitGraph& graph, const std::vector<std::vector<int>>& groups, TGraphPicture& picture);

// The first vertex, in number order, within 10 pixels of (x, y) in both
// directions; 0 when none.
int VertexAt(const TUnitGraph& graph, int x, int y);
// The arc whose label a click at (x, y) hits (black arcs excepted); 0 when
// none.
int ArcLabelAt(const TUnitGraph& graph, int x, int y);

}  // namespace helmax
