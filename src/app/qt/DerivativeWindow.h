// TDerivativeWindow "Symbolic Differentiate": an expression, the variable,
// Differentiate, and the derivative below (an ordinary editable text, so
// that it can be changed or copied). It forwards to the core's
// TDifferentiation.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QWidget>
#include <functional>

#include "Differentiation.h"

namespace helmax {

class TDerivativeWindow : public QWidget {
  Q_OBJECT
 public:
  explicit TDerivativeWindow(QWidget* owner);

  QPlainTextEdit* ExpressionPane() const { return Expression_; }
  QLineEdit* VariableEdit() const { return Variable_; }
  QPushButton* DifferentiateButton() const { return Button_; }
  // "Copy to expressions": hands the derivative shown to OnCopyToExpressions
  // (the main window appends it to its expressions pane); enabled while a
  // derivative, not an error line, is shown.
  QPushButton* CopyButton() const { return Copy_; }
  std::function<void(const QString& derivative)> OnCopyToExpressions;
  // The panes' font, as the main window's Font menu sets it.
  void SetFontPixels(int pixels);
  QPlainTextEdit* DerivativePane() const { return Derivative_; }
  QSplitter* Splitter() const { return Splitter_; }

 public slots:
  void Differentiate();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TDifferentiation Core_;
  QPlainTextEdit* Expression_;
  QLineEdit* Variable_;
  QPushButton* Button_;
  QPushButton* Copy_;
  QPlainTextEdit* Derivative_;
  QSplitter* Splitter_;
};

}  // namespace helmax
