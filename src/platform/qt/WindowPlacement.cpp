#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
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
  if (top != nullptr && top->isVisible()) r.moveCenter(top->frameGeometry().center());
  else if (const QScreen* screen = QGuiApplication::primaryScreen()) r.moveCenter(screen->availableGeometry().center());
  window->move(ClampToScreen(r).topLeft());
}

namespace {

// The whole frame on a screen: moved, and shrunk when it is larger.
void FitOnScreen(QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect placed = ClampToScreen(frame);
  if (placed == frame) return;
  window->resize(window->size() - (frame.size() - placed.size()));
  window->move(placed.topLeft());
}

class TOnScreenKeeper : public QObject {
 public:
  explicit TOnScreenKeeper(QWidget* window) : QObject(window), Window_(window) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != Window_ || event->type() != QEvent::Show) return false;
    if (!Shown_ && !Window_->testAttribute(Qt::WA_Moved)) CentreOnOwner(Window_, Window_->parentWidget());
    Shown_ = true;
    FitOnScreen(Window_);
    // Once the window system has put its frame around it, again.
    QTimer::singleShot(0, Window_, [window = QPointer<QWidget>(Window_)] {
      if (window != nullptr && window->isVisible()) FitOnScreen(window);
    });
    return false;
  }

 private:
  QWidget* Window_;
  bool Shown_ = false;
};

}  // namespace

void KeepOnScreen(QWidget* window) { window->installEventFilter(new TOnScreenKeeper(window)); }

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

namespace {
const char* const kOwnOnTop = "helmaxOwnStaysOnTop";
const char* const kOwnerOnTop = "helmaxOwnerStaysOnTop";

void ApplyLayer(QWidget* window) {
  const bool on = window->property(kOwnOnTop).toBool() || window->property(kOwnerOnTop).toBool();
  if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on) SetStaysOnTop(window, on);
}
}  // namespace

QAction* AddStayOnTop(QMenu* menu, QWidget* window) {
  QAction* item = menu->addAction("&Stay on top");
  item->setObjectName("stayOnTop");
  item->setCheckable(true);
  QObject::connect(item, &QAction::toggled, window, [window](bool on) {
    window->setProperty(kOwnOnTop, on);
    ApplyLayer(window);
  });
  return item;
}

void SetOwnerStaysOnTop(QWidget* window, bool ownerOnTop) {
  window->setProperty(kOwnerOnTop, ownerOnTop);
  ApplyLayer(window);
}

}  // namespace helmax
