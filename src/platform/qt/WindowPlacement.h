// Where windows open: always on an available screen.
#pragma once

#include <QAction>
#include <QMenu>
#include <QRect>
#include <QWidget>

namespace helmax {

// The rectangle moved (and, if need be, shrunk) onto the available area of
// the screen it overlaps most, or of the primary screen when it overlaps
// none.
QRect ClampToScreen(const QRect& wanted);

// Centres a top-level window on its owner's window, kept on the screen.
void CentreOnOwner(QWidget* window, const QWidget* owner);

// Keeps a top-level window within the available area of a screen each
// time it is shown (shrunk if need be); the first time it is centred on
// its owner, unless it was placed already.
void KeepOnScreen(QWidget* window);

// Sets a widget's font size, given in pixels at 96 dots per inch, as a point
// size: so it grows with the desktop's font scaling (its logical DPI).
void SetFontSize(QWidget* widget, int pixelsAt96Dpi);

// Keeps a top-level window above the others, or lets it go; a visible
// window stays visible (changing the flag hides it).
void SetStaysOnTop(QWidget* window, bool on);

// The checkable "&Stay on top" item ("stayOnTop") of a window's menu.
QAction* AddStayOnTop(QMenu* menu, QWidget* window);

// A tool window shares the layer of the window it was opened from: while
// that one stays on top, so does the tool (else the tool would open behind
// it), whatever the tool's own Stay on top item says; otherwise the item
// decides.
void SetOwnerStaysOnTop(QWidget* window, bool ownerOnTop);

}  // namespace helmax
