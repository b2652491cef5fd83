// TFrozenColumnsView: a table view whose first columns stay in place while
// the others scroll sideways under them. A second view over the same model
// and selection shows the frozen columns on top of the first, and follows
// it up and down.
#pragma once

#include <QTableView>

namespace helmax {

class TFrozenColumnsView : public QTableView {
  Q_OBJECT
 public:
  explicit TFrozenColumnsView(int frozenColumns, QWidget* parent = nullptr);
  void setModel(QAbstractItemModel* model) override;
  // The view of the frozen columns (for tests and key handling).
  QTableView* FrozenView() const { return Frozen_; }
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void updateGeometries() override;

 private:
  int FrozenWidth() const;
  void UpdateFrozenColumns();
  void UpdateFrozenGeometry();

  int FrozenCount_;
  QTableView* Frozen_;
};

}  // namespace helmax
