// kraxctl's way of talking to the user for the operations: messages on stderr, status lines
// on stderr (one line updated in place on a terminal), questions at the terminal. While a
// TerminalPrompts lives, anything a command prints on its output or error stream first ends
// the status line, so that results always start on a line of their own.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "operations/prompts.h"

namespace krax::cli {

class Context;

// The option that consents to deleting for good (where no trash can take a folder).
inline constexpr const char* kDeleteForGoodOption = "--delete-for-good";

class TerminalPrompts : public Prompts {
 public:
  // `assumeYes`: every question is answered yes without asking (--yes), except whether to
  // delete something for good: that takes its own consent (AllowDeleteForGood).
  TerminalPrompts(Context& context, bool assumeYes);
  ~TerminalPrompts() override;

  void Message(const std::string& text) override;
  bool Question(QuestionKind kind, const std::string& text, bool okCancel = false) override;
  // At a terminal: y for yes, n for no, anything else cancels. --yes answers yes; without a
  // terminal the question is refused as any other (no), and the command goes on to what
  // it would do without.
  Answer QuestionWithCancel(QuestionKind kind, const std::string& text) override;
  void Status(const std::string& text) override;
  void Busy(bool) override {}
  // kraxctl takes paths as arguments: the choosers answer empty, as a cancelled one does.
  std::string ChooseFolder(const std::string& title) override;
  std::string ChooseFile(const std::string& title, const std::string& filter) override;

  // Progress of a copy: one line rewritten in place on stderr when it is a terminal,
  // nothing otherwise. Summaries go to stdout.
  bool Progress(const ProgressState& state) override;
  void EndProgress() override;
  void Report(const std::string& summary, const std::string& details) override;
  // The plan goes to stdout, then the question is asked as any other.
  bool ConfirmPlan(const std::string& question, const std::string& plan) override;
  // Long work (packing, installs) runs with Ctrl+C and SIGTERM caught: the first one asks the
  // work to stop, so that it ends cleanly and leaves nothing half-written; a second one ends
  // kraxctl at once.
  void RunWork(const std::function<void()>& work) override;
  bool WorkStopRequested() override;

  // --delete-for-good: "Delete ... for good?" is answered yes without asking. Without it that
  // question is refused under --yes and where there is no terminal, and asked at one.
  void AllowDeleteForGood(bool allow) { deleteForGood_ = allow; }

  // Takes the status line off the terminal without leaving it behind (before a command
  // prints the same text as its result).
  void EraseStatusLine();
  // Questions asked so far that were refused because there was no terminal to ask.
  int refusedQuestions() const { return refused_; }
  // True when a command that shows its plan and asks was only shown: its one question was
  // refused because there was no terminal and no --yes. That is all such a run asked for.
  bool onlyShowedPlan() const { return !assumeYes_ && refused_ == 1; }

 protected:
  // True when the messages go to the process's stderr and that is a terminal.
  bool OnTerminal() const;

 private:
  // Tied to the command's streams: every write on them flushes this stream first, and its
  // flush ends the status line (after flushing what the stream was tied to before).
  class StatusLineEnder : public std::streambuf {
   public:
    explicit StatusLineEnder(TerminalPrompts& prompts) : prompts_(prompts) {}
    std::ostream* previousTie = nullptr;

   protected:
    int sync() override;

   private:
    TerminalPrompts& prompts_;
  };

  // Ends the status line standing on the terminal, so that what is printed next starts on
  // a line of its own.
  void EndStatusLine();

  Context& context_;
  bool assumeYes_;
  bool deleteForGood_ = false;
  bool statusOnLine_ = false;  // a status text stands on the terminal's last line
  int refused_ = 0;
  StatusLineEnder outEnderBuffer_{*this}, errEnderBuffer_{*this};
  std::ostream outEnder_{&outEnderBuffer_}, errEnder_{&errEnderBuffer_};
};

}  // namespace krax::cli
