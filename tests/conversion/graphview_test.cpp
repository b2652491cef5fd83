// What the graph window shows, without the window: the geometry of arcs and
// labels, clicks on vertices and labels, and the four views on the
// built-in Temperature and Length categories.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "ConversionTable.h"
#include "GraphPicture.h"
#include "UnitGraphView.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;

std::set<int> RedArcs(const TUnitGraph& g) {
  std::set<int> red;
  for (const TGraphArc& a : g.Arcs())
    if (a.Colour == TGraphColour::Red) red.insert(a.Number);
  return red;
}

TEST(GraphPicture, NamesAndLabels) {
  EXPECT_EQ(ArcName(1), "E1");
  EXPECT_EQ(ArcName(2), "F1");
  EXPECT_EQ(ArcName(23), "E12");
  EXPECT_EQ(ArcName(46), "F23");
  EXPECT_EQ(VertexLabelText(3, "pi radians"), " 3. PI RADIANS ");
}

// One definition between (100, 100) and (200, 100): its two arcs bow 10
// pixels to either side of the chord, worked out by hand from the rules.
TEST(GraphPicture, TheTwoArcsOfADefinitionBowApart) {
  TUnitGraph g;
  g.Build({{100, 100}, {200, 100}}, {{0, 1}});
  const TGraphPicture p = DrawGraph(g, {"a", "b"});
  ASSERT_EQ(p.Strokes.size(), 8u);  // per arc: two lines and two arrowhead strokes
  auto stroke = [](int x1, int y1, int x2, int y2) { return std::pair{TGraphPoint{x1, y1}, TGraphPoint{x2, y2}}; };
  auto at = [&](std::size_t i) { return std::pair{p.Strokes[i].From, p.Strokes[i].To}; };
  // E1: θ = 0, bend point K = (150, 110).
  EXPECT_EQ(at(0), stroke(110, 100, 150, 110));
  EXPECT_EQ(at(1), stroke(150, 110, 190, 100));
  // Its arrowhead at the middle of the second line, (170, 105).
  EXPECT_EQ(at(2), stroke(170, 105, 150, 104));
  EXPECT_EQ(at(3), stroke(170, 105, 153, 114));
  // F1: θ = π, K = (150, 90).
  EXPECT_EQ(at(4), stroke(190, 100, 150, 90));
  EXPECT_EQ(at(5), stroke(150, 90, 110, 100));
  ASSERT_EQ(p.ArcLabels.size(), 2u);
  EXPECT_EQ(p.ArcLabels[0].Text, "E1");
  EXPECT_EQ(p.ArcLabels[0].At, (TGraphPoint{140, 105}));
  EXPECT_EQ(p.ArcLabels[1].Text, "F1");
  EXPECT_EQ(p.ArcLabels[1].At, (TGraphPoint{140, 85}));
  ASSERT_EQ(p.VertexLabels.size(), 2u);
  EXPECT_EQ(p.VertexLabels[1].Text, " 2. B ");
  EXPECT_EQ(p.VertexLabels[1].At, (TGraphPoint{192, 94}));
  EXPECT_EQ(p.VertexLabels[1].Colour, TGraphColour::Green);
  EXPECT_EQ(DrawGraph(g, {"a", "b"}, 2).VertexLabels[1].Colour, TGraphColour::Yellow);
  // The hit boxes: 10 left and 4 right, 7 up and 9 down of K.
  EXPECT_EQ(ArcLabelAt(g, 150, 110), 1);
  EXPECT_EQ(ArcLabelAt(g, 140, 103), 1);
  EXPECT_EQ(ArcLabelAt(g, 154, 119), 1);
  EXPECT_EQ(ArcLabelAt(g, 139, 110), 0);
  EXPECT_EQ(ArcLabelAt(g, 155, 110), 0);
  EXPECT_EQ(ArcLabelAt(g, 150, 90), 2);
  EXPECT_EQ(ArcLabelAt(g, 150, 100), 0);  // between the two boxes
}

TEST(GraphPicture, VerticesAreHitWithinTenPixels) {
  TUnitGraph g;
  g.Build({{100, 100}, {105, 100}, {300, 300}}, {});
  EXPECT_EQ(VertexAt(g, 110, 90), 1);  // the first in number order
  EXPECT_EQ(VertexAt(g, 114, 100), 2);
  EXPECT_EQ(VertexAt(g, 116, 100), 0);
  EXPECT_EQ(VertexAt(g, 300, 311), 0);
}

// ---- the views on the built-in table ---------------------------------------------------------

