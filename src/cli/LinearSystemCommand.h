// helmax-eval --linear-system FILE: a saved system solved as the linear
// systems window solves it, its results box on standard output.
#pragma once

#include <string>

#include "LinearSystem.h"
#include "NumericWork.h"

namespace helmax {

// Reads the .sle file and runs the command (Solve, Determinant or Inverse)
// with the calculator's dettolerance. Prints the results box's lines and
// returns 0; on a failure the results box and the messages go to standard
// error and it returns 1; a file that cannot be read or is not a system
// returns 2.
int RunLinearSystemCommand(const std::string& path, TSystemCommand command, double tolerance, const TStopTest& stop);

}  // namespace helmax
