// TForm6 "Function variable": the name of the variable that functions of
// one variable (the function table, integration) run over.
#pragma once

#include <QDialog>
#include <QLineEdit>

namespace helmax {

class TForm1;

class TForm6 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm6(TForm1& main);
  QLineEdit* NameEdit() const { return Edit1_; }
  void SetFontPixels(int pixels);

 public slots:
  void accept() override;  // Ok
  void reject() override;  // Cancel, Esc

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TForm1& Main_;
  QLineEdit* Edit1_;
  std::string Remembered_;
};

}  // namespace helmax
