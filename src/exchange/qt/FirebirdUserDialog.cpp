#include "FirebirdUserDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace helmax {

TFirebirdUserDialog::TFirebirdUserDialog(QWidget* owner)
    : QDialog(owner), User_(new QLineEdit), Password_(new QLineEdit), Ok_(new QPushButton("&Ok")) {
  setObjectName("firebirdUserDialog");
  setWindowTitle("Firebird user");
  User_->setObjectName("user");
  Password_->setObjectName("password");
  Password_->setEchoMode(QLineEdit::Password);
  Ok_->setObjectName("ok");
  Ok_->setDefault(true);
  auto* cancel = new QPushButton("&Cancel");
  cancel->setObjectName("cancel");
  auto* form = new QFormLayout;
  auto* userLabel = new QLabel("User:");
  userLabel->setBuddy(User_);
  auto* passwordLabel = new QLabel("Password:");
  passwordLabel->setBuddy(Password_);
  form->addRow(userLabel, User_);
  form->addRow(passwordLabel, Password_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Ok_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  connect(Ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setMinimumWidth(300);
}

bool TFirebirdUserDialog::Ask(std::string& userName, std::string& password) {
  User_->setText(QString::fromStdString(userName));
  Password_->setText(QString::fromStdString(password));
  User_->setFocus();
  User_->selectAll();
  if (exec() != QDialog::Accepted) return false;
  userName = User_->text().toStdString();
  password = Password_->text().toStdString();
  return true;
}

}  // namespace helmax
