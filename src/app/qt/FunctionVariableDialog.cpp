#include "FunctionVariableDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "MainWindow.h"

namespace helmax {

TForm6::TForm6(TForm1& main) : QDialog(&main), Main_(main), Edit1_(new QLineEdit("x")) {
  setObjectName("TForm6");
  setWindowTitle("Function variable");
  Edit1_->setObjectName("Edit1");
  auto* form = new QFormLayout;
  form->addRow("Name:", Edit1_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TForm6::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TForm6::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TForm6::SetFontPixels(int pixels) {
  QFont f = Edit1_->font();
  f.setPixelSize(pixels);
  Edit1_->setFont(f);
}

void TForm6::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Remembered_ = Main_.Calculator().FunctionVariable();
  Edit1_->setText(QString::fromStdString(Remembered_));
  Edit1_->selectAll();
  Edit1_->setFocus();
}

void TForm6::accept() {
  TCalculator& calc = Main_.Calculator();
  calc.SetFunctionVariable(Edit1_->text().toStdString());
  Edit1_->setText(QString::fromStdString(calc.FunctionVariable()));
  if (calc.FunctionVariable().empty()) {
    Main_.Ui().ShowMessage("Incorrect name of function variable (must not be constant)");
    return;  // stays open
  }
  Main_.Frame31Memo1Change();
  QDialog::accept();
}

void TForm6::reject() {
  TCalculator& calc = Main_.Calculator();
  calc.SetFunctionVariable(Remembered_);
  Edit1_->setText(QString::fromStdString(Remembered_));
  QDialog::reject();
}

}  // namespace helmax
