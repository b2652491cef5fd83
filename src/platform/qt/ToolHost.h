// What the tool windows need from the calculator's main window: the core,
// the message boxes, and the core's worker, on which every calculation runs
// while the windows stay responsive. The windows include what they use of
// the core themselves.
#pragma once

#include <functional>

#include "UserInterface.h"

namespace helmax {

class TCalculator;
struct TProgress;

struct TToolHost {
  TCalculator* Calc = nullptr;
  TUserInterface* Ui = nullptr;
  // prepare on this thread, work on the core's worker, finish on this
  // thread again (see TMainWindow::RunForTool).
  std::function<void(std::function<void()> prepare, std::function<void()> work, std::function<void()> finish)>
      RunForTool;
  std::function<void()> StopCalculation;      // the tools' work
  std::function<void()> StopMainCalculation;  // the main window's evaluation
  std::function<void()> ShowMain;
  // True while the core's worker has work running or waiting; what a window
  // does by itself (not on a command) waits for it.
  std::function<bool()> CoreBusy;
};

}  // namespace helmax
