// THelpWindow "Help": the shortcut keys and the list of built-in functions.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace helmax {

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* owner);
  void ShowHelp(const QString& text);
  QPlainTextEdit* Pane() const { return Text_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPlainTextEdit* Text_;
};

}  // namespace helmax
