#include "gamedata/fedata_fields.h"

#include <string>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "platform/byte_order.h"

namespace krax {

VivFieldWrite FedataFieldWrite(std::size_t position, std::uint16_t value) {
  VivFieldWrite field;
  field.select = IsFedataEntryName;
  field.position = static_cast<std::uint32_t>(position);
  AppendLittleEndian16(field.bytes, value);
  return field;
}

VivWriteResult WriteFedataField(const CarRecord& car, std::size_t position, std::uint16_t value) {
  if (!car.hasFedata()) return {VivWriteStatus::kNoEntry, 0};
  if (car.directory.damaged) return {VivWriteStatus::kDamaged, 0};
  VivEdit edit;
  edit.fields.push_back(FedataFieldWrite(position, value));
  return EditVivArchive(car.archivePath, edit);
}

void StoreFedataField(CarRecord& car, std::size_t position, std::uint16_t value) {
  if (!car.fedata || car.fedata->size() < position + 2) return;
  StoreLittleEndian16(*car.fedata, position, value);
}

}  // namespace krax
