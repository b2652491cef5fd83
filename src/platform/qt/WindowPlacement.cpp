#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace helmax {

QRect ClampToScreen(const QRect& wanted) {
  const QScreen* best = QGuiApplication::primaryScreen();
  long bestArea = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = screen->availableGeometry().intersected(wanted);
    const long area = common.isEmpty() ? 0 : static_cast<long>(common.width()) * common.height();
    if (area > bestArea) {
      bestArea = area;
      best = screen;
    }
  }
  if (best == nullptr) return wanted;
  const QRect area = best->availableGeometry();
  QRect r = wanted;
  r.setWidth(std::min(r.width(), area.width()));
  r.setHeight(std::min(r.height(), area.height()));
  r.moveLeft(std::clamp(r.left(), area.left(), area.right() - r.width() + 1));
  r.moveTop(std::clamp(r.top(), area.top(), area.bottom() - r.height() + 1));
  return r;
}

void CentreOnOwner(QWidget* window, const QWidget* owner) {
  QRect r(QPoint(0, 0), window->size());
  const QWidget* top = owner != nullptr ? owner->window() : nullptr;
  if (top != nullptr && top->isVisible())
    r.moveCenter(top->frameGeometry().center());
  else if (const QScreen* screen = QGuiApplication::primaryScreen())
    r.moveCenter(screen->availableGeometry().center());
  window->move(ClampToScreen(r).topLeft());
}

void SetFontSize(QWidget* widget, int pixelsAt96Dpi) {
  QFont f = widget->font();
  f.setPointSizeF(pixelsAt96Dpi * 72.0 / 96.0);
  widget->setFont(f);
}

void SetStaysOnTop(QWidget* window, bool on) {
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) window->show();
}

QAction* AddStayOnTop(QMenu* menu, QWidget* window) {
  QAction* item = menu->addAction("&Stay on top");
  item->setObjectName("stayOnTop");
  item->setCheckable(true);
  QObject::connect(item, &QAction::toggled, window, [window](bool on) { SetStaysOnTop(window, on); });
  return item;
}

}  // namespace helmax
