#include "operations/item_ref.h"

#include "gamedata/track_catalog.h"

namespace krax {

bool IsListedTrackFolder(const std::vector<TrackFolder>& list, ItemRef item) {
  return item.isTrackFolder() && item.index < list.size();
}

}  // namespace krax
