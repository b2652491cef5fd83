// How the core talks to the person at the keyboard: it shows messages and asks
// Yes/No questions ("ARE YOU SURE ?"). Windows answer with message boxes; the
// command line and the tests use TMessageRecorder.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace helmax {

enum class TAnswer { Yes, No, Cancel };

class TUserInterface {
 public:
  virtual ~TUserInterface() = default;
  // A failure or refusal.
  virtual void ShowMessage(const std::string& text) = 0;
  // A result the user asked for (a verdict); a message like the others
  // unless the interface tells them apart.
  virtual void ShowInformation(const std::string& text) { ShowMessage(text); }
  // True for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // Yes, No or Cancel ("Save changes?"); without a Cancel of its own, an
  // interface answers Yes or No.
  virtual TAnswer AskYesNoCancel(const std::string& question) {
    return AskYesNo(question) ? TAnswer::Yes : TAnswer::No;
  }
};

// Records every message and question. Questions are answered from Answers,
// front first, and with DefaultAnswer once the queue is empty.
class TMessageRecorder : public TUserInterface {
 public:
  std::vector<std::string> Messages;
  std::vector<std::string> Questions;
  std::deque<bool> Answers;
  bool DefaultAnswer = true;
  // Answers to Yes/No/Cancel questions, front first; once empty, those are
  // answered like Yes/No questions.
  std::deque<TAnswer> ChoiceAnswers;

  void ShowMessage(const std::string& text) override { Messages.push_back(text); }

  bool AskYesNo(const std::string& question) override {
    Questions.push_back(question);
    if (Answers.empty()) return DefaultAnswer;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  TAnswer AskYesNoCancel(const std::string& question) override {
    if (ChoiceAnswers.empty()) return TUserInterface::AskYesNoCancel(question);
    Questions.push_back(question);
    const TAnswer answer = ChoiceAnswers.front();
    ChoiceAnswers.pop_front();
    return answer;
  }

  // Forgets the recorded messages and questions; queued answers stay.
  void Clear() {
    Messages.clear();
    Questions.clear();
  }
};

}  // namespace helmax
