// TEquivalenceWindow "Are expressions equivalent?": two expressions and the
// Test command, which shows the verdict in a message box. It forwards to
// the core's TEquivalenceTest; its message-box error handlers serve other
// windows' engines too (ErrorMessages()).
#pragma once

#include <QAction>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QWidget>

#include "EquivalenceTest.h"

namespace helmax {

class TEquivalenceWindow : public QWidget {
  Q_OBJECT
 public:
  // ui: where the verdict and the error messages go.
  TEquivalenceWindow(TUserInterface& ui, QWidget* owner);

  QPlainTextEdit* FirstPane() const { return First_; }
  QPlainTextEdit* SecondPane() const { return Second_; }
  QAction* TestAction() const { return Test_; }
  QSplitter* Splitter() const { return Splitter_; }
  TEngineErrorMessages& ErrorMessages() { return Core_.ErrorMessages(); }
  // The panes' font, as the main window's Font menu sets it.
  void SetFontPixels(int pixels);

 public slots:
  void Test();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TEquivalenceTest Core_;
  QPlainTextEdit* First_;
  QPlainTextEdit* Second_;
  QAction* Test_;
  QSplitter* Splitter_;
};

}  // namespace helmax
