// The typing help of one editable pane: highlighting of its tokens, marks
// on the bracket at the cursor and its partner, the completion popup, and
// the mark of an error's place. It presents the core's TypingHelp.
#pragma once

#include <QCompleter>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTimer>
#include <array>

#include "TypingHelp.h"

namespace helmax {

// The contrast ratio of two colours (1 to 21), as accessibility guidelines
// measure it: text needs 4.5 to read well.
double ContrastRatio(const QColor& a, const QColor& b);

// Colours of the token classes and marks, chosen for a light or a dark
// pane background.
struct TTypingColors {
  std::array<QTextCharFormat, 9> Classes;  // by TTokenClass
  QTextCharFormat BracketPair, BracketAlone, Error;
  static TTypingColors For(const QColor& background);
};

class TPaneHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  TPaneHighlighter(QPlainTextEdit* pane, const TNameCatalogue& names);
  void SetColors(const TTypingColors& colors);
  // The names changed: the visible lines are highlighted again at once, the
  // others a chunk at a time while the window is idle.
  void NamesChanged();
  // True while the highlighter itself changes the document's formats.
  bool Rehighlighting() const { return Rehighlighting_; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  void RehighlightSomeMore();

  QPlainTextEdit* Pane_;
  const TNameCatalogue& Names_;
  TLineClassifier Classifier_;
  TTypingColors Colors_;
  QTimer* Rest_;
  int NextBlock_ = 0;
  bool Rehighlighting_ = false;
  std::string Utf8_;
  std::vector<int> Index_;  // UTF-16 index of each byte of Utf8_
};

class TPaneTypingHelp : public QObject {
  Q_OBJECT
 public:
  TPaneTypingHelp(QPlainTextEdit* pane, const TNameCatalogue& names);

  void SetColors(const TTypingColors& colors);
  // The catalogue was rebuilt: highlighting and completions follow.
  void NamesChanged();
  // Marks characters [from, to) of the pane as an error; from == to: none.
  void MarkError(int from, int to);
  // Offers the completions of the name being typed (force: even for a
  // single letter, as Ctrl+Space asks).
  void OfferCompletions(bool force);
  QCompleter* Completer() const { return Completer_; }
  bool Rehighlighting() const { return Highlighter_->Rehighlighting(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateMarks();
  void InsertCompletion(const QModelIndex& index);
  QString WordBeforeCursor() const;

  QPlainTextEdit* Pane_;
  const TNameCatalogue& Names_;
  TPaneHighlighter* Highlighter_;
  QCompleter* Completer_;
  QStandardItemModel* Model_;
  TTypingColors Colors_;
  int ErrorFrom_ = 0, ErrorTo_ = 0;
};

}  // namespace helmax
