// TMainWindow's panes: how they are built and laid out, and how they show
// the core's state (texts, results, errors, names, colours).
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

#include "ConstantListWindow.h"
#include "DerivativeWindow.h"
#include "EquivalenceWindow.h"
#include "FixedTexts.h"
#include "FunctionVariableDialog.h"
#include "IntegrationWindow.h"
#include "LinearSystemWindow.h"
#include "MainWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

void TMainWindow::BuildPanes() {
  DefinitionsPane_ = new QPlainTextEdit;
  DefinitionsPane_->setObjectName("definitionsPane");
  ExpressionsPane_ = new QPlainTextEdit;
  ExpressionsPane_->setObjectName("expressionsPane");
  ResultsPane_ = new QPlainTextEdit;
  ResultsPane_->setObjectName("resultsPane");
  ResultsPane_->setReadOnly(true);
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) {
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves between the panes: the engine takes no tab for a blank.
    pane->setTabChangesFocus(true);
    pane->installEventFilter(this);
  }
  DefinitionsPane_->setPlainText(QString::fromStdString(Calc_->Definitions()));
  DefinitionsGroup_ = Group("User variables and functions ", DefinitionsPane_, kMinimumPane);
  ExpressionsGroup_ = Group(texts::kMathematicalExpressionsSection, ExpressionsPane_, kMinimumPane);
  ResultsGroup_ = Group("Results", ResultsPane_, kMinimumPane);
  Splitter_ = new QSplitter(Qt::Vertical);
  Splitter_->setChildrenCollapsible(false);
  Splitter_->addWidget(DefinitionsGroup_);
  Splitter_->addWidget(ExpressionsGroup_);
  Splitter_->addWidget(ResultsGroup_);
  Splitter_->setStretchFactor(2, 1);
  setCentralWidget(Splitter_);
  DefinitionsHelp_ = new TPaneTypingHelp(DefinitionsPane_, Names_);
  ExpressionsHelp_ = new TPaneTypingHelp(ExpressionsPane_, Names_);
  // Typing evaluates; the name being typed gets its completions. Only
  // edits count: highlighting the panes again (new names) is no edit,
  // though the document reports it as a change.
  connect(DefinitionsPane_, &QPlainTextEdit::textChanged, this, [this] {
    if (DefinitionsHelp_->Rehighlighting()) return;
    DefinitionsChanged();
    if (DefinitionsPane_->hasFocus()) DefinitionsHelp_->OfferCompletions(false);
  });
  connect(ExpressionsPane_, &QPlainTextEdit::textChanged, this, [this] {
    if (ExpressionsHelp_->Rehighlighting()) return;
    ExpressionsChanged();
    if (ExpressionsPane_->hasFocus()) ExpressionsHelp_->OfferCompletions(false);
  });
  ResultsPane_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ResultsPane_, &QWidget::customContextMenuRequested, this, &TMainWindow::ShowResultsMenu);
  // Aligned results scroll with their expressions.
  connect(ExpressionsPane_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (AlignedResults_) ResultsPane_->verticalScrollBar()->setValue(v);
  });
  connect(ResultsPane_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (AlignedResults_) ExpressionsPane_->verticalScrollBar()->setValue(v);
  });
  installEventFilter(this);
}

// ---- presenting the core ------------------------------------------------------

void TMainWindow::SetPaneText(QPlainTextEdit* pane, const std::string& text) {
  const QString wanted = QString::fromStdString(text);
  if (pane->toPlainText() == wanted) return;
  const QSignalBlocker quiet(pane);  // set by the program: not an edit
  pane->setPlainText(wanted);
}

void TMainWindow::SyncFromCore() {
  if (Runner_->Busy()) return;
  // Only what the core itself put in a pane (a document, Undo, Clear) goes
  // in: text typed meanwhile, which the core has not taken yet, stays.
  if (Calc_->Definitions() != DefinitionsTaken_) {
    SetPaneText(DefinitionsPane_, Calc_->Definitions());
    DefinitionsTaken_ = Calc_->Definitions();
  }
  if (Calc_->Expressions() != ExpressionsTaken_) {
    SetPaneText(ExpressionsPane_, Calc_->Expressions());
    ExpressionsTaken_ = Calc_->Expressions();
  }
  SyncNames();
  ShowResults();
  ShowDefinitionsError();
  Panels_[0]->setText(QString::fromStdString(Calc_->FormatPanelText()));
  Panels_[1]->setText(QString::fromStdString(Calc_->HistoryPanelText()));
  Panels_[2]->setText(QString::fromStdString(Calc_->MemoryPanelText()));
  setWindowTitle(QString::fromStdString(Calc_->Caption()));
  Undo_->setEnabled(Calc_->History().UndoEnabled());
  Redo_->setEnabled(Calc_->History().RedoEnabled());
  Save_->setEnabled(Calc_->DocumentFileValid());
  if (QAction* a = Action("errorMessage"); a->isChecked() != Calc_->ErrorMessageView()) {
    const QSignalBlocker quiet(a);
    a->setChecked(Calc_->ErrorMessageView());
  }
  Action(Calc_->CurrencyMode() ? "currency" : "scientific")->setChecked(true);
}

