// The window's one worker thread: commands that touch the game folder run there, one at a
// time, while the interface thread keeps drawing, scrolling and selecting.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "operations/operations.h"

namespace krax::ui {

class JobRunner : public QObject {
  Q_OBJECT

 public:
  using Work = std::function<OperationResult()>;
  using Done = std::function<void(const OperationResult&)>;

  explicit JobRunner(QObject* parent = nullptr);
  ~JobRunner() override;

  // Starts `work` on the worker and returns at once; `done` runs on the interface thread with
  // its result. While another job runs nothing starts: `refused` is sent and false returned.
  bool Run(const QString& command, Work work, Done done);
  bool busy() const { return busy_; }
  // True (and `refused` sent) while a job runs: for the commands that would read what the
  // job may be changing.
  bool RefuseWhileBusy();
  const QString& command() const { return command_; }

  // Runs `call` on the interface thread and waits for it when called from the worker; calls
  // it directly on the interface thread.
  static void OnInterfaceThread(const std::function<void()>& call);

 signals:
  // A job started (true) or ended (false), after its `done`.
  void busyChanged(bool busy);
  // A command was asked for while `running` still ran.
  void refused(const QString& running);

 private:
  void Loop();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  Work pending_;
  bool quit_ = false;
  bool busy_ = false;  // read and written on the interface thread only
  QString command_;
};

}  // namespace krax::ui
