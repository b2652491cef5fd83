#include "HelpWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace helmax {

TForm2::TForm2(QWidget* owner) : QWidget(owner, Qt::Window), Memo1_(new QPlainTextEdit) {
  setObjectName("TForm2");
  setWindowTitle("Help");
  Memo1_->setReadOnly(true);
  Memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  Memo1_->setFont(mono);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo1_);
  resize(620, 560);
}

void TForm2::ShowHelp(const QString& text) {
  Memo1_->setPlainText(text);
  show();
  raise();
  activateWindow();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  else QWidget::keyPressEvent(event);
}

}  // namespace helmax
