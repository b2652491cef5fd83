#include "QtUserInterface.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace helmax {

QWidget* TQtUserInterface::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (Window_ != nullptr) return Window_;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return Parent_;
}

namespace {

// The name of the window a box belongs to: the one its dialog was opened
// from, if need be.
QString TitleFor(const QWidget* owner) {
  const QWidget* window = owner != nullptr ? owner->window() : nullptr;
  while (window != nullptr && qobject_cast<const QDialog*>(window) != nullptr && window->parentWidget() != nullptr)
    window = window->parentWidget()->window();
  QString title = window != nullptr ? window->windowTitle() : QString();
  title.remove(QStringLiteral("[*]"));
  return title.isEmpty() ? QStringLiteral("Calculator") : title;
}

}  // namespace

// The core's messages say what went wrong (a refusal, a failure): the
// warning icon. Results such as a verdict come through ShowInformation.
void TQtUserInterface::ShowMessage(const std::string& text) {
  QWidget* owner = Owner();
  QMessageBox::warning(owner, TitleFor(owner), QString::fromStdString(text));
}

void TQtUserInterface::ShowInformation(const std::string& text) {
  QWidget* owner = Owner();
  QMessageBox::information(owner, TitleFor(owner), QString::fromStdString(text));
}

bool TQtUserInterface::AskYesNo(const std::string& question) {
  QWidget* owner = Owner();
  QMessageBox box(QMessageBox::Question, TitleFor(owner), QString::fromStdString(question), QMessageBox::NoButton,
                  owner);
  QAbstractButton* yes = box.addButton(QMessageBox::Yes);
  box.addButton(QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  box.exec();
  return box.clickedButton() == yes;
}

TAnswer TQtUserInterface::AskYesNoCancel(const std::string& question) {
  QWidget* owner = Owner();
  QMessageBox box(QMessageBox::Question, TitleFor(owner), QString::fromStdString(question), QMessageBox::NoButton,
                  owner);
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
  if (app == nullptr || QThread::currentThread() == app->thread()) call();
  else QMetaObject::invokeMethod(app, std::forward<F>(call), Qt::BlockingQueuedConnection);
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
