// What long numerical work shares with whoever waits for it: a test that
// tells it to stop, and a counter of the work done (TProgress) that another
// thread may read to show progress.
#pragma once

#include <functional>

#include "Progress.h"

namespace helmax {

// True once the work should end (the user cancelled it).
using TStopTest = std::function<bool()>;

inline bool StopAsked(const TStopTest& stop) { return stop && stop(); }

// Thrown by long work that was told to stop; the work leaves its inputs as
// they were.
struct TWorkStopped {};

}  // namespace helmax
