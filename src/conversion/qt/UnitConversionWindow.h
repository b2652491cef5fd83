// TUnitConversionWindow "Convert Unit": an expression of the user's
// variables, its value converted between two units of a category of the
// conversion table. "C&heck conversion" checks the table and computes its
// paths; until then, and after every change of the table, the window is
// locked (only the check can be used). The window checks by itself when it
// opens and after every change, and converts at every key in the
// expression box, both ways, keeping the category and units chosen by
// name. Its work runs on the calculator's worker, through the main
// window's queue.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>
#include <functional>
#include <memory>

#include "Calculator.h"
#include "UnitConversion.h"

namespace helmax {

class TUnitConversionWindow : public QWidget {
  Q_OBJECT
 public:
  TUnitConversionWindow(TCalculator& calc, QWidget* owner);
  ~TUnitConversionWindow() override;

  using TRunForTool =
      std::function<void(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish)>;
  // How the window calculates: prepare here, work on the calculator's
  // worker, finish here again (without it, everything runs at once).
  TRunForTool RunForTool;
  std::function<void()> StopCalculation;
  std::function<void()> OnShowMain;
  // "&Define conversion": the conversion table's window.
  std::function<void()> OnShowTable;

  void ShowWindow();
  // Shows the window with a value to convert from elsewhere (an element's
  // property): value in the expression box, where it came from in the
  // status bar.
  void ShowInitialValue(const QString& value, const QString& statusText);
  QString StatusText() const { return Status_->currentMessage(); }
  // "C&heck conversion" and "&Calculate".
  void CheckConversions();
  void Calculate();
  // The table changed: locks the conversions until the next check (the
  // table's editors call it after every change).
  void Lock();
  // Converts the expression now, both ways, without message boxes (as the
  // user types); a conversion under way runs once more afterwards.
  void ConvertAsTyped();
  // Shows whether the table is locked: the check, or the calculation and
  // the three boxes, can be used.
  void ShowState();
  // The table's window changed or saved the table (a save checks it): the
  // boxes list its categories again.
  void TableChanged();
  bool Locked() const { return Check_->isEnabled(); }
  bool Running() const { return Running_; }

  QPlainTextEdit* ExpressionBox() const { return Expression_; }
  QPlainTextEdit* ValueBox() const { return Value_; }
  // Both ways of the conversion as typed, or why there is none.
  QLabel* ResultCaption() const { return Result_; }
  QGroupBox* ExpressionGroup() const { return ExpressionGroup_; }
  QComboBox* CategoryBox() const { return Category_; }
  QComboBox* FromBox() const { return From_; }
  QComboBox* ToBox() const { return To_; }
  QPushButton* CalculateButton() const { return Calculate_; }
  QPushButton* CheckButton() const { return Check_; }
  QPushButton* DefineButton() const { return Define_; }

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Run(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish);
  void FillCategories();
  void CategoryChosen(bool keepUnits = false);
  void ClearValue();
  // The boxes' choices as the user made them, kept by name over refills.
  void RememberChoices();
  void SelectByName(QComboBox* box, const QString& name);

  TCalculator& Calc_;
  std::unique_ptr<TUnitConversion> Tool_;
  QGroupBox* ExpressionGroup_;
  QPlainTextEdit* Expression_;
  QPlainTextEdit* Value_;
  QComboBox* Category_;
  QComboBox* From_;
  QComboBox* To_;
  QPushButton* Calculate_;
  QPushButton* Check_;
  QPushButton* Define_;
  QStatusBar* Status_;
  QLabel* Result_;
  QString ChosenCategory_, ChosenFrom_, ChosenTo_;
  bool Running_ = false;
  bool ConversionQueued_ = false;  // a conversion as typed waits for its turn
  bool ConvertAgain_ = false;      // ... and waits for a check or calculation to end
  bool Filling_ = false;           // the boxes are being filled by the program
};

}  // namespace helmax
