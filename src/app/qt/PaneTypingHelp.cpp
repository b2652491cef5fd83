#include "PaneTypingHelp.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <cmath>

namespace helmax {

namespace {

// Roles of the completion items: the name (what the list matches and
// inserts; the display role shows arguments and help too) and whether it
// takes arguments.
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kTakesArgumentsRole = Qt::UserRole + 2;

double Luminance(const QColor& c) {
  auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) { return Contrast(a, b); }

namespace {

// The colour moved toward black (on a light background) or white (on a
// dark one) until it reads well there.
QColor Readable(QColor color, const QColor& background) {
  const bool dark = Luminance(background) < 0.2;
  for (int step = 0; step < 40 && Contrast(color, background) < 4.5; ++step)
    color = dark ? color.lighter(108) : color.darker(108);
  if (Contrast(color, background) < 4.5) color = dark ? Qt::white : Qt::black;
  return color;
}

QTextCharFormat Foreground(const QColor& color, const QColor& background, bool bold = false) {
  QTextCharFormat f;
  f.setForeground(Readable(color, background));
  if (bold) f.setFontWeight(QFont::DemiBold);
  return f;
}

}  // namespace

TTypingColors TTypingColors::For(const QColor& background) {
  const bool dark = Luminance(background) < 0.2;
  TTypingColors c;
  auto set = [&](TTokenClass cls, QColor light, QColor onDark, bool bold = false) {
    c.Classes[static_cast<std::size_t>(cls)] = Foreground(dark ? onDark : light, background, bold);
  };
  set(TTokenClass::Number, QColor(0x1a, 0x4f, 0xa0), QColor(0x8c, 0xc4, 0xff));
  set(TTokenClass::DateTime, QColor(0x00, 0x6d, 0x6d), QColor(0x6f, 0xe0, 0xd8));
  set(TTokenClass::Builtin, QColor(0x7a, 0x1d, 0x7a), QColor(0xe6, 0x9a, 0xf0), true);
  set(TTokenClass::PackFunction, QColor(0x5a, 0x32, 0x9a), QColor(0xc3, 0xa6, 0xff), true);
  set(TTokenClass::UserFunction, QColor(0x1c, 0x64, 0x1c), QColor(0x92, 0xe6, 0x8c), true);
  set(TTokenClass::Variable, QColor(0x6b, 0x3e, 0x00), QColor(0xff, 0xd2, 0x8a));
  set(TTokenClass::Constant, QColor(0x9a, 0x30, 0x00), QColor(0xff, 0xaa, 0x80));
  set(TTokenClass::Operator, QColor(0x44, 0x44, 0x44), QColor(0xd0, 0xd0, 0xd0));
  QTextCharFormat& unknown = c.Classes[static_cast<std::size_t>(TTokenClass::Unknown)];
  unknown = Foreground(dark ? QColor(0xff, 0x9a, 0x6a) : QColor(0xa8, 0x3c, 0x00), background);
  unknown.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  unknown.setUnderlineColor(dark ? QColor(0xff, 0xb0, 0x40) : QColor(0xd0, 0x80, 0x00));

  c.BracketPair.setBackground(dark ? QColor(0x3c, 0x5a, 0x78) : QColor(0xff, 0xe4, 0x8a));
  c.BracketPair.setFontWeight(QFont::Bold);
  c.BracketAlone.setBackground(dark ? QColor(0x8a, 0x22, 0x22) : QColor(0xff, 0xa0, 0xa0));
  c.Error.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  c.Error.setUnderlineColor(dark ? QColor(0xff, 0x60, 0x60) : QColor(0xd0, 0x00, 0x00));
  return c;
}

// ---- highlighting ----------------------------------------------------------------------------

TPaneHighlighter::TPaneHighlighter(QPlainTextEdit* pane, const TNameCatalogue& names)
    : QSyntaxHighlighter(pane->document()), Pane_(pane), Names_(names), Rest_(new QTimer(this)) {
  Rest_->setInterval(0);
  connect(Rest_, &QTimer::timeout, this, &TPaneHighlighter::RehighlightSomeMore);
}

void TPaneHighlighter::SetColors(const TTypingColors& colors) {
  Colors_ = colors;
  NamesChanged();
}

void TPaneHighlighter::highlightBlock(const QString& text) {
  // The classifier reads bytes; a line that is not plain ASCII needs the
  // byte-to-character map.
  Utf8_ = text.toStdString();
  const bool ascii = static_cast<int>(Utf8_.size()) == text.size();
  if (!ascii) {
    Index_.assign(Utf8_.size() + 1, 0);
    int at = 0;
    for (std::size_t b = 0; b < Utf8_.size();) {
      const unsigned char c = static_cast<unsigned char>(Utf8_[b]);
      std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      length = std::min(length, Utf8_.size() - b);
      for (std::size_t k = 0; k < length; ++k) Index_[b + k] = at;
      at += length == 4 ? 2 : 1;  // beyond the basic plane: a surrogate pair
      b += length;
    }
    Index_[Utf8_.size()] = at;
  }
  auto index = [&](std::uint32_t byte) { return ascii ? static_cast<int>(byte) : Index_[byte]; };
  for (const TTokenSpan& s : Classifier_.Classify(Utf8_, Names_)) {
    const int from = index(s.Start);
    setFormat(from, index(s.Start + s.Length) - from, Colors_.Classes[static_cast<std::size_t>(s.Class)]);
  }
}

void TPaneHighlighter::NamesChanged() {
  QTextDocument* doc = document();
  const QTextBlock first = Pane_->cursorForPosition(QPoint(0, 0)).block();
  const QTextBlock last = Pane_->cursorForPosition(QPoint(0, Pane_->viewport()->height())).block();
  Rehighlighting_ = true;
  for (QTextBlock b = first; b.isValid(); b = b.next()) {
    rehighlightBlock(b);
    if (b == last) break;
  }
  Rehighlighting_ = false;
  if (doc->blockCount() > 1) {
    NextBlock_ = 0;
    Rest_->start();
  }
}

void TPaneHighlighter::RehighlightSomeMore() {
  constexpr int kChunk = 400;
  QTextBlock b = document()->findBlockByNumber(NextBlock_);
  Rehighlighting_ = true;
  for (int n = 0; n < kChunk && b.isValid(); ++n, b = b.next()) rehighlightBlock(b);
  Rehighlighting_ = false;
  NextBlock_ += kChunk;
  if (!b.isValid()) Rest_->stop();
}

// ---- the pane's help ---------------------------------------------------------------------------

TPaneTypingHelp::TPaneTypingHelp(QPlainTextEdit* pane, const TNameCatalogue& names)
    : QObject(pane),
      Pane_(pane),
      Names_(names),
      Highlighter_(new TPaneHighlighter(pane, names)),
      Completer_(new QCompleter(this)),
      Model_(new QStandardItemModel(this)) {
  Completer_->setModel(Model_);
  Completer_->setWidget(Pane_);
  Completer_->setCaseSensitivity(Qt::CaseInsensitive);
  Completer_->setCompletionRole(kNameRole);
  Completer_->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
  Completer_->setMaxVisibleItems(10);
  connect(Completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this, &TPaneTypingHelp::InsertCompletion);
  // Runs before the completer's own filter, which hands these keys to the
  // pane first (where Tab moves the focus and Enter starts a line).
  Completer_->popup()->installEventFilter(this);
  connect(Pane_, &QPlainTextEdit::cursorPositionChanged, this, &TPaneTypingHelp::UpdateMarks);
}

void TPaneTypingHelp::SetColors(const TTypingColors& colors) {
  Colors_ = colors;
  Highlighter_->SetColors(colors);
  UpdateMarks();
}

void TPaneTypingHelp::NamesChanged() {
  Model_->clear();
  for (const TNameEntry& e : Names_.Entries()) {
    QString shown = QString::fromStdString(e.Name + e.Arguments);
    // The plain-English description where there is one, the help line
    // otherwise; the tool tip has both.
    QString help = QString::fromStdString(e.Description.empty() ? e.Help : e.Description);
    if (help.size() > 90) help = help.left(89) + QString::fromUtf8("\u2026");
    if (!help.isEmpty()) shown += QString::fromUtf8("   \u2014 ") + help;
    auto* item = new QStandardItem(shown);
    item->setData(QString::fromStdString(e.Name), kNameRole);
    item->setData(!e.Arguments.empty(), kTakesArgumentsRole);
    item->setToolTip(QString::fromStdString(e.Description.empty() ? e.Help : e.Help + "\n" + e.Description));
    Model_->appendRow(item);
  }
  Highlighter_->NamesChanged();
}

QString TPaneTypingHelp::WordBeforeCursor() const {
  const QTextCursor cursor = Pane_->textCursor();
  const QString line = cursor.block().text();
  int from = cursor.positionInBlock();
  auto nameChar = [](QChar c) { return (c.isLetterOrNumber() && c.unicode() < 128) || c == '_'; };
  while (from > 0 && nameChar(line[from - 1])) --from;
  const QString word = line.mid(from, cursor.positionInBlock() - from);
  if (word.isEmpty() || word[0].isDigit()) return QString();
  return word;
}

void TPaneTypingHelp::OfferCompletions(bool force) {
  const QString word = WordBeforeCursor();
  QAbstractItemView* popup = Completer_->popup();
  if (word.size() < (force ? 0 : 2)) {
    popup->hide();
    return;
  }
  Completer_->setCompletionPrefix(word);
  if (Completer_->completionCount() == 0 || (!force && Completer_->completionCount() == 1 &&
                                             Completer_->currentCompletion().compare(word, Qt::CaseInsensitive) == 0)) {
    popup->hide();  // nothing to offer, or the name is typed out already
    return;
  }
  QRect at = Pane_->cursorRect();
  at.setWidth(std::min(Pane_->viewport()->width(),
                       popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width()));
  Completer_->complete(at);
  popup->setCurrentIndex(Completer_->completionModel()->index(0, 0));
}

bool TPaneTypingHelp::eventFilter(QObject* watched, QEvent* event) {
  QAbstractItemView* popup = Completer_->popup();
  if (watched != popup || event->type() != QEvent::KeyPress || !popup->isVisible()) return false;
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab: {
      const QModelIndex chosen = popup->currentIndex();
      popup->hide();
      if (chosen.isValid()) InsertCompletion(chosen);
      return true;
    }
    case Qt::Key_Backtab:
    case Qt::Key_Escape: popup->hide(); return true;
    default: return false;
  }
}

void TPaneTypingHelp::InsertCompletion(const QModelIndex& index) {
  const QString name = index.data(kNameRole).toString();
  QTextCursor cursor = Pane_->textCursor();
  cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, WordBeforeCursor().size());
  cursor.insertText(index.data(kTakesArgumentsRole).toBool() ? name + "(" : name);
  Pane_->setTextCursor(cursor);
}

