#include "operations/item_ref.h"

#include "gamedata/track_catalog.h"

namespace krax {

bool IsListedTrackFolder(const TrackFolderList& list, ItemRef item) {
  return item.isTrackFolder() && item.index % 2 == 0 && item.index + 1 < list.size();
}

}  // namespace krax
