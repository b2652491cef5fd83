// TMainWindow's work for the core: the queue of edits, commands and tools'
// work, run in order on the core's worker thread, and how later work stops
// what it replaces.
#include <QApplication>
#include <algorithm>

#include "MainWindow.h"

namespace helmax {

// ---- work for the core --------------------------------------------------------

bool TMainWindow::Idle() const { return !Runner_->Busy() && Queue_.empty() && !Processing_ && !EditTimer_->isActive(); }

bool TMainWindow::MainCalculating() const {
  if (Runner_->Busy() && Running_ != TWork::Tool) return true;
  if (InPause_ || EditTimer_->isActive()) return true;
  return std::any_of(Queue_.begin(), Queue_.end(), [](const TQueued& q) { return q.Kind != TWork::Tool; });
}

void TMainWindow::Enqueue(TWork kind, std::function<void()> prepare, std::function<void()> work) {
  const bool coveredByWaitingEdit = kind != TWork::Command && !Queue_.empty() && Queue_.back().Kind == kind;
  if (!coveredByWaitingEdit) Queue_.push_back({kind, std::move(prepare), std::move(work), {}});
  // What comes later replaces a running evaluation of the same pane, or any
  // evaluation of the expressions; a command replaces anything. An edit of
  // the expressions never stops the definitions, which it needs. A tool's
  // work goes on: an edit of the expressions is evaluated at its next pause
  // (PauseForMain), anything else waits until it is done.
  if (Runner_->Busy() && Running_ == TWork::Tool) {
    if (kind == TWork::ExpressionsEdit) MainWorkWaiting_.store(true);
    if (InPause_ && kind == TWork::ExpressionsEdit) Calc_->RequestStop();
  } else if (Runner_->Busy() && (kind == TWork::Command || kind == Running_ || Running_ == TWork::ExpressionsEdit)) {
    Calc_->RequestStop();
  }
  if (kind == TWork::Command) ProcessQueue();
  else EditTimer_->start();  // typing: once the keystrokes waiting are in
}

void TMainWindow::ProcessQueue() {
  if (Processing_ || Runner_->Busy()) return;  // the running loop below takes it
  Processing_ = true;
  while (!Queue_.empty()) {
    TQueued next = std::move(Queue_.front());
    Queue_.pop_front();
    TBoxesOver over(QtUi_, next.Kind == TWork::Tool ? next.Window.data() : nullptr);
    if (next.Prepare) next.Prepare();
    const std::uint64_t names = Calc_->NamesVersion();
    const std::uint64_t edits = Edits_;
    if (next.Work) {
      Running_ = next.Kind;
      EditsAtRun_ = Edits_;
      Calc_->ClearStopRequest();
      ToolStop_.store(false);
      Calc_->SetStepBudget(Calc_->Settings().TimeLimit * kStepsPerSecond);
      Runner_->Run(next.Work);
      Running_ = TWork::Command;
    }
    if (next.Finish) next.Finish();
    // Definitions typed while a tool ran are compiled now; the expressions
    // are evaluated with them afterwards, so that their results show.
    if (next.Kind == TWork::Tool && Edits_ != edits) {
      const auto lastDefinitions = std::find_if(Queue_.rbegin(), Queue_.rend(),
                                                [](const TQueued& q) { return q.Kind == TWork::DefinitionsEdit; });
      const bool evaluated = std::any_of(Queue_.rbegin(), lastDefinitions,
                                         [](const TQueued& q) { return q.Kind == TWork::ExpressionsEdit; });
      if (lastDefinitions != Queue_.rend() && !evaluated)
        Queue_.push_back({TWork::ExpressionsEdit,
                          [this] { TakeExpressions(); },
                          [this] { Calc_->ExpressionsChanged(TReport::Pane); },
                          {}});
    }
    // A tool that compiled the definitions again (the table does) left the
    // expressions to be evaluated with them: that shows their results.
    const bool evaluateAgain = next.Kind == TWork::Tool && Calc_->NamesVersion() != names &&
                               (Queue_.empty() || Queue_.front().Kind != TWork::ExpressionsEdit);
    if (evaluateAgain)
      Queue_.push_front({TWork::ExpressionsEdit,
                         [this] { TakeExpressions(); },
                         [this] { Calc_->ExpressionsChanged(TReport::Pane); },
                         {}});
    // Only the latest work's results are shown.
    else if (Queue_.empty() || next.Kind == TWork::Command || next.Kind == TWork::Tool) SyncFromCore();
  }
  Processing_ = false;
}

void TMainWindow::RunForTool(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish) {
  // The calculator's own messages during the run (its definitions, say) go
  // over the tool window that started it.
  QWidget* tool = QApplication::activeWindow();
  Queue_.push_back({TWork::Tool, std::move(prepare), std::move(work), std::move(finish),
                    tool != nullptr && tool != this && tool->isWindow() ? tool : nullptr});
  // A tool's command replaces a tool's work that runs; the main window's
  // own evaluation ends first.
  if (Runner_->Busy() && Running_ == TWork::Tool) StopToolWork();
  ProcessQueue();
}

// A tool's Cancel (or Esc in it): only a tool's work stops, also while the
// main window's evaluation runs in one of its pauses.
void TMainWindow::StopCalculation() {
  if (Runner_->Busy() && Running_ == TWork::Tool) StopToolWork();
}

void TMainWindow::StopMainCalculation() {
  if (InPause_ || (Runner_->Busy() && Running_ != TWork::Tool)) Calc_->RequestStop();
}

void TMainWindow::StopToolWork() {
  ToolStop_.store(true);
  if (!InPause_) Calc_->RequestStop();
}

// Runs on the worker, between two pieces of a tool's work: an edit of the
// expressions that waits is evaluated now (the tool's state put aside by
// the tool), so that the main window goes on giving results. Nothing but
// such edits runs here, and not while the definitions are to be compiled
// again.
void TMainWindow::PauseForMain() {
  if (!MainWorkWaiting_.exchange(false)) return;
  std::function<void()> work;
  QMetaObject::invokeMethod(
      this,
      [this, &work] {
        if (Queue_.empty() || Calc_->DefinitionsStale()) return;
        for (const TQueued& q : Queue_)
          if (q.Kind != TWork::ExpressionsEdit) return;
        TQueued next = std::move(Queue_.back());
        Queue_.clear();
        EditTimer_->stop();
        if (next.Prepare) next.Prepare();
        work = std::move(next.Work);
        InPause_ = true;
      },
      Qt::BlockingQueuedConnection);
  if (!work) return;
  const bool toolStop = Calc_->StopRequested() || ToolStop_.load();
  Calc_->ClearStopRequest();
  try {
    work();
  } catch (const std::exception& e) { GuiUi_->ShowMessage(e.what()); }
  QMetaObject::invokeMethod(
      this,
      [this] {
        InPause_ = false;
        // The panes stay as typed; the results and the panels follow.
        ShowResults();
        Panels_[0]->setText(QString::fromStdString(Calc_->FormatPanelText()));
      },
      Qt::BlockingQueuedConnection);
  if (toolStop || ToolStop_.load()) Calc_->RequestStop();
  else Calc_->ClearStopRequest();
}

void TMainWindow::StopAndWait() {
  if (!Runner_->Busy()) return;
  Calc_->RequestStop();
  Runner_->WaitUntilIdle();
}

// ---- the evaluation cycle ----------------------------------------------------

void TMainWindow::DefinitionsChanged() {
  ++Edits_;
  Enqueue(
      TWork::DefinitionsEdit, [this] { TakeDefinitions(); }, [this] { Calc_->DefinitionsChanged(TReport::Pane); });
}

void TMainWindow::ExpressionsChanged() {
  ++Edits_;
  Enqueue(
      TWork::ExpressionsEdit, [this] { TakeExpressions(); }, [this] { Calc_->ExpressionsChanged(TReport::Pane); });
}

// Both panes as they stand, for the commands that keep or write them.
void TMainWindow::EditsChanged() {
  TakeDefinitions();
  TakeExpressions();
}

void TMainWindow::TakeDefinitions() {
  Calc_->SetDefinitions(DefinitionsPane_->toPlainText().toStdString());
  DefinitionsTaken_ = Calc_->Definitions();
}

void TMainWindow::TakeExpressions() {
  Calc_->SetExpressions(ExpressionsPane_->toPlainText().toStdString());
  ExpressionsTaken_ = Calc_->Expressions();
}

}  // namespace helmax
