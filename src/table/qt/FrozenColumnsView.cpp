#include "FrozenColumnsView.h"

#include <QHeaderView>
#include <QScrollBar>

namespace helmax {

TFrozenColumnsView::TFrozenColumnsView(int frozenColumns, QWidget* parent)
    : QTableView(parent), FrozenCount_(frozenColumns), Frozen_(new QTableView(this)) {
  Frozen_->setObjectName("frozenColumns");
  Frozen_->setFocusPolicy(Qt::NoFocus);
  Frozen_->verticalHeader()->hide();
  Frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Frozen_->setVerticalScrollMode(ScrollPerPixel);
  Frozen_->setEditTriggers(NoEditTriggers);
  // Slightly darker, as fixed columns are.
  Frozen_->setStyleSheet("QTableView { background-color: palette(window); }");
  viewport()->stackUnder(Frozen_);
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerPixel);

  // Widths and heights follow the main view; both scroll together.
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    if (column < FrozenCount_) {
      Frozen_->setColumnWidth(column, size);
      UpdateFrozenGeometry();
    }
  });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int row, int, int size) { Frozen_->setRowHeight(row, size); });
  connect(Frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, Frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
}

void TFrozenColumnsView::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  Frozen_->setModel(model);
  Frozen_->setSelectionModel(selectionModel());
  Frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
  if (model != nullptr) {
    connect(model, &QAbstractItemModel::modelReset, this, &TFrozenColumnsView::UpdateFrozenColumns);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TFrozenColumnsView::UpdateFrozenColumns);
  }
  UpdateFrozenColumns();
}

int TFrozenColumnsView::FrozenWidth() const {
  int width = 0;
  for (int c = 0; c < FrozenCount_ && model() != nullptr && c < model()->columnCount(); ++c) width += columnWidth(c);
  return width;
}

void TFrozenColumnsView::UpdateFrozenColumns() {
  if (model() == nullptr) return;
  for (int c = 0; c < model()->columnCount(); ++c) {
    Frozen_->setColumnHidden(c, c >= FrozenCount_);
    if (c < FrozenCount_) Frozen_->setColumnWidth(c, columnWidth(c));
  }
  Frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
  UpdateFrozenGeometry();
}

void TFrozenColumnsView::UpdateFrozenGeometry() {
  const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
  Frozen_->setGeometry(left, frameWidth(), FrozenWidth(), viewport()->height() + horizontalHeader()->height());
}

void TFrozenColumnsView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  UpdateFrozenGeometry();
}

void TFrozenColumnsView::updateGeometries() {
  QTableView::updateGeometries();
  UpdateFrozenGeometry();
}

// Moving left onto a column hidden under the frozen ones scrolls it out.
QModelIndex TFrozenColumnsView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
  if (current.isValid() && current.column() >= FrozenCount_) {
    const int hidden = FrozenWidth() - visualRect(current).left();
    if (hidden > 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
  }
  return current;
}

// Showing a frozen cell never scrolls sideways: it is always in sight.
void TFrozenColumnsView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() >= FrozenCount_) {
    QTableView::scrollTo(index, hint);
  } else if (index.isValid()) {
    const int offset = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(offset);
  }
}

}  // namespace helmax
