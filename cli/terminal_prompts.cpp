#include "cli/terminal_prompts.h"

#include <iostream>

#include "cli/context.h"
#include "cli/terminal_text.h"
#include "operations/restore_from_cd.h"
#include "platform/console.h"
#include "platform/stop_signals.h"

namespace krax::cli {

TerminalPrompts::TerminalPrompts(Context& context, bool assumeYes) : context_(context), assumeYes_(assumeYes) {
  outEnderBuffer_.previousTie = context_.out.tie(&outEnder_);
  errEnderBuffer_.previousTie = context_.err.tie(&errEnder_);
}

TerminalPrompts::~TerminalPrompts() {
  context_.err.tie(errEnderBuffer_.previousTie);
  context_.out.tie(outEnderBuffer_.previousTie);
  EndStatusLine();
}

int TerminalPrompts::StatusLineEnder::sync() {
  if (previousTie != nullptr) previousTie->flush();
  prompts_.EndStatusLine();
  return 0;
}

void TerminalPrompts::EndStatusLine() {
  // Cleared first: the newline below goes through a tied stream and comes back here.
  if (!statusOnLine_) return;
  statusOnLine_ = false;
  context_.err << '\n' << std::flush;
}

void TerminalPrompts::EraseStatusLine() {
  if (!statusOnLine_) return;
  statusOnLine_ = false;
  context_.err << "\r\x1b[K" << std::flush;
}

void TerminalPrompts::Message(const std::string& text) {
  EndStatusLine();
  context_.err << TerminalSafeLines(text) << '\n';
}

bool TerminalPrompts::Question(QuestionKind kind, const std::string& text, bool okCancel) {
  EndStatusLine();
  if (kind == QuestionKind::kDeleteForGood) {
    // Nothing is deleted for good on a general yes: only on its own option, or when asked.
    if (deleteForGood_) {
      context_.err << text << " [yes: " << kDeleteForGoodOption << "]\n";
      return true;
    }
    if (assumeYes_ || !context_.interactive()) {
      context_.err << text << (assumeYes_ ? " Refused: --yes never deletes for good" : " Refused: no terminal to ask")
                   << " (use " << kDeleteForGoodOption << ")\n";
      return false;
    }
  }
  if (assumeYes_) {
    context_.err << text << " [yes: --yes]\n";
    return true;
  }
  if (!context_.interactive()) {
    context_.err << text << " Refused: no terminal to ask (use --yes)\n";
    ++refused_;
    return false;
  }
  context_.err << text << (okCancel ? " [OK/cancel: y/N] " : " [y/N] ") << std::flush;
  std::string answer;
  std::getline(context_.in, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

Answer TerminalPrompts::QuestionWithCancel(QuestionKind kind, const std::string& text) {
  if (assumeYes_ || !context_.interactive()) return Question(kind, text) ? Answer::kYes : Answer::kNo;
  EndStatusLine();
  context_.err << text << " [y/n/Cancel] " << std::flush;
  std::string answer;
  std::getline(context_.in, answer);
  if (answer == "y" || answer == "Y" || answer == "yes") return Answer::kYes;
  if (answer == "n" || answer == "N" || answer == "no") return Answer::kNo;
  return Answer::kCancel;
}

bool TerminalPrompts::OnTerminal() const { return &context_.err == &std::cerr && IsTerminal(StandardStream::kError); }

void TerminalPrompts::Status(const std::string& text) {
  // On a terminal one line is rewritten in place; elsewhere each status is a line of its own.
  // The line is rewritten in place: the write must not end it first.
  if (OnTerminal()) {
    statusOnLine_ = false;
    context_.err << "\r\x1b[K" << text << std::flush;
    statusOnLine_ = true;
  } else {
    context_.err << text << '\n';
  }
}

std::string TerminalPrompts::ChooseFolder(const std::string&) { return {}; }

std::string TerminalPrompts::ChooseFile(const std::string&, const std::string&) { return {}; }

bool TerminalPrompts::Progress(const ProgressState& state) {
  if (OnTerminal()) {
    statusOnLine_ = false;
    context_.err << "\r\x1b[K" << ProgressText(state) << std::flush;
    statusOnLine_ = true;
  }
  return true;
}

void TerminalPrompts::EndProgress() { EndStatusLine(); }

void TerminalPrompts::Report(const std::string& summary, const std::string& details) {
  EndStatusLine();
  context_.out << TerminalSafeLines(summary) << '\n' << TerminalSafeLines(details);
  if (!details.empty() && details.back() != '\n') context_.out << '\n';
}

bool TerminalPrompts::ConfirmPlan(const std::string& question, const std::string& plan) {
  EndStatusLine();
  context_.out << plan;
  if (!plan.empty() && plan.back() != '\n') context_.out << '\n';
  context_.out << std::flush;
  return Question(QuestionKind::kGoOn, question, true);
}

void TerminalPrompts::RunWork(const std::function<void()>& work) {
  const StopSignalScope stoppable;
  work();
}

bool TerminalPrompts::WorkStopRequested() { return StopSignalReceived(); }

}  // namespace krax::cli
