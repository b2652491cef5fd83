// Keyboard entry into a grid whose cells are typed: Tab and Shift+Tab go
// through the editable cells only, row after row, committing the cell being
// edited and opening the next one; a key typed where it starts no edit does
// nothing (the view's keyboard search, which jumps to the row whose text
// starts with the key, is off).
#pragma once

#include <QAbstractItemView>
#include <QModelIndex>
#include <QObject>

namespace helmax {

// Sets the grid up so; the keys' handler lives as long as the grid.
void SetUpEditableGrid(QAbstractItemView* grid);

// The next (forward) or previous editable cell after from, in the order the
// grid shows its rows and columns, hidden ones left out; from invalid: the
// first (or last) one. Invalid when there is none.
QModelIndex NextEditableCell(const QAbstractItemView* grid, const QModelIndex& from, bool forward);

class TEditableGridKeys : public QObject {
  Q_OBJECT
 public:
  explicit TEditableGridKeys(QAbstractItemView* grid);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Watches a cell editor, ahead of the delegate's own handling of Tab.
  void WatchEditor(QWidget* editor);
  // Tab (forward) or Shift+Tab; editor: the open editor, committed first.
  void Move(bool forward, QWidget* editor);

  QAbstractItemView* Grid_;
};

}  // namespace helmax
