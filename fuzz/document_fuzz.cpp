// libFuzzer target for the calculator's files: any bytes read as a document
// or as a history snapshot must be refused with a message or applied, never
// crash, and leave a calculator that still evaluates.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Calculator.h"
#include "TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace helmax;
  const std::string text = DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
  TMessageRecorder ui;
  TCalculator calc(ui);
  calc.LoadDocumentText(text);
  calc.RestoreSnapshot(text);
  // Whatever was loaded, the cycle runs and the state can be written back.
  calc.SetExpressions("1+1");
  calc.ExpressionsChanged();
  const std::string snapshot = calc.TakeSnapshot();
  if (!HoldsBrace(calc.Definitions()) && !HoldsBrace(calc.Expressions()) && !HoldsBrace(calc.Results())) {
    // What the calculator writes, it reads back.
    if (!ReadSnapshotSections(snapshot)) __builtin_trap();
  }
  return 0;
}
