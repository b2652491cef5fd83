#include "ToolHost.h"

#include <algorithm>

#include "NumericWork.h"

namespace helmax {

TRunIndicator::TRunIndicator(QStatusBar* bar, std::function<void()> cancel, QObject* parent)
    : QObject(parent), Bar_(new QProgressBar), Cancel_(new QPushButton("Cancel")), Timer_(new QTimer(this)) {
  Bar_->setObjectName("progress");
  Bar_->setMaximumWidth(200);
  Bar_->setTextVisible(true);
  Cancel_->setObjectName("cancel");
  Cancel_->setToolTip("Stops the calculation (Esc)");
  bar->addPermanentWidget(Bar_);
  bar->addPermanentWidget(Cancel_);
  Bar_->hide();
  Cancel_->hide();
  connect(Cancel_, &QPushButton::clicked, this, [cancel] { cancel(); });
  Timer_->setInterval(100);
  connect(Timer_, &QTimer::timeout, this, &TRunIndicator::Update);
}

void TRunIndicator::Start(const TProgress* progress) {
  Progress_ = progress;
  Running_ = true;
  Bar_->setRange(0, 0);  // busy until the work counts
  Bar_->show();
  Cancel_->show();
  Timer_->start();
}

void TRunIndicator::Stop() {
  Running_ = false;
  Timer_->stop();
  Bar_->hide();
  Cancel_->hide();
}

void TRunIndicator::Update() {
  if (Progress_ == nullptr) return;
  const std::int64_t total = Progress_->Total.load(std::memory_order_relaxed);
  const std::int64_t done = Progress_->Done.load(std::memory_order_relaxed);
  if (total <= 0) return;
  // QProgressBar counts in int: scale large totals down.
  const double share = static_cast<double>(done) / static_cast<double>(total);
  const double clamped = std::min(1.0, std::max(0.0, share));
  Bar_->setRange(0, 1000);
  Bar_->setValue(static_cast<int>(1000 * clamped));
  // Tenths of a percent while they are what moves (a long run's start).
  const int value = Bar_->value();
  Bar_->setFormat(value < 100 ? QString("%1.%2%").arg(value / 10).arg(value % 10) : QString("%p%"));
}

}  // namespace helmax
