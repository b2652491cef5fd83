#include "QtUserInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace helmax {

QWidget* TQtUserInterface::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return Parent_;
}

// The core's messages say what went wrong (a refusal, a failure): the
// warning icon. Results such as a verdict come through ShowInformation.
void TQtUserInterface::ShowMessage(const std::string& text) {
  QMessageBox::warning(Owner(), QStringLiteral("Calculator"), QString::fromStdString(text));
}

void TQtUserInterface::ShowInformation(const std::string& text) {
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

TAnswer TQtUserInterface::AskYesNoCancel(const std::string& question) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Calculator"), QString::fromStdString(question),
                  QMessageBox::NoButton, Owner());
  QAbstractButton* yes = box.addButton(QMessageBox::Yes);
  QAbstractButton* no = box.addButton(QMessageBox::No);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  if (box.clickedButton() == yes) return TAnswer::Yes;
  return box.clickedButton() == no ? TAnswer::No : TAnswer::Cancel;
}

template <class F>
void TGuiThreadUserInterface::OnGuiThread(F&& call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() == app->thread())
    call();
  else
    QMetaObject::invokeMethod(app, std::forward<F>(call), Qt::BlockingQueuedConnection);
}

void TGuiThreadUserInterface::ShowMessage(const std::string& text) {
  OnGuiThread([&] { Target_.ShowMessage(text); });
}

void TGuiThreadUserInterface::ShowInformation(const std::string& text) {
  OnGuiThread([&] { Target_.ShowInformation(text); });
}

bool TGuiThreadUserInterface::AskYesNo(const std::string& question) {
  bool answer = false;
  OnGuiThread([&] { answer = Target_.AskYesNo(question); });
  return answer;
}

TAnswer TGuiThreadUserInterface::AskYesNoCancel(const std::string& question) {
  TAnswer answer = TAnswer::Cancel;
  OnGuiThread([&] { answer = Target_.AskYesNoCancel(question); });
  return answer;
}

}  // namespace helmax
