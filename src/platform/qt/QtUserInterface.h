// Messages and questions of the core as Qt message boxes. They may come from
// a worker thread that calculates: the boxes always open on the window
// system's thread, and the worker waits for the answer.
#pragma once

#include <QPointer>
#include <QWidget>

#include "UserInterface.h"

namespace helmax {

class TQtUserInterface : public TUserInterface {
 public:
  // Boxes open over the dialog or window in front, or over parent when no
  // window of the program is active. Each box is titled with the name of
  // the window it opens over.
  explicit TQtUserInterface(QWidget* parent = nullptr) : Parent_(parent) {}
  // A window's own interface: its boxes open over it (or over its modal
  // dialog), wherever the user is meanwhile.
  void SetWindow(QWidget* window) { Window_ = window; }
  QWidget* Window() const { return Window_; }
  void ShowMessage(const std::string& text) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  TAnswer AskYesNoCancel(const std::string& question) override;

 private:
  QWidget* Owner() const;
  QPointer<QWidget> Parent_;
  QPointer<QWidget> Window_;
};

// Hands every message and question to another interface on the thread of
// the application object, however it is called; a calling worker thread
// waits until it is answered.
class TGuiThreadUserInterface : public TUserInterface {
 public:
  explicit TGuiThreadUserInterface(TUserInterface& target) : Target_(target) {}
  void ShowMessage(const std::string& text) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  TAnswer AskYesNoCancel(const std::string& question) override;

 private:
  template <class F>
  void OnGuiThread(F&& call);
  TUserInterface& Target_;
};

}  // namespace helmax
