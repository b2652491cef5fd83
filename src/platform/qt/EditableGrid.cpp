#include "EditableGrid.h"

#include <QAbstractItemDelegate>
#include <QChildEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

namespace helmax {
namespace {

bool Editable(const QModelIndex& index) { return index.isValid() && (index.flags() & Qt::ItemIsEditable); }

bool IsTab(const QKeyEvent* key, bool& forward) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  if (key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier))) {
    forward = false;
    return true;
  }
  if (key->key() == Qt::Key_Tab) {
    forward = true;
    return true;
  }
  return false;
}

// A key that would type a character (not Space, which selects).
bool TypesText(const QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = key->text();
  return !text.isEmpty() && text.front().isPrint() && text != " ";
}

}  // namespace

QModelIndex NextEditableCell(const QAbstractItemView* grid, const QModelIndex& from, bool forward) {
  const QAbstractItemModel* model = grid->model();
  if (model == nullptr) return {};
  const QModelIndex root = grid->rootIndex();
  const int rows = model->rowCount(root), columns = model->columnCount(root);
  if (rows <= 0 || columns <= 0) return {};
  // Visual positions of a table (columns may be moved or hidden).
  const auto* table = qobject_cast<const QTableView*>(grid);
  auto logicalColumn = [&](int visual) {
    return table != nullptr ? table->horizontalHeader()->logicalIndex(visual) : visual;
  };
  auto visualColumn = [&](int logical) {
    return table != nullptr ? table->horizontalHeader()->visualIndex(logical) : logical;
  };
  auto logicalRow = [&](int visual) {
    return table != nullptr ? table->verticalHeader()->logicalIndex(visual) : visual;
  };
  auto visualRow = [&](int logical) {
    return table != nullptr ? table->verticalHeader()->visualIndex(logical) : logical;
  };
  auto hidden = [&](int row, int column) {
    return table != nullptr && (table->isRowHidden(row) || table->isColumnHidden(column));
  };
  const long long cells = static_cast<long long>(rows) * columns;
  long long at = from.isValid() && from.model() == model
                     ? static_cast<long long>(visualRow(from.row())) * columns + visualColumn(from.column())
                     : (forward ? -1 : cells);
  for (at += forward ? 1 : -1; at >= 0 && at < cells; at += forward ? 1 : -1) {
    const int row = logicalRow(static_cast<int>(at / columns));
    const int column = logicalColumn(static_cast<int>(at % columns));
    if (hidden(row, column)) continue;
    const QModelIndex index = model->index(row, column, root);
    if (Editable(index)) return index;
  }
  return {};
}

TEditableGridKeys::TEditableGridKeys(QAbstractItemView* grid) : QObject(grid), Grid_(grid) {
  grid->setTabKeyNavigation(true);
  grid->installEventFilter(this);
  // Cell editors are children of the viewport.
  grid->viewport()->installEventFilter(this);
}

void TEditableGridKeys::WatchEditor(QWidget* editor) {
  // The filter installed last sees the keys first: ahead of the delegate,
  // which would move to the next cell whether it can be edited or not.
  editor->removeEventFilter(this);
  editor->installEventFilter(this);
}

bool TEditableGridKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == Grid_->viewport()) {
    if (type == QEvent::ChildAdded || type == QEvent::ChildPolished)
      if (auto* editor = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) WatchEditor(editor);
    return false;
  }
  if (watched != Grid_) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor == nullptr) return false;
    if (type == QEvent::FocusIn) WatchEditor(editor);
    bool forward = true;
    if (type == QEvent::KeyPress && IsTab(static_cast<QKeyEvent*>(event), forward)) {
      Move(forward, editor);
      return true;
    }
    return false;
  }
  if (type != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  bool forward = true;
  if (IsTab(key, forward)) {
    Move(forward, nullptr);
    return true;
  }
  // A character where it opens no editor would search the rows: nothing.
  if (TypesText(key))
    return !(Editable(Grid_->currentIndex()) && (Grid_->editTriggers() & QAbstractItemView::AnyKeyPressed));
  return false;
}

void TEditableGridKeys::Move(bool forward, QWidget* editor) {
  const QModelIndex from = Grid_->currentIndex();
  if (editor != nullptr) {
    QAbstractItemDelegate* delegate = Grid_->itemDelegateForIndex(from);
    if (delegate == nullptr) delegate = Grid_->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  const QModelIndex next = NextEditableCell(Grid_, from, forward);
  if (!next.isValid()) return;  // the first or last editable cell stays
  Grid_->setCurrentIndex(next);
  Grid_->scrollTo(next);
  // Moving from one edit to the next goes on editing.
  if (editor != nullptr) Grid_->edit(next);
}

void SetUpEditableGrid(QAbstractItemView* grid) { new TEditableGridKeys(grid); }

}  // namespace helmax