void TPaneTypingHelp::MarkError(int from, int to) {
  ErrorFrom_ = from;
  ErrorTo_ = to;
  UpdateMarks();
}

// The error's place, and the bracket at the cursor with its partner (or
// alone, when it has none).
void TPaneTypingHelp::UpdateMarks() {
  QList<QTextEdit::ExtraSelection> marks;
  QTextDocument* doc = Pane_->document();
  if (ErrorTo_ > ErrorFrom_ && ErrorTo_ <= doc->characterCount()) {
    QTextEdit::ExtraSelection error;
    error.cursor = QTextCursor(doc);
    error.cursor.setPosition(ErrorFrom_);
    error.cursor.setPosition(ErrorTo_, QTextCursor::KeepAnchor);
    error.format = Colors_.Error;
    marks.append(error);
  }
  const int pos = Pane_->textCursor().position();
  constexpr int kReach = 4000;  // a partner farther away than this is not looked for
  const int from = std::max(0, pos - kReach);
  QTextCursor window(doc);
  window.setPosition(from);
  window.setPosition(std::min(doc->characterCount() - 1, pos + kReach), QTextCursor::KeepAnchor);
  const std::u16string text = window.selectedText().toStdU16String();
  for (int at : {pos, pos - 1}) {  // the bracket after the cursor, else the one before it
    const long here = at - from;
    if (here < 0) continue;
    const long partner = MatchingBracket(text, static_cast<std::size_t>(here));
    if (partner == -2) continue;
    auto mark = [&](long offset, const QTextCharFormat& format) {
      QTextEdit::ExtraSelection s;
      s.cursor = QTextCursor(doc);
      s.cursor.setPosition(from + static_cast<int>(offset));
      s.cursor.setPosition(from + static_cast<int>(offset) + 1, QTextCursor::KeepAnchor);
      s.format = format;
      marks.append(s);
    };
    if (partner >= 0) {
      mark(here, Colors_.BracketPair);
      mark(partner, Colors_.BracketPair);
    } else {
      mark(here, Colors_.BracketAlone);
    }
    break;
  }
  Pane_->setExtraSelections(marks);
}

}  // namespace helmax
