// TForm2 "Help": the shortcut keys and the list of built-in functions.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace helmax {

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* owner);
  void ShowHelp(const QString& text);
  QPlainTextEdit* Pane() const { return Memo1_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPlainTextEdit* Memo1_;
};

}  // namespace helmax
