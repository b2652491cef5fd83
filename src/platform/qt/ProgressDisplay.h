// A run of a window's long work in its status bar: a progress bar that
// follows the work's TProgress, an optional line saying what runs, and a
// Cancel button.
#pragma once

#include <QLabel>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QString>
#include <QTimer>
#include <functional>

#include "Progress.h"

namespace helmax {

struct TProgressLook {
  QString CancelTip = "Stops the calculation (Esc)";
  int BarWidth = 200;
  // 0: the bar shows at once, busy until the work knows its size, in tenths
  // of a percent while they are what moves. Otherwise it shows only after
  // this many ticks of work of a known size (short work shows nothing),
  // never while a message waits for the user, in whole percents.
  int ShowAfterTicks = 0;
  // A line before the bar saying what runs (the text given to Start).
  bool WithActivity = false;
};

class TProgressDisplay : public QObject {
  Q_OBJECT
 public:
  TProgressDisplay(QStatusBar* bar, const TProgressLook& look, std::function<void()> cancel, QObject* parent);
  void Start(const TProgress* progress, const QString& activity = {});
  void Stop();
  bool Running() const { return Running_; }
  QPushButton* CancelButton() const { return Cancel_; }

  // Called just before a run that shows late first shows (to bring its
  // window up, say).
  std::function<void()> BeforeShowing;

  static constexpr int kTickMilliseconds = 100;

 private:
  void Update();
  void SetVisible(bool visible);
  TProgressLook Look_;
  QLabel* Activity_ = nullptr;
  QProgressBar* Bar_;
  QPushButton* Cancel_;
  QTimer* Timer_;
  const TProgress* Progress_ = nullptr;
  bool Running_ = false;
  int Ticks_ = 0;
};

}  // namespace helmax
