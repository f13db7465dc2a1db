#include "gamedata/shape_image.h"

#include <array>
#include <cstdint>

#include "platform/byte_order.h"

namespace krax {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kRecordHeaderSize = 16;
constexpr unsigned kPackedFlag = 0x80;
// A chain longer than this is damaged (each record is at least 16 bytes anyway).
constexpr int kMaxChainRecords = 4096;

struct DirectoryEntry {
  std::string name;
  std::size_t offset = 0;
};

struct RecordHeader {
  unsigned kind = 0;
  std::size_t next = 0;  // from the start of this record; 0 for the last
  int width = 0;
  int height = 0;
};

const std::uint8_t* Bytes(std::string_view file, std::size_t at) {
  return reinterpret_cast<const std::uint8_t*>(file.data()) + at;
}

// The directory, each entry's offset inside the file; empty for anything else.
std::vector<DirectoryEntry> ReadDirectory(std::string_view file) {
  std::vector<DirectoryEntry> entries;
  if (file.size() < kHeaderSize || file.substr(0, 4) != "SHPI") return entries;
  const std::uint32_t count = LoadLE32(Bytes(file, 8));
  // The count is checked against the room the file has for it, never used to allocate.
  if (count > (file.size() - kHeaderSize) / kDirectoryEntrySize) return entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderSize + i * kDirectoryEntrySize;
    const std::uint32_t offset = LoadLE32(Bytes(file, at + 4));
    if (offset > file.size() || file.size() - offset < kRecordHeaderSize) continue;
    std::string name(file.substr(at, 4));
    if (const std::size_t zero = name.find('\0'); zero != std::string::npos) name.resize(zero);
    entries.push_back({std::move(name), offset});
  }
  return entries;
}

RecordHeader ReadRecordHeader(std::string_view file, std::size_t at) {
  const std::uint8_t* p = Bytes(file, at);
  RecordHeader header;
  header.kind = p[0];
  header.next = static_cast<std::size_t>(p[1]) | (static_cast<std::size_t>(p[2]) << 8) |
                (static_cast<std::size_t>(p[3]) << 16);
  header.width = LoadLE16(p + 4);
  header.height = LoadLE16(p + 6);
  return header;
}

bool IsPictureEntry(const DirectoryEntry& entry) { return entry.name != kShapeGlobalPaletteName; }

// --- colours -------------------------------------------------------------------------------
using Rgba = std::array<std::uint8_t, 4>;

Rgba FromRgb565(unsigned v) { return {Expand5(v >> 11), Expand6(v >> 5), Expand5(v), 255}; }
Rgba FromArgb1555(unsigned v) {
  return {Expand5(v >> 10), Expand5(v >> 5), Expand5(v), static_cast<std::uint8_t>((v & 0x8000u) ? 255 : 0)};
}
Rgba FromArgb4444(unsigned v) { return {Expand4(v >> 8), Expand4(v >> 4), Expand4(v), Expand4(v >> 12)}; }

void Put(RgbaImage& image, int x, int y, const Rgba& c) {
  std::uint8_t* p = image.at(x, y);
  for (int k = 0; k < 4; ++k) p[k] = c[static_cast<std::size_t>(k)];
}

// --- palettes ------------------------------------------------------------------------------
using Palette = std::vector<Rgba>;

std::size_t PaletteEntrySize(unsigned kind) {
  switch (kind) {
    case kShapePaletteBgr888:
    case kShapePaletteRgb666: return 3;
    case kShapePaletteArgb1555:
    case kShapePaletteRgb565: return 2;
    case kShapePaletteBgra8888: return 4;
    default: return 0;
  }
}

// The palette of the record at `at`, or nullopt when it is none or runs past the file. Only
// the first 256 colours can be indexed; the rest are not read.
std::optional<Palette> ReadPalette(std::string_view file, std::size_t at) {
  if (at > file.size() || file.size() - at < kRecordHeaderSize) return std::nullopt;
  const RecordHeader header = ReadRecordHeader(file, at);
  const std::size_t entrySize = PaletteEntrySize(header.kind);
  if (entrySize == 0) return std::nullopt;
  const std::size_t colours = std::min<std::size_t>(static_cast<std::size_t>(header.width), 256);
  const std::size_t data = at + kRecordHeaderSize;
  if (colours * entrySize > file.size() - data) return std::nullopt;
  Palette palette;
  palette.reserve(colours);
  for (std::size_t i = 0; i < colours; ++i) {
    const std::uint8_t* p = Bytes(file, data + i * entrySize);
    switch (header.kind) {
      case kShapePaletteBgr888: palette.push_back({p[2], p[1], p[0], 255}); break;
      case kShapePaletteRgb666: {
        Rgba c{0, 0, 0, 255};
        for (int k = 0; k < 3; ++k) c[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::min(63, int{p[k]}) * 255 / 63);
        palette.push_back(c);
        break;
      }
      case kShapePaletteArgb1555: palette.push_back(FromArgb1555(LoadLE16(p))); break;
      case kShapePaletteRgb565: palette.push_back(FromRgb565(LoadLE16(p))); break;
      default: palette.push_back({p[2], p[1], p[0], p[3]}); break;
    }
  }
  return palette;
}

