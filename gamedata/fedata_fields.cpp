#include "gamedata/fedata_fields.h"

#include <string>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "gamedata/viv_archive.h"
#include "platform/byte_order.h"

namespace krax {

bool WriteFedataField(const CarRecord& car, std::size_t position, std::uint16_t value) {
  if (!car.hasFedata()) return false;
  std::string bytes;
  AppendLittleEndian16(bytes, value);
  return PatchVivEntries(car.archivePath, car.directory, IsFedataEntryName, static_cast<std::uint32_t>(position),
                         bytes);
}

void StoreFedataField(CarRecord& car, std::size_t position, std::uint16_t value) {
  if (!car.fedata || car.fedata->size() < position + 2) return;
  StoreLittleEndian16(*car.fedata, position, value);
}

}  // namespace krax
