#include "LinearSystemCommand.h"

#include <iostream>

#include "UserInterface.h"

namespace helmax {
namespace {

// The file's messages ("Bad file format", a read error) on standard error.
class TFileMessages : public TUserInterface {
 public:
  int Count = 0;
  void ShowMessage(const std::string& text) override {
    ++Count;
    std::cerr << "helmax-eval: " << text << '\n';
  }
  bool AskYesNo(const std::string& question) override {
    ShowMessage(question);
    return false;
  }
};

}  // namespace

int RunLinearSystemCommand(const std::string& path, TSystemCommand command, double tolerance, const TStopTest& stop) {
  TLinearSystem system;
  TFileMessages ui;
  std::string variables, equations;
  if (!system.Read(path, variables, equations, ui)) return 2;
  const TSystemOutcome out = system.Run(command, variables, equations, tolerance, stop);
  if (out.Done) {
    std::cout << out.Results << '\n';
    return 0;
  }
  if (!out.Results.empty()) std::cerr << out.Results << '\n';
  for (const std::string& m : out.Messages) std::cerr << m << '\n';
  return 1;
}

}  // namespace helmax
