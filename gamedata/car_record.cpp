#include "gamedata/car_record.h"

#include "platform/byte_order.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace krax {
namespace {

// The zero-terminated text at `start`, cut at the end of `bytes`.
std::string TextFrom(std::string_view bytes, std::size_t start) {
  if (start >= bytes.size()) return {};
  const std::string_view rest = bytes.substr(start);
  return std::string(rest.substr(0, rest.find('\0')));
}

}  // namespace

std::uint16_t FedataRecord::U16(std::size_t offset) const {
  if (offset + 2 > bytes_.size()) return 0;
  return LittleEndian16(bytes_, offset);
}

std::string FedataRecord::TextAt(std::size_t offsetField) const {
  if (offsetField + 4 > bytes_.size()) return {};
  return TextFrom(bytes_, LittleEndian32(bytes_, offsetField));
}

std::string FedataRecord::id() const {
  std::string id = TextFrom(bytes_.substr(0, std::min<std::size_t>(4, bytes_.size())), kIdOffset);
  return id;
}

std::uint16_t FedataRecord::carClass() const { return U16(kClassOffset); }
std::uint16_t FedataRecord::police() const { return U16(kPoliceOffset); }
std::uint16_t FedataRecord::serial() const { return U16(kSerialOffset); }
std::string FedataRecord::manufacturer() const { return TextAt(kManufacturerOffset); }
std::string FedataRecord::model() const { return TextAt(kModelOffset); }
std::string FedataRecord::name() const { return TextAt(kNameOffset); }

void FedataRecord::SetSerial(std::string& bytes, std::uint16_t serial) {
  if (kSerialOffset + 2 > bytes.size()) return;
  StoreLittleEndian16(bytes, kSerialOffset, serial);
}

std::string ReadCarpValue(std::string_view carpText, int n) {
  carpText = carpText.substr(0, carpText.find('\0'));
  const std::string key = "(" + std::to_string(n) + ")\r\n";
  const std::size_t at = carpText.find(key);
  if (at == std::string_view::npos) return {};
  std::string_view value = carpText.substr(at + key.size());
  value = value.substr(0, value.find('\r'));  // no CR: the rest of the text
  if (value.size() > kCarpValueMax) value = value.substr(0, kCarpValueMax);
  return std::string(value);
}

std::string FormatMass(std::string_view value) {
  return std::string(value.substr(0, value.find('.'))) + " KG";
}

std::string FormatSpeed(std::string_view value) {
  // Read like atof: leading blanks, an optional sign, then the longest decimal number.
  std::size_t start = 0;
  while (start < value.size() && (value[start] == ' ' || (value[start] >= '\t' && value[start] <= '\r'))) ++start;
  bool negative = false;
  if (start < value.size() && (value[start] == '+' || value[start] == '-')) {
    negative = value[start] == '-';
    ++start;
  }
  double number = 0;
  const char* first = value.data() + start;
  const char* last = value.data() + value.size();
  if (first < last && (*first == '.' || (*first >= '0' && *first <= '9'))) {
    std::from_chars(first, last, number, std::chars_format::general);
  }
  if (negative) number = -number;
  double kph = std::trunc(number * 3.6);
  long long shown = 0;
  if (std::isfinite(kph)) {
    // Clamp to the range of the int the form shows.
    kph = std::max<double>(kph, std::numeric_limits<int>::min());
    kph = std::min<double>(kph, std::numeric_limits<int>::max());
    shown = static_cast<long long>(kph);
  }
  return std::to_string(shown) + " KPH";
}

std::string_view ClassLetter(std::uint16_t carClass) {
  switch (carClass) {
    case 0: return "A";
    case 1: return "B";
    case 2: return "C";
    default: return "";
  }
}

std::uint16_t CarRecord::carClass() const { return fedata ? FedataRecord(*fedata).carClass() : 0; }
std::uint16_t CarRecord::police() const { return fedata ? FedataRecord(*fedata).police() : 0; }

void CarRecord::SetFedataSerial(std::uint16_t serial) {
  if (fedata) FedataRecord::SetSerial(*fedata, serial);
}

}  // namespace krax
