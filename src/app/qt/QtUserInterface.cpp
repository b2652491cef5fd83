#include "QtUserInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace helmax {

QWidget* TQtUserInterface::Owner() const {
  if (QWidget* active = QApplication::activeWindow()) return active;
  return Parent_;
}

void TQtUserInterface::ShowMessage(const std::string& text) {
  QMessageBox::information(Owner(), QStringLiteral("Calculator"), QString::fromStdString(text));
}

bool TQtUserInterface::AskYesNo(const std::string& question) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Calculator"), QString::fromStdString(question),
                  QMessageBox::NoButton, Owner());
  QAbstractButton* yes = box.addButton(QMessageBox::Yes);
  box.addButton(QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace helmax