// The definitions' own error stays in sight in their group's title (cut to
// fit; the whole line in the tooltip) while the results pane may say
// something else.
void TMainWindow::ShowDefinitionsError() {
  static const QString kTitle = "User variables and functions ";
  const QString error = QString::fromStdString(Calc_->DefinitionsError());
  if (error.isEmpty()) {
    DefinitionsGroup_->setTitle(kTitle);
    DefinitionsGroup_->setToolTip(QString());
    return;
  }
  const QFontMetrics metrics(DefinitionsGroup_->font());
  const int room = std::max(80, DefinitionsGroup_->width() - metrics.horizontalAdvance(kTitle) - 40);
  DefinitionsGroup_->setTitle(kTitle + QString::fromUtf8("\u2014 ") + metrics.elidedText(error, Qt::ElideRight, room));
  DefinitionsGroup_->setToolTip(error);
}

// The catalogue of names follows the definitions and constants, and with it
// the highlighting and the completions.
void TMainWindow::SyncNames() {
  if (Calc_->NamesVersion() == NamesShown_) return;
  NamesShown_ = Calc_->NamesVersion();
  Names_.Rebuild(Calc_->DefinitionsEngine(), Calc_->Constants());
  DefinitionsHelp_->NamesChanged();
  ExpressionsHelp_->NamesChanged();
}

// The results, on the lines of their expressions when asked for and the
// pane holds one expression per line; the place of a failure is marked.
void TMainWindow::ShowResults() {
  QString shown = QString::fromStdString(Calc_->Results());
  if (Calc_->ResultsShown() && !Calc_->PartialResults()) {
    const std::string& all = Calc_->Results();
    const std::size_t lastLine = all.rfind('\n');
    const QString last = QString::fromStdString(lastLine == std::string::npos ? all : all.substr(lastLine + 1));
    if (!last.isEmpty()) LastResult_ = last;
  }
  if (AlignedResults_ && Calc_->ResultsShown()) {
    if (const auto lines = ExpressionLines(Calc_->Expressions())) {
      std::vector<std::string> results;
      for (const QString& r : shown.split('\n')) results.push_back(r.toStdString());
      if (results.size() == lines->size())
        shown = QString::fromStdString(AlignedResults(results, *lines, ExpressionsPane_->blockCount()));
    }
  }
  ResultsPane_->setPlainText(shown);
  if (AlignedResults_) ResultsPane_->verticalScrollBar()->setValue(ExpressionsPane_->verticalScrollBar()->value());
  if (const auto& range = Calc_->ExpressionsErrorRange()) {
    const std::string& text = Calc_->Expressions();
    auto at = [&](std::size_t byte) {
      return static_cast<int>(
          QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(byte, text.size()))).size());
    };
    ExpressionsHelp_->MarkError(at(range->first), at(range->second));
  } else {
    ExpressionsHelp_->MarkError(0, 0);
  }
}

void TMainWindow::ShowResultsMenu(const QPoint& at) {
  QMenu menu(this);
  const QString line = ResultsPane_->cursorForPosition(at).block().text();
  QAction* one = menu.addAction("Copy &result");
  one->setEnabled(!line.isEmpty());
  connect(one, &QAction::triggered, this, [line] { QApplication::clipboard()->setText(line); });
  connect(menu.addAction("Copy &all results"), &QAction::triggered, this,
          [this] { QApplication::clipboard()->setText(ResultsPane_->toPlainText()); });
  menu.exec(ResultsPane_->viewport()->mapToGlobal(at));
}

// Ctrl+R: the last result that was shown goes in at the cursor, also while
// the pane does not compile (2+3* waits for its operand).
void TMainWindow::InsertLastResult() {
  if (!LastResult_.isEmpty()) ExpressionsPane_->insertPlainText(LastResult_);
}

// A new expression after the pane's last one, on a line of its own, as if
// typed there: the pane is evaluated again.
void TMainWindow::AppendExpression(const QString& expression) {
  const QString pane = ExpressionsPane_->toPlainText();
  int trailing = 0;  // blanks after the last expression go
  while (trailing < pane.size() && pane[pane.size() - 1 - trailing].isSpace()) ++trailing;
  QString added = expression;
  if (trailing < pane.size()) added.prepend(pane[pane.size() - 1 - trailing] == ',' ? "\n" : ",\n");
  QTextCursor end(ExpressionsPane_->document());
  end.movePosition(QTextCursor::End);
  if (trailing > 0) end.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, trailing);
  end.insertText(added);
  ExpressionsPane_->setTextCursor(end);
}

void TMainWindow::ClearResults() {
  Calc_->ClearResults();
  ResultsPane_->clear();
}

// ---- view ---------------------------------------------------------------------------

