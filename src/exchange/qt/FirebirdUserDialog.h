// TFirebirdUserDialog "Firebird user": the user name and password with which
// a Firebird database is opened. Esc cancels.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace helmax {

class TFirebirdUserDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFirebirdUserDialog(QWidget* owner);
  // Shows the dialog with the two preset; true (and the new values) when
  // "&Ok" was pressed.
  bool Ask(std::string& userName, std::string& password);

  QLineEdit* UserEdit() const { return User_; }
  QLineEdit* PasswordEdit() const { return Password_; }
  QPushButton* OkButton() const { return Ok_; }

 private:
  QLineEdit* User_;
  QLineEdit* Password_;
  QPushButton* Ok_;
};

}  // namespace helmax
