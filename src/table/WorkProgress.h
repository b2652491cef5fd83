// What long work of the table shares with whoever waits for it: how far it
// has come (TProgress), the question whether to stop, and how a writer ended.
#pragma once

#include <functional>

#include "Progress.h"

namespace helmax {

// Asked between rows: true ends the work, which then leaves nothing behind.
using TStopQuery = std::function<bool()>;

// How the file writers of the table end.
enum class TWriteOutcome { Written, Failed, Stopped };

}  // namespace helmax
