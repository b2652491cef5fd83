// TPeriodicTableWindow "Periodic Table of the Elements": the elements drawn
// in a grid of 10 rows by 18 columns, coloured by class, each cell with the
// element's number, symbol and atomic weight, over the core's
// TPeriodicTable. Typing a symbol, number or name moves to the element;
// double-clicking an element, or Enter on it, shows it in the element
// window; File opens another .pte file or writes the default one again.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "PeriodicTable.h"

namespace helmax {

class TElementWindow;

// The fill of an element's cell, and the colour of its symbol.
QColor ElementClassColor(TElementClass elementClass);
QColor ElementSymbolColor(TElementClass elementClass);

// The drawn grid. One cell is current (moved by the arrow keys, by clicks
// and by typing); a double-click or Enter chooses it. Letters and digits
// typed one after another make a text that moves the current cell to the
// element it means (TPeriodicTable::FindTyped); Backspace takes back its
// last character, Esc drops it, and a pause in typing ends it.
class TElementGrid : public QWidget {
  Q_OBJECT
 public:
  explicit TElementGrid(const TPeriodicTable& table, QWidget* parent = nullptr);

  // Every row and column is cellSize pixels; the symbols' font size (in
  // points) is the nearest integer to cellSize / 2.5.
  void SetCellSize(int cellSize);
  int CellSize() const { return Cell_; }
  int FontPointSize() const { return font().pointSize(); }
  QRect CellRect(int row, int column) const;

  int CurrentRow() const { return Row_; }
  int CurrentColumn() const { return Column_; }
  void SetCurrentCell(int row, int column);

  // The atomic weight as the element's cell shows it: as much of it as
  // fits, rounded (CellWeightTexts).
  QString WeightShown(const TElement& element) const;

  // The text typed so far; empty after the pause.
  QString Typed() const { return Typed_; }
  // The pause that ends a typed text, in milliseconds.
  void SetTypingPause(int milliseconds) { TypingPause_.setInterval(milliseconds); }

 signals:
  void CellChosen(int row, int column);
  // The typed text changed; found tells whether an element fits it.
  void TypedChanged(const QString& typed, bool found);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The cell under a point; false outside the grid.
  bool CellAt(const QPoint& at, int& row, int& column) const;
  int Padding() const;
  QFont SmallFont() const;  // of the number and the weight
  void DrawElement(QPainter& painter, const QRect& box, const TElement& element) const;
  // Typing: the text with one more character, or one less.
  void SetTyped(const QString& typed);
  void EndTyping();

  const TPeriodicTable& Table_;
  QString Typed_;
  QTimer TypingPause_;
  int Cell_ = 40;
  int Row_ = 1;  // hydrogen
  int Column_ = 0;
};

class TPeriodicTableWindow : public QWidget {
  Q_OBJECT
 public:
  // defaultFile: where Def PTE writes the default file.
  TPeriodicTableWindow(TPeriodicTable& table, TElementWindow& elementWindow, std::string defaultFile, QWidget* owner);

  std::function<void()> OnShowMain;

  void ShowWindow();
  // A double-click or Enter on a cell: an element is shown in the element
  // window; an empty cell closes it.
  void SelectCell(int row, int column);
  // File menu; OpenFileNamed takes the file the user picked.
  void OpenFile();
  void OpenFileNamed(const QString& fileName);
  void RestoreDefaultFile();
  // Window > Element: the element window with the element chosen last, or
  // with the current cell's.
  void ShowElementWindow();

  TElementGrid* Grid() const { return Grid_; }
  const TPeriodicTable& Table() const { return Table_; }
  QString StatusText() const { return Status_->currentMessage(); }
  // What the status bar shows of the typed text ("Find: au").
  QString TypedText() const { return Typed_->text(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void ShowFileState();
  void CloseElementWindow();

  TPeriodicTable& Table_;
  TElementWindow& Elements_;
  std::string DefaultFile_;
  QWidget* Area_;
  TElementGrid* Grid_;
  QStatusBar* Status_;
  QLabel* Typed_;
  bool Placed_ = false;         // centred on the main window when first shown
  bool ElementPlaced_ = false;  // the element window opens beside this one
};

}  // namespace helmax
