// TConstantListWindow "Constant list" with its grid, and the two dialogs it
// opens: TConstantDialog "Edit constants" (add or change one constant) and
// TDeleteConstantsDialog "Delete constants" (remove a range). The windows
// show the core's TConstantList and forward to it.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QWidget>
#include <functional>

#include "ConstantList.h"
#include "FieldDialogs.h"

namespace helmax {

// The grid over the constant list: row r of the model is row r + 1 of the
// list (the header row is the view's header).
class TConstantsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TConstantsModel(const TConstantList& list, QObject* parent = nullptr)
      : QAbstractTableModel(parent), List_(list) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void Reload();

 private:
  const TConstantList& List_;
};

class TConstantDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TConstantDialog(TConstantList& list, QWidget* owner);
  // The fields and the row they are for (RowCount() for a new constant).
  void SetFields(int targetRow, const QString& name, const QString& expression, const QString& description,
                 bool nameEnabled);
  QLineEdit* NameEdit() const { return Name_; }
  QPlainTextEdit* ExpressionPane() const { return Expression_; }
  QPlainTextEdit* DescriptionPane() const { return Description_; }
  void SetFontPixels(int pixels);
  std::function<void()> OnClosed;

 public slots:
  void accept() override;  // Ok: AddConst
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TConstantList& List_;
  QLineEdit* Name_;
  QPlainTextEdit* Expression_;
  QPlainTextEdit* Description_;
  int TargetRow_ = 0;
};

class TDeleteConstantsDialog : public TFromCountDialog {
  Q_OBJECT
 public:
  explicit TDeleteConstantsDialog(TConstantList& list, QWidget* owner);
  std::function<void()> OnClosed;

 public slots:
  void accept() override;  // Ok: delete the range
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;  // From back to 7, Count focused

 private:
  TConstantList& List_;
};

class TConstantListWindow : public QWidget {
  Q_OBJECT
 public:
  TConstantListWindow(TConstantList& list, QWidget* owner);

  // Runs the constants again, refreshes the grid and shows the list.
  void ShowList();
  // Runs the constants again and refreshes the grid, shown or not.
  void RefreshList();
  // Double-click or Enter on a row: the constant dialog for it.
  void EditRow(int row);
  void AddConstant();
  void DeleteConstants();
  void SetFontPixels(int pixels) { Dialog_->SetFontPixels(pixels); }

  QTableView* Grid() const { return Grid_; }
  TConstantDialog* ConstantDialog() const { return Dialog_; }

  std::function<void()> OnShowMain;
  std::function<void()> OnShowLibrary;
  std::function<void()> OnClearResults;
  // Called before the window touches the constant list: the owner makes sure
  // that no calculation of its own uses the engines meanwhile.
  std::function<void()> BeforeCoreAccess;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Refresh();
  void FitColumns();
  void EnterCore();

  TConstantList& List_;
  TConstantsModel* Model_;
  QTableView* Grid_;
  TConstantDialog* Dialog_;
  TDeleteConstantsDialog* Delete_;
  int TargetRow_ = 0;
  bool Placed_ = false;
};

}  // namespace helmax