// The picture's own palette: the first palette record of its chain.
std::optional<Palette> OwnPalette(std::string_view file, std::size_t first) {
  std::size_t at = first;
  for (int records = 0; records < kMaxChainRecords; ++records) {
    const std::size_t next = ReadRecordHeader(file, at).next;
    if (next == 0 || next > file.size() - at || file.size() - (at + next) < kRecordHeaderSize) return std::nullopt;
    at += next;
    if (PaletteEntrySize(ReadRecordHeader(file, at).kind) != 0) return ReadPalette(file, at);
  }
  return std::nullopt;
}

Palette GreyRamp() {
  Palette ramp(256);
  for (std::size_t i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    ramp[i] = {v, v, v, 255};
  }
  return ramp;
}

// --- pixels --------------------------------------------------------------------------------
// Bytes of pixel data the kind needs for the full-size picture; 0 for an unknown kind.
std::uint64_t PixelBytes(unsigned kind, std::uint64_t width, std::uint64_t height) {
  const std::uint64_t blocks = ((width + 3) / 4) * ((height + 3) / 4);
  switch (kind) {
    case kShapeIndexed8: return width * height;
    case kShapeRgb565:
    case kShapeArgb1555:
    case kShapeArgb4444: return width * height * 2;
    case kShapeBgr888: return width * height * 3;
    case kShapeBgra8888: return width * height * 4;
    case kShapeDxt1: return blocks * 8;
    case kShapeDxt3: return blocks * 16;
    default: return 0;
  }
}

// The colours of one 4x4 colour block; `fourAlways` for the block inside DXT3.
std::array<Rgba, 4> BlockColours(const std::uint8_t* block, bool fourAlways) {
  const unsigned c0 = LoadLE16(block), c1 = LoadLE16(block + 2);
  const Rgba a = FromRgb565(c0), b = FromRgb565(c1);
  std::array<Rgba, 4> colours{a, b, Rgba{}, Rgba{}};
  for (std::size_t k = 0; k < 3; ++k) {
    if (fourAlways || c0 > c1) {
      colours[2][k] = static_cast<std::uint8_t>((2 * a[k] + b[k]) / 3);
      colours[3][k] = static_cast<std::uint8_t>((a[k] + 2 * b[k]) / 3);
    } else {
      colours[2][k] = static_cast<std::uint8_t>((a[k] + b[k]) / 2);
    }
  }
  colours[2][3] = 255;
  colours[3][3] = (fourAlways || c0 > c1) ? 255 : 0;  // else index 3 is transparent black
  return colours;
}

void DecodeBlocks(const std::uint8_t* data, bool dxt3, RgbaImage& image) {
  const int blocksWide = (image.width + 3) / 4, blocksHigh = (image.height + 3) / 4;
  const std::size_t blockSize = dxt3 ? 16 : 8;
  for (int by = 0; by < blocksHigh; ++by) {
    for (int bx = 0; bx < blocksWide; ++bx) {
      const std::uint8_t* block = data + (static_cast<std::size_t>(by) * static_cast<std::size_t>(blocksWide) + static_cast<std::size_t>(bx)) * blockSize;
      const std::uint8_t* alpha = dxt3 ? block : nullptr;
      const std::uint8_t* colour = dxt3 ? block + 8 : block;
      const std::array<Rgba, 4> colours = BlockColours(colour, dxt3);
      const std::uint32_t indices = LoadLE32(colour + 4);
      for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
          const int x = bx * 4 + col, y = by * 4 + row;
          if (x >= image.width || y >= image.height) continue;
          const int k = row * 4 + col;
          Rgba c = colours[(indices >> (2 * k)) & 3u];
          if (alpha) c[3] = Expand4(k % 2 ? alpha[k / 2] >> 4 : alpha[k / 2]);
          Put(image, x, y, c);
        }
      }
    }
  }
}

