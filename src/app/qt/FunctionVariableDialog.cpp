#include "FunctionVariableDialog.h"
#include "FixedTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "MainWindow.h"
#include "WindowPlacement.h"

namespace helmax {

TFunctionVariableDialog::TFunctionVariableDialog(TMainWindow& main)
    : QDialog(&main), Main_(main), NameEdit_(new QLineEdit("x")) {
  setObjectName("functionVariableDialog");
  setWindowTitle(texts::kFunctionVariableSection);
  NameEdit_->setObjectName("nameEdit");
  auto* form = new QFormLayout;
  form->addRow("Name:", NameEdit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFunctionVariableDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFunctionVariableDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TFunctionVariableDialog::SetFontPixels(int pixels) { SetFontSize(NameEdit_, pixels); }

void TFunctionVariableDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Remembered_ = Main_.Calculator().FunctionVariable();
  NameEdit_->setText(QString::fromStdString(Remembered_));
  NameEdit_->selectAll();
  NameEdit_->setFocus();
}

void TFunctionVariableDialog::accept() {
  TCalculator& calc = Main_.Calculator();
  calc.SetFunctionVariable(NameEdit_->text().toStdString());
  NameEdit_->setText(QString::fromStdString(calc.FunctionVariable()));
  if (calc.FunctionVariable().empty()) {
    Main_.Ui().ShowMessage(texts::kIncorrectNameOfFunctionVariable);
    return;  // stays open
  }
  Main_.DefinitionsChanged();
  QDialog::accept();
}

void TFunctionVariableDialog::reject() {
  TCalculator& calc = Main_.Calculator();
  calc.SetFunctionVariable(Remembered_);
  NameEdit_->setText(QString::fromStdString(Remembered_));
  QDialog::reject();
}

}  // namespace helmax
