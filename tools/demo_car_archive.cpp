#include "tools/demo_car_archive.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "tools/car_entries.h"
#include "tools/demo_car_plan.h"
#include "tools/demo_payloads.h"
#include "tools/demo_random.h"
#include "tools/demo_shape_image.h"
#include "tools/viv_writer.h"

namespace krax {
namespace {

constexpr int kVariants = 4;

struct FedataLabels {
  const char* suffix;
  const char* engine;
  const char* power;
  const char* topSpeed;
  const char* weight;
  const char* price;
};

constexpr std::array<FedataLabels, 7> kLabels = {{
    {".eng", "Engine", "Power", "Top speed", "Weight", "Price"},
    {".ger", "Motor", "Leistung", "H\xF6" "chstgeschwindigkeit", "Gewicht", "Preis"},
    {".spa", "Motor", "Potencia", "Velocidad m\xE1xima", "Peso", "Precio"},
    {".ita", "Motore", "Potenza", "Velocit\xE0 massima", "Peso", "Prezzo"},
    {".swe", "Motor", "Effekt", "Toppfart", "Vikt", "Pris"},
    {".fre", "Moteur", "Puissance", "Vitesse maximale", "Poids", "Prix"},
    {".bri", "Engine", "Power", "Top speed", "Kerb weight", "Price"},
}};

const FedataLabels& LabelsFor(const std::string& entryName) {
  for (const FedataLabels& labels : kLabels) {
    if (entryName.size() >= 4 && entryName.compare(entryName.size() - 4, 4, labels.suffix) == 0) {
      return labels;
    }
  }
  return kLabels[0];
}

std::uint32_t Price(const DemoCar& car) { return 18000u + DemoCarVariation(car) % 160000u; }

}  // namespace

std::vector<std::string> DemoFedataTexts(const DemoCar& car, const std::string& entryName) {
  const FedataLabels& l = LabelsFor(entryName);
  const int power = 120 + static_cast<int>(DemoCarVariation(car) % 380);
  const int kph = car.maxSpeed.empty() ? 0 : std::stoi(car.maxSpeed) * 36 / 10;
  return {
      std::string(l.engine) + ": " + std::to_string(4 + power / 100 * 2) + " cyl.",
      std::string(l.power) + ": " + std::to_string(power) + " hp",
      std::string(l.topSpeed) + ": " + std::to_string(kph) + " km/h",
      std::string(l.weight) + ": " + std::to_string(car.massKg) + " kg",
      std::string(l.price) + ": " + std::to_string(Price(car)),
      car.name + " - KRAX demo showroom",
  };
}

DemoCarPayloadPool::DemoCarPayloadPool(std::uint64_t seed, bool compact) {
  const int scale = compact ? 8 : 1;  // divides image and sound sizes
  kinds_ = {
      {"body.msh", kMeshStampOffset, {}},   {"dash.tga", kTextureStampOffset, {}},
      {"engine.snd", kSoundStampOffset, {}}, {"fedata.fsh", kDemoShapeStampOffset, {}},
      {"horn.snd", kSoundStampOffset, {}},   {"interior.msh", kMeshStampOffset, {}},
      {"skin00.tga", kTextureStampOffset, {}},
  };
  for (std::size_t k = 0; k < kinds_.size(); ++k) {
    const bool frontEndImages = kinds_[k].entryName == "fedata.fsh";
    for (int v = 0; v < (frontEndImages ? kDemoShapeKindCount : kVariants); ++v) {
      DemoRandom random(DeriveSeed(seed, 0x1000 + k * 16 + static_cast<std::uint64_t>(v)));
      const std::string& name = kinds_[k].entryName;
      std::string data;
      if (name == "body.msh") data = MakeMesh(random, compact ? 4 : 40, compact ? 8 : 32);
      if (name == "interior.msh") data = MakeMesh(random, compact ? 2 : 16, compact ? 4 : 16);
      if (name == "dash.tga") data = MakeTexture(random, 96 / scale, 64 / scale);
      if (name == "skin00.tga") data = MakeTexture(random, 128 / scale, 128 / scale);
      if (name == "engine.snd") data = MakeSoundBank(random, 40000 / scale / scale);
      if (name == "horn.snd") data = MakeSoundBank(random, 8000 / scale / scale);
      // One pixel kind per variant; the packed one leaves the form to show a texture instead.
      if (frontEndImages) {
        data = MakeDemoShapeImage(kDemoShapeKinds[v], 128 / (scale / 2 + 1), 64 / (scale / 2 + 1),
                                  static_cast<std::uint32_t>(random.Next()));
      }
      kinds_[k].variants.push_back(std::move(data));
    }
  }
}

void DemoCarPayloadPool::BuildArchive(const DemoCar& car, std::uint64_t seed,
                                      std::string& out) const {
  const std::uint32_t variation = DemoCarVariation(car) ^ static_cast<std::uint32_t>(seed);

  CarpSpec carp{car.carpSerial, car.massKg, car.maxSpeed, car.topSpeed, variation};
  const std::string carpText = BuildCarpText(DemoCarpValues(carp));

  std::vector<std::string> fedata;
  for (const std::string& entryName : car.fedataEntries) {
    FedataFields fields;
    fields.id = car.id;
    fields.carClass = static_cast<std::uint16_t>(car.carClass);
    fields.police = car.police ? 1 : 0;
    fields.serial = car.fedataSerial;
    fields.price = Price(car);
    fields.manufacturer = car.manufacturer;
    fields.model = car.model;
    fields.name = car.name;
    fields.extraTexts = DemoFedataTexts(car, entryName);
    fields.variation = variation;
    fedata.push_back(BuildFedataRecord(fields));
  }

  // Entries in name order, as the game's own packer lays them out.
  std::vector<VivSourceEntry> entries;
  std::vector<std::size_t> stamps;  // stamp offset per entry, SIZE_MAX for none
  auto add = [&](const std::string& name, std::string_view data, std::size_t stamp) {
    entries.push_back({name, data});
    stamps.push_back(stamp);
  };
  auto addBulk = [&](const Kind& kind) {
    const std::size_t v = (variation + kind.entryName.size()) % kind.variants.size();
    add(kind.entryName, kind.variants[v], kind.stampOffset);
  };
  addBulk(kinds_[0]);  // body.msh
  add("carp.txt", carpText, SIZE_MAX);
  addBulk(kinds_[1]);  // dash.tga
  addBulk(kinds_[2]);  // engine.snd
  for (std::size_t i = 0; i < fedata.size(); ++i) add(car.fedataEntries[i], fedata[i], SIZE_MAX);
  for (std::size_t k = 3; k < kinds_.size(); ++k) addBulk(kinds_[k]);

  const std::size_t start = out.size();
  AppendVivArchive(out, entries);

  // Stamp the car's ID and variation into each bulk entry so no two cars' files are equal.
  std::size_t dataAt = start + kVivHeaderSize;
  for (const VivSourceEntry& entry : entries) dataAt += 9 + entry.name.size();
  char stamp[kStampSize] = {'-', '-', '-', '-', 0, 0, 0, 0};
  std::copy_n(car.id.data(), std::min<std::size_t>(car.id.size(), 4), stamp);  // a fixed field, no terminator
  for (int b = 0; b < 4; ++b) stamp[4 + b] = static_cast<char>(variation >> (8 * b));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (stamps[i] != SIZE_MAX && stamps[i] + kStampSize <= entries[i].data.size()) {
      std::memcpy(out.data() + dataAt + stamps[i], stamp, kStampSize);
    }
    dataAt += entries[i].data.size();
  }
}

}  // namespace krax
