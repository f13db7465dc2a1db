#include "platform/file_name_order.h"

#include <algorithm>
#include <cstddef>

#include "platform/file_system.h"

#include "platform/utf8.h"

namespace krax {
namespace {

// The upper-case form of one UTF-16 code unit.
char16_t UpperCodeUnit(char16_t c) {
  if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
  if (c == 0x00B5) return 0x039C;  // micro sign → capital mu
  if (c == 0x00FF) return 0x0178;  // ÿ → Ÿ
  if (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0100 && c <= 0x017F) {
    // Latin Extended-A: capital and small alternate. From U+0139 to U+0148 and from U+0179 on
    // the capital is the odd one; elsewhere the even one. U+0130, U+0131, U+0138 and U+0149
    // stand alone.
    if (c == 0x0130 || c == 0x0131 || c == 0x0138 || c == 0x0149 || c == 0x017F) return c;
    const bool oddCapital = (c >= 0x0139 && c <= 0x0148) || c >= 0x0179;
    const bool odd = (c & 1) != 0;
    if (oddCapital && !odd) return static_cast<char16_t>(c - 1);
    if (!oddCapital && odd) return static_cast<char16_t>(c - 1);
    return c;
  }
  if (c == 0x0192) return 0x0191;  // ƒ
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c >= 0x03B1 && c <= 0x03C9) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  return c;
}

// Reads a name as upper-case UTF-16 code units, one at a time.
class UpperUnits {
 public:
  explicit UpperUnits(std::string_view name) : name_(name) {}

  bool done() const { return pending_ == 0 && at_ >= name_.size(); }

  char16_t Next() {
    if (pending_ != 0) {
      const char16_t low = pending_;
      pending_ = 0;
      return low;
    }
    std::size_t length = 0;
    char32_t c = DecodeUtf8(name_, at_, length);
    if (length == 0) {
      c = Windows1252Char(static_cast<unsigned char>(name_[at_]));
      length = 1;
    }
    at_ += length;
    if (c < 0x10000) return UpperCodeUnit(static_cast<char16_t>(c));
    c -= 0x10000;
    pending_ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    return static_cast<char16_t>(0xD800 + (c >> 10));
  }

 private:
  std::string_view name_;
  std::size_t at_ = 0;
  char16_t pending_ = 0;  // the low surrogate still to come
};

}  // namespace

int CompareFileNames(std::string_view a, std::string_view b) {
  UpperUnits left(a), right(b);
  while (!left.done() && !right.done()) {
    const char16_t x = left.Next();
    const char16_t y = right.Next();
    if (x != y) return x < y ? -1 : 1;
  }
  if (left.done() && right.done()) return 0;
  return left.done() ? -1 : 1;
}

bool FileNameLess(std::string_view a, std::string_view b) {
  const int order = CompareFileNames(a, b);
  return order != 0 ? order < 0 : a < b;
}

void SortAsListedOnWindows(std::vector<DirEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return FileNameLess(a.name, b.name); });
}

}  // namespace krax
