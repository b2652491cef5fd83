// TFunctionVariableDialog "Function variable": the name of the variable that
// functions of one variable (the function table, integration) run over.
#pragma once

#include <QDialog>
#include <QLineEdit>

namespace helmax {

class TMainWindow;

class TFunctionVariableDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFunctionVariableDialog(TMainWindow& main);
  QLineEdit* NameEdit() const { return NameEdit_; }
  void SetFontPixels(int pixels);

 public slots:
  void accept() override;  // Ok
  void reject() override;  // Cancel, Esc

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TMainWindow& Main_;
  QLineEdit* NameEdit_;
  std::string Remembered_;
};

}  // namespace helmax