struct GraphView : ::testing::Test {
  TMessageRecorder Ui;
  TConversionTable Table{Ui};
  TUnitGraphView View;
  void SetUp() override { Table.UseDefaultTable(); }
  void Show(const std::string& category, TGraphView view = TGraphView::Graph, int begin = 0, int end = 0) {
    const TGraphCategory c = Table.GraphCategory(Table.FindCategory(category));
    std::string refusal;
    ASSERT_TRUE(View.ShowCategory(&c, refusal)) << refusal;
    View.Refresh(800, 600);
    View.SetView(view);
    View.SetEnds(begin, end);
    View.Refresh(800, 600);
  }
  int Unit(const std::string& category, const std::string& name) {
    return TConversionTable::FindUnit(Table.Category(Table.FindCategory(category)), name) + 1;
  }
};

TEST_F(GraphView, PlainGraphOfTemperature) {
  Show("Temperature");
  EXPECT_EQ(View.Caption(), "Category = 9. Temperature");
  const TGraphPicture p = View.Picture();
  Strings labels;
  for (const TGraphLabel& l : p.VertexLabels) labels.push_back(l.Text);
  EXPECT_EQ(labels, (Strings{" 1. CELCIUS ", " 2. FAHRENHEIT ", " 3. KELVIN ", " 4. RANKINE "}));
  EXPECT_EQ(p.VertexLabels[0].At, (TGraphPoint{409 - 8, 244 - 6}));  // the file's positions
  EXPECT_EQ(p.ArcLabels.size(), 6u);
  EXPECT_TRUE(RedArcs(View.Graph()).empty());
  EXPECT_EQ(View.PathItemCaption(), "&Path");
  EXPECT_FALSE(View.PathItemEnabled());
}

TEST_F(GraphView, MinimalTreeOfTemperatureTakesTheEArcs) {
  Show("Temperature", TGraphView::MinimalTree);
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{1, 3, 5}));
}

TEST_F(GraphView, ShortestPathFromFahrenheitToKelvin) {
  Show("Temperature", TGraphView::ShortestPaths, Unit("Temperature", "Fahrenheit"), Unit("Temperature", "Kelvin"));
  ASSERT_EQ(View.PathCount(), 1);
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{2, 3}));  // F1, then E2
  EXPECT_TRUE(View.PathItemEnabled());
  EXPECT_EQ(View.PathItemCaption(), "Path 1 : 1");
  EXPECT_EQ(View.Graph().Vertices()[1].Colour, TGraphColour::Red);
  EXPECT_EQ(View.Graph().Vertices()[2].Colour, TGraphColour::Red);
  EXPECT_EQ(View.Graph().Vertices()[0].Colour, TGraphColour::Green);
}

TEST_F(GraphView, ShortestPathFromInchesToMeters) {
  Show("Length", TGraphView::ShortestPaths, Unit("Length", "inches"), Unit("Length", "meters"));
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{21, 12, 10}));  // E11, F6, F5
}

TEST_F(GraphView, MaximalFlowAlongASingleDefinition) {
  Show("Temperature", TGraphView::MaximalFlow, Unit("Temperature", "Celcius"), Unit("Temperature", "Fahrenheit"));
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{1}));
  // Arcs into the begin vertex and out of the end vertex are excluded:
  // neither drawn nor hit.
  const TGraphPicture p = View.Picture();
  Strings arcs;
  for (const TGraphLabel& l : p.ArcLabels) arcs.push_back(l.Text);
  EXPECT_EQ(arcs, (Strings{"E1", "E2", "F3"}));
}

// A flow needs two different units: begin = end is refused and the ends
// stay; the graph keeps every arc. Shortest paths take a unit to itself.
TEST_F(GraphView, MaximalFlowRefusesOneUnitAsBothEnds) {
  const int celcius = Unit("Temperature", "Celcius"), kelvin = Unit("Temperature", "Kelvin");
  Show("Temperature", TGraphView::MaximalFlow, celcius, kelvin);
  std::string refusal;
  EXPECT_FALSE(View.AcceptEnds(kelvin, kelvin, refusal));
  EXPECT_EQ(refusal, "Begin vertex and End vertex must be different");
  EXPECT_EQ(View.End(), kelvin);
  EXPECT_EQ(View.Begin(), celcius);
  // The core computes no flow from a vertex to itself and hides no arc.
  View.SetEnds(kelvin, kelvin);
  View.Refresh(800, 600);
  EXPECT_EQ(View.Picture().ArcLabels.size(), 6u);
  EXPECT_TRUE(RedArcs(View.Graph()).empty());
  View.SetView(TGraphView::ShortestPaths);
  EXPECT_TRUE(View.AcceptEnds(kelvin, kelvin, refusal));
  View.Refresh(800, 600);
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{3, 4}));  // out to Celcius and back
}

