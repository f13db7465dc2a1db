#include "ui/job_runner.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>

namespace krax::ui {

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool JobRunner::Run(const QString& command, Work work, Done done) {
  if (busy_) {
    emit refused(command_);
    return false;
  }
  busy_ = true;
  command_ = command;
  emit busyChanged(true);
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The result comes back to the interface thread as a queued call on this object, so it
    // never outlives the runner.
    pending_ = [this, name = command.toStdString(), work = std::move(work), done = std::move(done)]() mutable {
      OperationResult result;
      try {
        result = work();
      } catch (const std::exception& error) {
        result = {OperationStatus::kFailed, name, error.what()};
      }
      QMetaObject::invokeMethod(
          this,
          [this, result, done = std::move(done)] {
            // The interface may read the game data again from here on.
            busy_ = false;
            command_.clear();
            if (done) done(result);
            if (!busy_) emit busyChanged(false);
          },
          Qt::QueuedConnection);
      return result;
    };
  }
  wake_.notify_all();
  return true;
}

bool JobRunner::RefuseWhileBusy() {
  if (busy_) emit refused(command_);
  return busy_;
}

void JobRunner::Loop() {
  for (;;) {
    Work job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || pending_; });
      if (!pending_) return;  // quit with nothing left to do
      job = std::move(pending_);
      pending_ = nullptr;
    }
    job();
  }
}

void JobRunner::OnInterfaceThread(const std::function<void()>& call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    call();
    return;
  }
  QMetaObject::invokeMethod(app, [&call] { call(); }, Qt::BlockingQueuedConnection);
}

}  // namespace krax::ui
