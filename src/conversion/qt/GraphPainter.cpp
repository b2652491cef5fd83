#include "GraphPainter.h"

#include <QFontMetrics>
#include <QVarLengthArray>
#include <unordered_map>

namespace helmax {

QColor GraphColour(TGraphColour colour) {
  switch (colour) {
    case TGraphColour::Green: return QColor(0, 128, 0);
    case TGraphColour::Red: return QColor(255, 0, 0);
    case TGraphColour::Yellow: return QColor(255, 255, 0);
    case TGraphColour::Black: break;
  }
  return QColor(0, 0, 0);
}

QFont GraphFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  return font;
}

void PaintGraph(QPainter& painter, const QRect& area, const TGraphPicture& picture) {
  painter.fillRect(area, Qt::black);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  // One call per colour: a category of hundreds of units stays smooth.
  constexpr int kColours = 4;
  QVarLengthArray<QLine, 1024> lines[kColours];
  for (const TGraphStroke& s : picture.Strokes)
    lines[static_cast<int>(s.Colour)].append(QLine(s.From.X, s.From.Y, s.To.X, s.To.Y));
  for (int c = 0; c < kColours; ++c) {
    if (lines[c].isEmpty()) continue;
    painter.setPen(QPen(GraphColour(static_cast<TGraphColour>(c)), 1));
    painter.drawLines(lines[c].constData(), static_cast<int>(lines[c].size()));
  }
  painter.setFont(GraphFont());
  const QFontMetrics metrics(painter.font());
  const int ascent = metrics.ascent();
  for (const TGraphLabel& l : picture.ArcLabels) {
    painter.setPen(GraphColour(l.Colour));
    painter.drawText(l.At.X, l.At.Y + ascent, QString::fromStdString(l.Text));
  }
  // Vertex labels: black text on the vertex colour, top-left at the point.
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const TGraphLabel& l : picture.VertexLabels) {
    const QString text = QString::fromStdString(l.Text);
    const QRect box(l.At.X, l.At.Y, metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(box, GraphColour(l.Colour));
    painter.setPen(Qt::black);
    painter.drawText(l.At.X, l.At.Y + ascent, text);
  }
}

TIndexedPicture ReduceTo16Colours(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  TIndexedPicture picture;
  picture.Width = rgb.width();
  picture.Height = rgb.height();
  picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
  // Antialiased edges bring a few hundred shades; each is matched once.
  std::unordered_map<QRgb, std::uint8_t> nearest;
  std::size_t at = 0;
  for (int y = 0; y < picture.Height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < picture.Width; ++x) {
      const QRgb pixel = line[x] & 0xFFFFFFu;
      auto found = nearest.find(pixel);
      if (found == nearest.end()) {
        const TRgb colour{static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
                          static_cast<std::uint8_t>(qBlue(pixel))};
        found = nearest.emplace(pixel, static_cast<std::uint8_t>(NearestColourIndex(picture.Palette, colour))).first;
      }
      picture.Pixels[at++] = found->second;
    }
  }
  return picture;
}

}  // namespace helmax