TEST_F(GraphView, BrowsingTheListedShortestPaths) {
  // The rows join S to A1 and A2, both to B1 and B2, and those to T.
  ASSERT_TRUE(
      Table.ReadText("[Paths]\r\n1=S : A1 : x : x\r\n2=S : A2 : x : x\r\n3=A1 : B1 : x : x\r\n4=A1 : B2 : x : x\r\n"
                     "5=A2 : B1 : x : x\r\n6=A2 : B2 : x : x\r\n7=B1 : T : x : x\r\n8=B2 : T : x : x\r\n"));
  Show("Paths", TGraphView::ShortestPaths, Unit("Paths", "S"), Unit("Paths", "T"));
  ASSERT_EQ(View.PathCount(), 3);
  EXPECT_EQ(View.PathItemCaption(), "Path 1 : 3");
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{1, 5, 13}));  // through A1 and B1
  std::string refusal;
  View.RememberPath();
  ASSERT_TRUE(View.ChoosePath(2, refusal));
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{1, 7, 15}));  // through A1 and B2
  EXPECT_EQ(View.PathItemCaption(), "Path 2 : 3");
  ASSERT_TRUE(View.ChoosePath(3, refusal));
  EXPECT_EQ(RedArcs(View.Graph()), (std::set<int>{3, 9, 13}));  // through A2 and B1
  for (int wrong : {0, 4, -1}) {
    EXPECT_FALSE(View.ChoosePath(wrong, refusal));
    EXPECT_EQ(refusal, "THE NUMBER MUST BE BETWEEN 1 AND 3");
    EXPECT_EQ(View.CurrentPath(), 3);
  }
}

TEST_F(GraphView, DraggingAVertexAndClickingALabel) {
  Show("Temperature");
  std::string status;
  // Kelvin at (404, 66): a press within 10 pixels takes it.
  EXPECT_FALSE(View.Press(415, 66, status));
  ASSERT_TRUE(View.Press(414, 56, status));
  EXPECT_EQ(View.DraggedVertex(), 3);
  EXPECT_EQ(View.Picture().VertexLabels[2].Colour, TGraphColour::Yellow);
  View.DragTo(500, 120);
  int vertex = 0, x = 0, y = 0;
  ASSERT_TRUE(View.Release(true, vertex, x, y));
  EXPECT_EQ(std::tuple(vertex, x, y), std::tuple(3, 500, 120));
  EXPECT_EQ(View.DraggedVertex(), 0);
  // The arcs follow the vertex.
  EXPECT_EQ(View.Graph().Arcs()[2].ToX, 500);  // E2 ends at Kelvin
  // Released outside the canvas: nothing to keep.
  ASSERT_TRUE(View.Press(500, 120, status));
  View.DragTo(900, 900);
  EXPECT_FALSE(View.Release(false, vertex, x, y));
  // A label names its arc and units: F1 goes from Fahrenheit to Celcius.
  for (const TGraphLabel& l : View.Picture().ArcLabels)
    if (l.Text == "F1") {
      status.clear();
      EXPECT_FALSE(View.Press(l.At.X + 10, l.At.Y + 5, status));
    }
  EXPECT_EQ(status, "F1 : Fahrenheit ---> Celcius");
}

TEST_F(GraphView, RingLayoutAndClosing) {
  Show("Length");
  View.LayOutOnRings();
  View.SetView(TGraphView::MinimalTree);
  View.Refresh(800, 600);
  // Laying out again takes the positions anew, which shows the plain graph.
  EXPECT_EQ(View.View(), TGraphView::Graph);
  EXPECT_EQ(View.Graph().Vertices()[0].X, 400);
  EXPECT_EQ(View.Graph().Vertices()[0].Y, 300);
  EXPECT_EQ(View.Graph().Vertices()[1].X, 450);  // the first ring, angle 0
  View.SetView(TGraphView::ShortestPaths);
  View.SetEnds(1, 2);
  View.Refresh(800, 600);
  EXPECT_EQ(View.Graph().Vertices()[0].X, 400);  // kept until asked again
  EXPECT_GT(View.PathCount(), 0);
  View.Close();
  EXPECT_EQ(View.PathCount(), 0);
  EXPECT_EQ(View.View(), TGraphView::Graph);
}

TEST_F(GraphView, CategoriesTooLargeOrMissing) {
  std::string refusal;
  EXPECT_FALSE(View.ShowCategory(nullptr, refusal));
  EXPECT_EQ(View.Caption(), "Category = NIL");
  TGraphCategory big;
  big.Position = 1;
  big.Name = "Big";
  for (int i = 0; i < 401; ++i) {
    big.Units.push_back("u" + std::to_string(i));
    big.Places.push_back({20, 20});
  }
  EXPECT_FALSE(View.ShowCategory(&big, refusal));
  EXPECT_EQ(refusal, "VERTEX COUNT MUST BE <= 400");
  big.Units.resize(400);
  big.Places.resize(400);
  big.Rows.assign(401, TUnitPair{0, 1});
  EXPECT_FALSE(View.ShowCategory(&big, refusal));
  EXPECT_EQ(refusal, "ARC COUNT MUST BE <= 800");
  big.Rows.resize(400);
  EXPECT_TRUE(View.ShowCategory(&big, refusal));
  EXPECT_EQ(View.Caption(), "Category = 1. Big");
}

}  // namespace
}  // namespace helmax
