// The details form's picture search, away from the interface thread: the form shows an item's
// data at once and its picture when it is ready. One search runs at a time on a thread of the
// loader's own (not the window's job runner: a picture never makes the commands wait); a newer
// request cancels the older search and drops its result, whenever that result would come.
#pragma once

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <memory>

#include "gamedata/picture_budget.h"
#include "ui/item_picture.h"

namespace krax::ui {

class PictureLoader : public QObject {
  Q_OBJECT

 public:
  explicit PictureLoader(QObject* parent = nullptr);
  // Cancels the search that runs and waits for it: no result arrives after this.
  ~PictureLoader() override;

  // Looks for the picture of `sources` within a budget of `budgetPixels`; `loaded` follows,
  // on this object's thread, unless another request or Cancel comes first.
  void Load(const PictureSources& sources, std::uint64_t budgetPixels = kPictureSearchPixels);
  // Drops the request that is waited for (its search is told to stop).
  void Cancel();
  // Cancel, then waits until no search runs any more (the budget keeps that short): no
  // file of the game is open for a picture afterwards. True when a request was waiting.
  bool StopAndWait();

  // A request waits for its picture.
  bool loading() const { return loading_; }
  // Searches queued or running, those whose result will be dropped included: once it is 0
  // every result has been posted.
  int searchesAlive() const { return alive_->load(); }
  // What the last search whose picture arrived did.
  const PictureWork& lastWork() const { return lastWork_; }

 signals:
  // The picture of the latest request, scaled to ShownPicture; null when it has none.
  void loaded(const QImage& picture);

 private:
  QThreadPool pool_;
  std::uint64_t request_ = 0;  // the latest request; older results are dropped
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::shared_ptr<std::atomic<int>> alive_ = std::make_shared<std::atomic<int>>(0);
  bool loading_ = false;
  PictureWork lastWork_;
};

}  // namespace krax::ui
