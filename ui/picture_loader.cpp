#include "ui/picture_loader.h"

#include <QMetaObject>
#include <utility>

namespace krax::ui {

PictureLoader::PictureLoader(QObject* parent) : QObject(parent) {
  pool_.setObjectName(QStringLiteral("pictureLoader"));
  pool_.setMaxThreadCount(1);
}

PictureLoader::~PictureLoader() {
  Cancel();
  pool_.clear();
  // A search still running posts its result to this object; it must be done before the
  // object goes (the posted result is then dropped with it).
  pool_.waitForDone();
}

void PictureLoader::Cancel() {
  ++request_;
  loading_ = false;
  if (cancel_) cancel_->store(true);
  cancel_.reset();
}

bool PictureLoader::StopAndWait() {
  const bool wasLoading = loading_;
  Cancel();
  pool_.clear();
  pool_.waitForDone();
  return wasLoading;
}

void PictureLoader::Load(const PictureSources& sources, std::uint64_t budgetPixels) {
  Cancel();
  pool_.clear();  // searches not started yet are not wanted any more
  const std::uint64_t request = request_;
  loading_ = true;
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  // QThreadPool::clear deletes the tasks it drops without running them: the count of live
  // searches goes down when the task is deleted, run or not.
  struct Alive {
    explicit Alive(std::shared_ptr<std::atomic<int>> c) : count(std::move(c)) { ++*count; }
    ~Alive() { --*count; }
    Alive(const Alive&) = delete;
    Alive& operator=(const Alive&) = delete;
    std::shared_ptr<std::atomic<int>> count;
  };
  pool_.start([this, request, sources, budgetPixels, cancel = cancel_, alive = std::make_shared<Alive>(alive_)] {
    PictureBudget budget(budgetPixels, cancel.get());
    QImage picture;
    if (!cancel->load()) picture = ShownPicture(LoadPicture(sources, budget));
    const PictureWork work = budget.work();
    QMetaObject::invokeMethod(
        this,
        [this, request, picture, work] {
          if (request != request_) return;  // a newer request came meanwhile
          loading_ = false;
          lastWork_ = work;
          emit loaded(picture);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace krax::ui
