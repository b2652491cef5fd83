// A run of a window's long work in its status bar.
#include "ProgressDisplay.h"

#include <QApplication>
#include <algorithm>

namespace helmax {

namespace {
constexpr int kBarSteps = 1000;  // QProgressBar counts in int: large totals are scaled down
}  // namespace

TProgressDisplay::TProgressDisplay(QStatusBar* bar, const TProgressLook& look, std::function<void()> cancel,
                                   QObject* parent)
    : QObject(parent),
      Look_(look),
      Bar_(new QProgressBar),
      Cancel_(new QPushButton("Cancel")),
      Timer_(new QTimer(this)) {
  if (Look_.WithActivity) {
    Activity_ = new QLabel;
    Activity_->setObjectName("activity");
    bar->addPermanentWidget(Activity_);
  }
  Bar_->setObjectName("progress");
  Bar_->setMaximumWidth(Look_.BarWidth);
  Bar_->setRange(0, kBarSteps);
  Bar_->setTextVisible(true);
  Cancel_->setObjectName("cancel");
  Cancel_->setToolTip(Look_.CancelTip);
  bar->addPermanentWidget(Bar_);
  bar->addPermanentWidget(Cancel_);
  SetVisible(false);
  connect(Cancel_, &QPushButton::clicked, this, [cancel = std::move(cancel)] {
    if (cancel) cancel();
  });
  Timer_->setInterval(kTickMilliseconds);
  connect(Timer_, &QTimer::timeout, this, &TProgressDisplay::Update);
}

void TProgressDisplay::Start(const TProgress* progress, const QString& activity) {
  Progress_ = progress;
  Running_ = true;
  Ticks_ = 0;
  if (Activity_ != nullptr) Activity_->setText(activity);
  if (Look_.ShowAfterTicks == 0) {
    Bar_->setRange(0, 0);  // busy until the work counts
    SetVisible(true);
  }
  Timer_->start();
}

void TProgressDisplay::Stop() {
  Running_ = false;
  Timer_->stop();
  SetVisible(false);
}

void TProgressDisplay::SetVisible(bool visible) {
  if (Activity_ != nullptr) Activity_->setVisible(visible);
  Bar_->setVisible(visible);
  Cancel_->setVisible(visible);
}

void TProgressDisplay::Update() {
  if (Progress_ == nullptr) return;
  const std::int64_t total = Progress_->Total.load(std::memory_order_relaxed);
  const std::int64_t done = Progress_->Done.load(std::memory_order_relaxed);
  if (total <= 0) return;
  const double share = std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0);
  if (Look_.ShowAfterTicks > 0) {
    // Nothing while a message (a refusal, say) waits for the user.
    if (QApplication::activeModalWidget() != nullptr) return;
    if (++Ticks_ < Look_.ShowAfterTicks) return;
    if (!Bar_->isVisible() && BeforeShowing) BeforeShowing();
    SetVisible(true);
    Bar_->setValue(static_cast<int>(kBarSteps * share));
    return;
  }
  Bar_->setRange(0, kBarSteps);
  Bar_->setValue(static_cast<int>(kBarSteps * share));
  // Tenths of a percent while they are what moves (a long run's start).
  const int value = Bar_->value();
  Bar_->setFormat(value < 100 ? QString("%1.%2%").arg(value / 10).arg(value % 10) : QString("%p%"));
}

}  // namespace helmax
