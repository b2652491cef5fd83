#include "HelpWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace helmax {

THelpWindow::THelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), Search_(new QLineEdit), Text_(new QPlainTextEdit) {
  setObjectName("helpWindow");
  setWindowTitle("Help");
  Text_->setReadOnly(true);
  Text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  Text_->setFont(mono);
  Search_->setObjectName("helpSearch");
  Search_->setPlaceholderText("Search");
  Search_->setClearButtonEnabled(true);
  connect(Search_, &QLineEdit::textChanged, this, &THelpWindow::Filter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(Search_);
  layout->addWidget(Text_);
  resize(620, 560);
}

void THelpWindow::ShowHelp(const QString& text) {
  All_ = text;
  Filter(Search_->text());
  show();
  raise();
  activateWindow();
}

// Only the lines that hold the wanted text (case ignored); all of them when
// the box is empty.
void THelpWindow::Filter(const QString& wanted) {
  if (wanted.trimmed().isEmpty()) {
    Text_->setPlainText(All_);
    return;
  }
  QStringList kept;
  for (const QString& line : All_.split('\n'))
    if (line.contains(wanted.trimmed(), Qt::CaseInsensitive)) kept << line;
  Text_->setPlainText(kept.join('\n'));
}

void THelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  else QWidget::keyPressEvent(event);
}

}  // namespace helmax
