// The decoding work one picture search may do (the pictures of one car or one track, tried in
// turn until one decodes). A damaged picture whose header declares a huge size can cost a
// second or more before it fails near its end, and an archive may hold many of them: the
// search counts the pixels of every picture it starts, starts none beyond the budget, and
// stops at the first picture that fails after its decoding began ("late"). Failures found
// from the header alone cost nothing and the search goes on.
#pragma once

#include <atomic>
#include <cstdint>

#include "gamedata/rgba_image.h"

namespace krax {

// The pixels one search may start decoding, all pictures together: one picture of the
// largest size any decoder accepts.
inline constexpr std::uint64_t kPictureSearchPixels = kMaxPicturePixels;

// What a search did.
struct PictureWork {
  int picturesStarted = 0;         // pictures whose pixels began to be decoded
  std::uint64_t pixelsStarted = 0; // their pixels (width x height), all together
  bool stoppedLate = false;        // a started picture failed, or the caller gave up
};

class PictureBudget {
 public:
  // `cancel`, when given, is set by another thread when the result is no longer wanted; the
  // decoders look at it between pictures and while decoding.
  explicit PictureBudget(std::uint64_t pixels = kPictureSearchPixels, const std::atomic<bool>* cancel = nullptr)
      : pixelsLeft_(pixels), cancel_(cancel) {}

  // True, with the pixels counted, when a picture of `pixels` pixels may start decoding:
  // nothing failed late yet, the caller still waits and the budget holds them.
  bool Start(std::uint64_t pixels) {
    if (spent() || pixels > pixelsLeft_) return false;
    pixelsLeft_ -= pixels;
    ++work_.picturesStarted;
    work_.pixelsStarted += pixels;
    return true;
  }
  // The picture started last failed: nothing more is tried.
  void FailedLate() { work_.stoppedLate = true; }
  // The caller no longer wants the result (checked by the decoders from time to time).
  bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
  // Nothing more may be tried.
  bool spent() const { return work_.stoppedLate || cancelled(); }

  const PictureWork& work() const { return work_; }
  std::uint64_t pixelsLeft() const { return pixelsLeft_; }

 private:
  std::uint64_t pixelsLeft_;
  const std::atomic<bool>* cancel_;
  PictureWork work_;
};

}  // namespace krax
