// THelpWindow "Help": the shortcut keys and the list of built-in functions
// with their descriptions, and a search box that keeps only the entries
// holding what is typed there.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace helmax {

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* owner);
  void ShowHelp(const QString& text);
  QPlainTextEdit* Pane() const { return Text_; }
  QLineEdit* SearchBox() const { return Search_; }

 protected:
 private:
  void Filter(const QString& wanted);

  QLineEdit* Search_;
  QPlainTextEdit* Text_;
  QString All_;
};

}  // namespace helmax
