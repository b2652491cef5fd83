// What every tool window builds the same way.
#include "WindowKit.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace helmax {

namespace {
// Esc that reaches the window itself as a key press (no child took it) runs
// the window's Esc action.
class TEscapeKey : public QObject {
 public:
  TEscapeKey(QWidget* window, QAction* action) : QObject(window), Action_(action) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Action_->trigger();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QAction* Action_;
};
}  // namespace

QAction* AddMenuAction(QMenu* menu, const QString& caption, const char* objectName, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(objectName);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    // The item's own window, not the whole application.
    action->setShortcutContext(Qt::WindowShortcut);
  }
  return action;
}

QAction* AddCheckableAction(QMenu* menu, const QString& caption, const char* objectName) {
  QAction* action = AddMenuAction(menu, caption, objectName);
  action->setCheckable(true);
  return action;
}

QAction* AddWindowKey(QWidget* window, const QKeySequence& key, const char* objectName, std::function<void()> command) {
  auto* action = new QAction(window);
  action->setObjectName(objectName);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(action, &QAction::triggered, window, [command = std::move(command)] { command(); });
  window->addAction(action);
  return action;
}

QGroupBox* Group(const QString& title, QWidget* content, int minimumHeight) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  if (minimumHeight > 0) box->setMinimumHeight(minimumHeight);
  return box;
}

QAction* OnEscape(QWidget* window, std::function<void()> command) {
  // Not a window shortcut: one would take Esc from every other window while
  // this one is active. Esc is the window's own once no child used it.
  auto* action = new QAction(window);
  action->setObjectName("escape");
  QObject::connect(action, &QAction::triggered, window, [command = std::move(command)] { command(); });
  window->addAction(action);
  window->installEventFilter(new TEscapeKey(window, action));
  return action;
}

QAction* CloseOnEscape(QWidget* window) {
  return OnEscape(window, [window] { window->close(); });
}

void ShowInFront(QWidget* window) {
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace helmax