void TMainWindow::SetFont(int pixels) {
  FontPixels_ = pixels;
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) SetFontSize(pane, pixels);
  Variable_->SetFontPixels(pixels);
  Constants_->SetFontPixels(pixels);
  Derivative_->SetFontPixels(pixels);
  Equivalence_->SetFontPixels(pixels);
  if (LinearSystem_ != nullptr) LinearSystem_->SetFontPixels(pixels);
  if (Integration_ != nullptr) Integration_->SetFontPixels(pixels);
  FitMinimumHeights();
}

// No group gets smaller than one line of its pane's font (nor 50 pixels).
void TMainWindow::FitMinimumHeights() {
  const QFontMetrics metrics(ExpressionsPane_->font());
  const int frame = 2 * ExpressionsPane_->frameWidth();
  const int document = 2 * static_cast<int>(ExpressionsPane_->document()->documentMargin());
  const int paneHeight = metrics.lineSpacing() + frame + document;
  for (QPlainTextEdit* pane : {DefinitionsPane_, ExpressionsPane_, ResultsPane_}) pane->setMinimumHeight(paneHeight);
  int group = 0;
  for (QGroupBox* box : {DefinitionsGroup_, ExpressionsGroup_, ResultsGroup_})
    group = std::max(group, box->minimumSizeHint().height());
  MinimumPane_ = std::max(kMinimumPane, group);
  for (QGroupBox* box : {DefinitionsGroup_, ExpressionsGroup_, ResultsGroup_}) box->setMinimumHeight(MinimumPane_);
  // Groups that are now too small take the height from the largest.
  QList<int> sizes = Splitter_->sizes();
  for (int i = 0; i < sizes.size(); ++i) {
    if (sizes[i] == 0 || sizes[i] >= MinimumPane_) continue;
    const int need = MinimumPane_ - sizes[i];
    const int donor = static_cast<int>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    sizes[donor] -= need;
    sizes[i] += need;
  }
  Splitter_->setSizes(sizes);
}

QColor TMainWindow::PaneColor(TPaneColor color, bool darkPalette) {
  if (color == TPaneColor::Money) return darkPalette ? QColor(28, 56, 34) : QColor(192, 220, 192);
  return darkPalette ? QColor(20, 44, 64) : QColor(169, 205, 225);
}

void TMainWindow::SetExpressionsColor(TPaneColor color) {
  ExpressionsColor_ = color;
  ApplyColors();
}

// The panes follow the desktop's palette: the expressions pane takes the
// counterpart of its colour that suits it, and the typing help colours
// read well on each pane's background.
void TMainWindow::ApplyColors() {
  const QPalette desktop = QApplication::palette(DefinitionsPane_);
  const bool dark = desktop.color(QPalette::Base).lightness() < 128;
  QPalette p = ExpressionsPane_->palette();
  p.setColor(QPalette::Base, PaneColor(ExpressionsColor_, dark));
  p.setColor(QPalette::Text, desktop.color(QPalette::Text));
  ExpressionsPane_->setPalette(p);
  DefinitionsHelp_->SetColors(TTypingColors::For(desktop.color(QPalette::Base)));
  ExpressionsHelp_->SetColors(TTypingColors::For(PaneColor(ExpressionsColor_, dark)));
}

// Hiding gives the definitions group's height to the expressions group;
// showing takes the remembered height back from it.
void TMainWindow::SetUserFunctionsVisible(bool visible) {
  QList<int> sizes = Splitter_->sizes();
  if (!visible) {
    const int height = DefinitionsGroup_->isVisible() ? sizes[0] : 2;
    SavedDefinitionsHeight_ = height <= 2 ? MinimumPane_ : height;
    DefinitionsGroup_->hide();
    sizes[1] += sizes[0];
    sizes[0] = 0;
  } else {
    DefinitionsGroup_->show();
    const int give = std::max(0, std::min(SavedDefinitionsHeight_ - 2, sizes[1] - MinimumPane_));
    sizes[0] = std::max(MinimumPane_, give);
    sizes[1] -= give;
  }
  Splitter_->setSizes(sizes);
}

// The pane with the focus grows (or shrinks): the definitions or the
// expressions group, or the window's height for the results.
void TMainWindow::ResizeFocusedPane(int delta) {
  QWidget* focused = focusWidget();
  if (focused == DefinitionsPane_) ResizeGroup(0, delta);
  else if (focused == ExpressionsPane_) ResizeGroup(1, delta);
  else if (focused == ResultsPane_) resize(width(), height() + delta);
}

// Grows (or shrinks) the definitions (0) or expressions (1) group, taking
// the height from the results group; no pane goes under its minimum.
void TMainWindow::ResizeGroup(int pane, int delta) {
  QList<int> sizes = Splitter_->sizes();
  if (sizes[pane] + delta < MinimumPane_ || sizes[2] - delta < MinimumPane_) return;
  sizes[pane] += delta;
  sizes[2] -= delta;
  Splitter_->setSizes(sizes);
}

}  // namespace helmax
