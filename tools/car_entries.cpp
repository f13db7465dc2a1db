#include "tools/car_entries.h"

#include <array>
#include <stdexcept>

#include "tools/demo_random.h"
#include "tools/viv_writer.h"

namespace krax {

std::string BuildCarpText(const std::vector<CarpValue>& values) {
  std::string text;
  for (const CarpValue& value : values) {
    text += value.label;
    text += '(' + std::to_string(value.number) + ")\r\n";
    text += value.value;
    text += "\r\n";
  }
  return text;
}

namespace {

// Fixed point with two decimals, e.g. 7150 -> "71.50".
std::string Decimal2(int hundredths) {
  const int magnitude = hundredths < 0 ? -hundredths : hundredths;
  std::string fraction = std::to_string(magnitude % 100);
  if (fraction.size() < 2) fraction.insert(0, "0");
  return (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

std::string List(DemoRandom& random, int count, int low, int high, int scale) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ',';
    int v = random.Range(low, high);
    text += scale == 1 ? std::to_string(v) : Decimal2(v);
  }
  return text;
}

}  // namespace

std::vector<CarpValue> DemoCarpValues(const CarpSpec& spec) {
  DemoRandom random(DeriveSeed(spec.variation, 0xCA49));
  const int gears = random.Range(5, 6);
  std::string ratios;
  for (int g = 0, r = random.Range(300, 360); g < gears + 2; ++g) {
    if (g) ratios += ',';
    ratios += Decimal2(g == 0 ? -r : g == 1 ? 0 : r);  // reverse, neutral, forward gears
    if (g >= 2) r = r * random.Range(66, 76) / 100;
  }
  std::string torque;
  for (int rpm = 1000, t = random.Range(180, 260); rpm <= 8000; rpm += 250) {
    if (rpm > 1000) torque += ',';
    torque += std::to_string(rpm) + ',' + std::to_string(t);
    t += rpm < 5000 ? random.Range(2, 12) : -random.Range(4, 16);
  }

  std::vector<CarpValue> v = {
      {0, "Serial number", spec.serial},
      {1, "Car class", std::to_string(random.Range(0, 2))},
      {2, "Mass [kg]", std::to_string(spec.massKg)},
      {3, "Number of gears", std::to_string(gears)},
      {4, "Gear shift delay [ticks]", std::to_string(random.Range(8, 14))},
      {5, "Shift blip [rpm]", List(random, gears, 200, 900, 1)},
      {6, "Brake blip [rpm]", List(random, gears, 100, 600, 1)},
      {7, "Velocity to rpm ratio", List(random, gears + 2, 100, 2000, 100)},
      {8, "Gear ratios", ratios},
      {9, "Gear efficiency", List(random, gears + 2, 80, 100, 100)},
      {10, "Torque curve [rpm,Nm]", torque},
      {11, "Final gear", Decimal2(random.Range(300, 420))},
      {12, "Engine idle [rpm]", std::to_string(random.Range(700, 1100))},
      {13, "Engine redline [rpm]", std::to_string(random.Range(6200, 8600))},
      {14, "Maximum velocity [m/s]", spec.maxSpeed},
      {15, "Top speed limiter [m/s]", spec.topSpeed},
      {16, "Front drive ratio", Decimal2(random.Range(0, 100))},
      {17, "Anti-lock brakes", std::to_string(random.Range(0, 1))},
      {18, "Maximum braking deceleration [m/s2]", Decimal2(random.Range(900, 1400))},
      {19, "Front brake bias", Decimal2(random.Range(55, 70))},
      {20, "Throttle rise rate", Decimal2(random.Range(100, 300))},
      {21, "Steering rate", Decimal2(random.Range(100, 250))},
      {22, "Maximum steering angle [deg]", std::to_string(random.Range(28, 40))},
      {23, "Understeer gradient", Decimal2(random.Range(5, 40))},
      {24, "Downforce front", Decimal2(random.Range(0, 80))},
      {25, "Downforce rear", Decimal2(random.Range(0, 120))},
      {26, "Drag coefficient", Decimal2(random.Range(25, 42))},
      {27, "Frontal area [m2]", Decimal2(random.Range(170, 230))},
      {28, "Wheelbase [m]", Decimal2(random.Range(230, 290))},
      {29, "Track width front [m]", Decimal2(random.Range(140, 170))},
      {30, "Track width rear [m]", Decimal2(random.Range(140, 170))},
      {31, "Centre of gravity height [m]", Decimal2(random.Range(35, 60))},
      {32, "Weight distribution front", Decimal2(random.Range(35, 60))},
      {33, "Tyre grip front", List(random, 4, 80, 130, 100)},
      {34, "Tyre grip rear", List(random, 4, 80, 130, 100)},
      {35, "Tyre width front [mm]", std::to_string(random.Range(195, 285))},
      {36, "Tyre width rear [mm]", std::to_string(random.Range(205, 335))},
      {37, "Spring rate front", Decimal2(random.Range(2000, 6000))},
      {38, "Spring rate rear", Decimal2(random.Range(2000, 6000))},
      {39, "Damper bump", List(random, 2, 100, 900, 100)},
      {40, "Damper rebound", List(random, 2, 100, 900, 100)},
      {41, "Ride height [mm]", std::to_string(random.Range(90, 160))},
      {42, "Roll bar front", Decimal2(random.Range(50, 400))},
      {43, "Roll bar rear", Decimal2(random.Range(50, 400))},
      {44, "Engine sound pitch", Decimal2(random.Range(80, 130))},
      {45, "Exhaust pops", std::to_string(random.Range(0, 1))},
      {46, "Damage model", std::to_string(random.Range(0, 3))},
      {47, "AI skill bias", Decimal2(random.Range(80, 120))},
  };
  return v;
}

std::string BuildFedataRecord(const FedataFields& fields) {
  if (fields.id.size() > 4) throw std::invalid_argument("car ID longer than four characters");
  if (fields.extraTexts.size() > 255) throw std::invalid_argument("too many fedata texts");

  DemoRandom random(DeriveSeed(fields.variation, 0xFED));
  std::string record(kFedataFixedSize + 4 * fields.extraTexts.size(), '\0');
  record.replace(kFedataIdOffset, fields.id.size(), fields.id);
  StoreLittleEndian16(record, 8, static_cast<std::uint16_t>(random.Range(1, 40)));
  StoreLittleEndian16(record, kFedataClassOffset, fields.carClass);
  StoreLittleEndian16(record, 12, static_cast<std::uint16_t>(random.Range(1, 2) * 2));
  StoreLittleEndian16(record, 14, static_cast<std::uint16_t>(random.Range(0, 2)));
  StoreLittleEndian16(record, kFedataPoliceOffset, fields.police);
  StoreLittleEndian16(record, 18, 1);
  StoreLittleEndian32(record, 20, fields.price);
  StoreLittleEndian16(record, kFedataSerialOffset, fields.serial);
  StoreLittleEndian16(record, 26, 0);
  for (std::size_t i = 28; i < 46; ++i) record[i] = static_cast<char>(random.Range(1, 10));
  record[46] = static_cast<char>(fields.extraTexts.size());

  auto appendText = [&record](std::size_t offsetField, const std::string& text) {
    StoreLittleEndian32(record, offsetField, static_cast<std::uint32_t>(record.size()));
    record += text;
    record.push_back('\0');
  };
  appendText(kFedataManufacturerOffset, fields.manufacturer);
  appendText(kFedataModelOffset, fields.model);
  appendText(kFedataNameOffset, fields.name);
  for (std::size_t i = 0; i < fields.extraTexts.size(); ++i) {
    appendText(kFedataFixedSize + 4 * i, fields.extraTexts[i]);
  }
  return record;
}

}  // namespace krax
