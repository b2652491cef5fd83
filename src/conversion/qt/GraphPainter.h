// Paints what the graph window shows (TGraphPicture) with a QPainter: the
// black canvas, the arcs in their colours, the labels. The window and the
// benchmark paint through it; SavePictureAsBitmap4 keeps a painted canvas
// as a 4-bit bitmap.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include "Bitmap4.h"
#include "GraphPicture.h"

namespace helmax {

QColor GraphColour(TGraphColour colour);
// The labels' font.
QFont GraphFont();

// Fills the rectangle black and paints the picture, antialiased.
void PaintGraph(QPainter& painter, const QRect& area, const TGraphPicture& picture);

// Every pixel as the nearest colour of the 16-colour palette.
TIndexedPicture ReduceTo16Colours(const QImage& image);

}  // namespace helmax
