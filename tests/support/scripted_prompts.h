// A Prompts for tests: records every message, question and status text, answers questions
// by their kind or from a script (then with a default) and the choosers with queued paths.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "operations/install_dialog_state.h"
#include "operations/prompts.h"

namespace krax::test {

class ScriptedPrompts : public Prompts {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<QuestionKind> questionKinds;  // the kind of each of `questions`
  std::vector<std::string> statuses;
  std::map<QuestionKind, bool> answerFor;  // a question of one of these kinds gets this answer
  std::deque<bool> answers;                // else taken in order by Question
  bool defaultAnswer = true;               // once `answers` is empty
  std::deque<std::string> chosen;  // taken in order by ChooseFolder/ChooseFile ("" once empty)
  // The install dialog: each call edits the state and says OK (true) or Cancel; without it
  // the default question is asked. The states shown are kept in `installDialogs`.
  std::function<bool(InstallDialogState&)> installDialog;
  std::vector<InstallDialogState> installDialogs;

  void Message(const std::string& text) override { messages.push_back(text); }
  bool Question(QuestionKind kind, const std::string& text, bool = false) override {
    questions.push_back(text);
    questionKinds.push_back(kind);
    if (const auto fixed = answerFor.find(kind); fixed != answerFor.end()) return fixed->second;
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // A question with Cancel: answered from `choiceFor` by its kind, else as Question answers.
  std::map<QuestionKind, Answer> choiceFor;
  Answer QuestionWithCancel(QuestionKind kind, const std::string& text) override {
    if (const auto fixed = choiceFor.find(kind); fixed != choiceFor.end()) {
      questions.push_back(text);
      questionKinds.push_back(kind);
      return fixed->second;
    }
    return Question(kind, text) ? Answer::kYes : Answer::kNo;
  }
  void Status(const std::string& text) override { statuses.push_back(text); }
  void Busy(bool) override {}
  std::string ChooseFolder(const std::string&) override { return Take(); }
  std::string ChooseFile(const std::string&, const std::string&) override { return Take(); }
  bool ShowInstallDialog(InstallDialogState& state) override {
    installDialogs.push_back(state);
    if (!installDialog) return Prompts::ShowInstallDialog(state);
    // Like the window: OK is pressed again until the checks accept or the script cancels.
    for (int round = 0; round < 10; ++round) {
      if (!installDialog(state)) return false;
      if (!state.accept || state.accept(state)) return true;
    }
    return false;
  }

  // Whether long work is asked to stop (false unless set); the number of times it was asked.
  std::function<bool()> stopWork;
  int stopPolls = 0;
  bool WorkStopRequested() override {
    ++stopPolls;
    return stopWork && stopWork();
  }

  std::vector<std::string> reports;  // Report: summary, then details after a blank line
  // Progress answers: true (go on) unless set; every state is kept.
  std::function<bool(const ProgressState&)> progress;
  std::vector<ProgressState> progressSeen;
  // The string editor: given the text and its line count; nullopt (Cancel) unless set.
  std::function<std::optional<std::string>(const std::string&, std::size_t)> editStrings;

  bool Progress(const ProgressState& state) override {
    progressSeen.push_back(state);
    return progress ? progress(state) : true;
  }
  void Report(const std::string& summary, const std::string& details) override {
    reports.push_back(details.empty() ? summary : summary + "\n\n" + details);
  }
  std::optional<std::string> EditStrings(const std::string& text, std::size_t lines) override {
    return editStrings ? editStrings(text, lines) : std::nullopt;
  }

 private:
  std::string Take() {
    if (chosen.empty()) return {};
    std::string path = chosen.front();
    chosen.pop_front();
    return path;
  }
};

}  // namespace krax::test
