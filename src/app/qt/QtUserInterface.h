// Messages and Yes/No questions of the calculator's core as Qt message boxes.
#pragma once

#include <QPointer>
#include <QWidget>

#include "UserInterface.h"

namespace helmax {

class TQtUserInterface : public TUserInterface {
 public:
  // Boxes open over the active window, or over parent when none is active.
  explicit TQtUserInterface(QWidget* parent = nullptr) : Parent_(parent) {}
  void SetParent(QWidget* parent) { Parent_ = parent; }
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;

 private:
  QWidget* Owner() const;
  QPointer<QWidget> Parent_;
};

}  // namespace helmax
