// Host-side wording of the engine's error state: the one line that a window
// (or the command line) shows for a failed compile or evaluation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace helmax {

class THelmaxComplexEval;

enum class TErrorSide { Parse, Execute };

// The line for an error state. externalNames holds the registered names of
// the engine's external functions, in registration order (function number
// 98 + k is externalNames[k]).
std::string FormatErrorLine(TErrorSide side, int errorCode, int mathErrorKind, std::string_view errorMessage,
                            const std::vector<std::string>& externalNames);

// The two formatter handlers, bound to OnParseError and OnExecuteError.
std::string ParseErrorLine(const THelmaxComplexEval& engine);
std::string ExecuteErrorLine(const THelmaxComplexEval& engine);

// The line of the engine's error state with a prefix in front, as the
// windows that show engine errors in message boxes word it ("First
// expression -> Division by 0").
std::string PrefixedErrorLine(std::string_view prefix, TErrorSide side, const THelmaxComplexEval& engine);

}  // namespace helmax
