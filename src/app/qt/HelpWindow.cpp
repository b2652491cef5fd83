#include "HelpWindow.h"
#include "WindowKit.h"

#include <QVBoxLayout>

namespace helmax {

THelpWindow::THelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), Search_(new QLineEdit), Text_(new QPlainTextEdit) {
  setObjectName("helpWindow");
  setWindowTitle("Help");
  CloseOnEscape(this);
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
  ShowInFront(this);
}

// Only the entries that hold the wanted text (case ignored); all of them
// when the box is empty. An entry is a line with the indented lines below it
// (a function's line and its description).
void THelpWindow::Filter(const QString& wanted) {
  const QString key = wanted.trimmed();
  if (key.isEmpty()) {
    Text_->setPlainText(All_);
    return;
  }
  QStringList kept, entry;
  bool matches = false;
  auto close = [&] {
    if (matches) kept << entry;
    entry.clear();
    matches = false;
  };
  for (const QString& line : All_.split('\n')) {
    if (!line.startsWith(' ')) close();
    entry << line;
    matches = matches || line.contains(key, Qt::CaseInsensitive);
  }
  close();
  Text_->setPlainText(kept.join('\n'));
}

}  // namespace helmax
