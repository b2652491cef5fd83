#include "HelpWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace helmax {

THelpWindow::THelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), Text_(new QPlainTextEdit) {
  setObjectName("helpWindow");
  setWindowTitle("Help");
  Text_->setReadOnly(true);
  Text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  Text_->setFont(mono);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Text_);
  resize(620, 560);
}

void THelpWindow::ShowHelp(const QString& text) {
  Text_->setPlainText(text);
  show();
  raise();
  activateWindow();
}

void THelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  else QWidget::keyPressEvent(event);
}

}  // namespace helmax
