// TElementWindow "Element": one element of the periodic table with its
// class, state, group and period, flags, oxidation states and the grid of
// its properties. A property can be added to the constant list ("&Add to
// Const") or sent to the unit conversion window (double-click or Enter).
#pragma once

#include <QAbstractTableModel>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <functional>

#include "PeriodicTable.h"

namespace helmax {

class TConstantList;

// The property grid: model row r shows property r + 1 ("Property", "Value",
// "Unit").
class TElementPropertiesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TElementPropertiesModel(const TPeriodicTable& table, QObject* parent = nullptr)
      : QAbstractTableModel(parent), Table_(table) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The element shown (null: none); the model is reset.
  void ShowElement(const TElement* element);

 private:
  const TPeriodicTable& Table_;
  const TElement* Element_ = nullptr;
};

class TElementWindow : public QWidget {
  Q_OBJECT
 public:
  // constants: the calculator's constant list, which Add to Const fills.
  TElementWindow(const TPeriodicTable& table, TConstantList& constants, QWidget* owner);

  // Shows the element's data (the property grid as the table holds it now).
  void ShowElement(const TElement& element);
  const TElement* Element() const { return Element_; }
  bool StayOnTop() const { return StayOnTop_->isChecked(); }

  // The current property row (0 for property 1) as a constant.
  void AddToConstants();
  // Property row (0 for property 1) to the conversion window.
  void SendToConversion(int row);

  std::function<void()> OnShowMain;
  std::function<void()> OnShowPeriodicTable;
  std::function<void()> OnShowConstants;
  // Called before the window touches the constant list: the owner makes sure
  // that no calculation of its own uses the engines meanwhile.
  std::function<void()> BeforeCoreAccess;
  std::function<void()> OnConstantAdded;
  // A value for the conversion window, with the status text that says what
  // it is.
  std::function<void(const QString& value, const QString& statusText)> OnSendToConversion;

  QLabel* NumberLabel() const { return Number_; }
  QLabel* SymbolLabel() const { return Symbol_; }
  QLabel* NameLabel() const { return Name_; }
  QGroupBox* ClassBox() const { return Class_; }
  QLabel* StateLabel() const { return State_; }
  QLabel* GroupLabel() const { return Group_; }
  QLabel* PeriodLabel() const { return Period_; }
  QLabel* RadioactiveLabel() const { return Radioactive_; }
  QLabel* ToxicLabel() const { return Toxic_; }
  QLabel* SyntheticLabel() const { return Synthetic_; }
  QListWidget* OxidationList() const { return Oxidation_; }
  QTableView* Grid() const { return Grid_; }
  QPushButton* AddButton() const { return Add_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitColumns();

  const TPeriodicTable& Table_;
  TConstantList& Constants_;
  const TElement* Element_ = nullptr;
  QFrame* Top_;
  QLabel* Number_;
  QLabel* Symbol_;
  QLabel* Name_;
  QGroupBox* Class_;
  QLabel* State_;
  QLabel* Group_;
  QLabel* Period_;
  QLabel* Radioactive_;
  QLabel* Toxic_;
  QLabel* Synthetic_;
  QListWidget* Oxidation_;
  TElementPropertiesModel* Model_;
  QTableView* Grid_;
  QPushButton* Add_;
  QAction* StayOnTop_;
};

}  // namespace helmax