void DecodeRows(const std::uint8_t* data, unsigned kind, const Palette& palette, RgbaImage& image) {
  const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  for (std::size_t i = 0; i < count; ++i) {
    const int x = static_cast<int>(i % static_cast<std::size_t>(image.width));
    const int y = static_cast<int>(i / static_cast<std::size_t>(image.width));
    Rgba c{0, 0, 0, 255};
    switch (kind) {
      case kShapeIndexed8:
        if (data[i] < palette.size()) c = palette[data[i]];  // past the palette: black
        break;
      case kShapeRgb565: c = FromRgb565(LoadLE16(data + 2 * i)); break;
      case kShapeArgb1555: c = FromArgb1555(LoadLE16(data + 2 * i)); break;
      case kShapeArgb4444: c = FromArgb4444(LoadLE16(data + 2 * i)); break;
      case kShapeBgr888: c = {data[3 * i + 2], data[3 * i + 1], data[3 * i], 255}; break;
      default: c = {data[4 * i + 2], data[4 * i + 1], data[4 * i], data[4 * i + 3]}; break;
    }
    Put(image, x, y, c);
  }
}

std::optional<Palette> GlobalPalette(std::string_view file, const std::vector<DirectoryEntry>& directory) {
  for (const DirectoryEntry& entry : directory) {
    if (!IsPictureEntry(entry)) return ReadPalette(file, entry.offset);
  }
  return std::nullopt;
}

std::optional<RgbaImage> DecodeAt(std::string_view file, std::size_t at, const std::vector<DirectoryEntry>& directory,
                                  PictureBudget& budget) {
  const RecordHeader header = ReadRecordHeader(file, at);
  if (header.kind & kPackedFlag) return std::nullopt;  // the game's own compression
  const std::uint64_t needed = PixelBytes(header.kind, static_cast<std::uint64_t>(header.width),
                                          static_cast<std::uint64_t>(header.height));
  if (needed == 0) return std::nullopt;  // an unknown kind, or no pixels at all
  const std::size_t data = at + kRecordHeaderSize;
  // The pixels must lie inside the file and, when a next record follows, before it.
  if (needed > file.size() - data) return std::nullopt;
  if (header.next != 0 && needed > header.next - std::min(header.next, kRecordHeaderSize)) return std::nullopt;
  const std::uint64_t count = static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height);
  if (count > kMaxPicturePixels) return std::nullopt;
  // Every pixel is in the file by now: a started picture always decodes.
  if (!budget.Start(count)) return std::nullopt;
  RgbaImage image = MakeRgbaImage(header.width, header.height);
  if (image.empty()) {
    budget.FailedLate();
    return std::nullopt;
  }
  const std::uint8_t* pixels = Bytes(file, data);
  if (header.kind == kShapeDxt1 || header.kind == kShapeDxt3) {
    DecodeBlocks(pixels, header.kind == kShapeDxt3, image);
  } else {
    Palette palette;
    if (header.kind == kShapeIndexed8) {
      std::optional<Palette> found = OwnPalette(file, at);
      if (!found) found = GlobalPalette(file, directory);
      palette = found ? std::move(*found) : GreyRamp();
    }
    DecodeRows(pixels, header.kind, palette, image);
  }
  return image;
}

std::vector<DirectoryEntry> Pictures(const std::vector<DirectoryEntry>& directory) {
  std::vector<DirectoryEntry> pictures;
  for (const DirectoryEntry& entry : directory) {
    if (IsPictureEntry(entry)) pictures.push_back(entry);
  }
  return pictures;
}

}  // namespace

std::vector<std::string> ShapeImageNames(std::string_view file) {
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : Pictures(ReadDirectory(file))) names.push_back(entry.name);
  return names;
}

std::optional<RgbaImage> DecodeShapeImage(std::string_view file, std::size_t index) {
  const std::vector<DirectoryEntry> directory = ReadDirectory(file);
  const std::vector<DirectoryEntry> pictures = Pictures(directory);
  if (index >= pictures.size()) return std::nullopt;
  PictureBudget budget;
  return DecodeAt(file, pictures[index].offset, directory, budget);
}

std::optional<RgbaImage> DecodeFirstShapeImage(std::string_view file) {
  PictureBudget budget;
  return DecodeFirstShapeImage(file, budget);
}

std::optional<RgbaImage> DecodeFirstShapeImage(std::string_view file, PictureBudget& budget) {
  const std::vector<DirectoryEntry> directory = ReadDirectory(file);
  for (const DirectoryEntry& entry : Pictures(directory)) {
    if (budget.spent()) break;
    if (std::optional<RgbaImage> image = DecodeAt(file, entry.offset, directory, budget)) return image;
  }
  return std::nullopt;
}

}  // namespace krax
