// What every tool window builds the same way: its menu items, the framed
// panes, Esc, and coming in front when it is called for.
#pragma once

#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QMenu>
#include <QString>
#include <QWidget>
#include <functional>
#include <utility>

namespace helmax {

// A menu item with its caption (with its & key), object name (how tests and
// the settings find it) and shortcut; the menu shows the shortcut, and the
// shortcut works wherever the focus is in the item's window.
QAction* AddMenuAction(QMenu* menu, const QString& caption, const char* objectName, const QKeySequence& shortcut = {});

// A menu item that is checked and unchecked.
QAction* AddCheckableAction(QMenu* menu, const QString& caption, const char* objectName);

// The same item, calling a member of receiver (or a function) when chosen.
template <typename Receiver, typename Slot>
QAction* AddMenuAction(QMenu* menu, const QString& caption, const char* objectName, Receiver* receiver, Slot slot,
                       const QKeySequence& shortcut = {}) {
  QAction* action = AddMenuAction(menu, caption, objectName, shortcut);
  QObject::connect(action, &QAction::triggered, receiver, std::move(slot));
  return action;
}

// A command of a window on a key, for a window without a menu to show it;
// it works wherever the focus is in the window.
QAction* AddWindowKey(QWidget* window, const QKeySequence& key, const char* objectName, std::function<void()> command);

// A titled frame around one pane, with the program's narrow margins; no
// lower than minimumHeight when one is given.
QGroupBox* Group(const QString& title, QWidget* content, int minimumHeight = 0);

// Esc does command in the window (for most windows: close it), as the
// window's "escape" action. A grid or an editor that needs Esc itself (to
// end an edit, say) takes it first by accepting the key press.
QAction* OnEscape(QWidget* window, std::function<void()> command);
QAction* CloseOnEscape(QWidget* window);

// Brings a top-level window in front of the others and gives it the focus:
// shown (restored if minimised), raised and activated.
void ShowInFront(QWidget* window);

}  // namespace helmax
