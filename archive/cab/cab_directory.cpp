#include "archive/cab/cab_directory.h"

#include <fstream>

#include "platform/file_system.h"

namespace krax::cab {

namespace {

// A cursor over the file that fails instead of reading past its end. Only the records are
// read, never the data blocks, so a cabinet of any size is listed in little memory.
class Cursor {
 public:
  explicit Cursor(std::ifstream& file) : file_(file) {}
  bool Seek(std::size_t pos) {
    pos_ = pos;
    return true;
  }
  const std::uint8_t* Take(std::size_t count) {
    if (!ReadAt(pos_, count) || buffer_.size() != count) return nullptr;
    pos_ += count;
    return buffer_.data();
  }
  std::optional<std::string> Name() {
    if (!ReadAt(pos_, kMaxNameBytes)) return std::nullopt;
    auto name = ParseName(buffer_);
    if (name) pos_ += name->size() + 1;
    return name;
  }

 private:
  // Reads up to `count` bytes at `offset` into buffer_ (fewer at the end of the file).
  bool ReadAt(std::size_t offset, std::size_t count) {
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    if (!file_) return false;
    buffer_.resize(count);
    file_.read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(count));
    buffer_.resize(static_cast<std::size_t>(file_.gcount()));
    return true;
  }

  std::ifstream& file_;
  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0;
};

}  // namespace

bool ReadCabinetDirectory(const std::string& path, CabDirectory& directory, ArchiveStatus& status) {
  auto fail = [&](ArchiveStatus failure) {
    status = failure;
    return false;
  };
  std::ifstream stream(path, std::ios::binary);
  if (!stream || IsFolder(path)) return fail(ArchiveStatus::kCabinetOpenFailed);
  Cursor in(stream);
  const std::uint8_t* fixed = in.Take(kHeaderFixedSize);
  if (!fixed) return fail(ArchiveStatus::kNotACabinet);
  CFHEADER header = ParseHeaderFixed(fixed);
  if (header.signature != kSignatureMSCF) return fail(ArchiveStatus::kNotACabinet);
  if (header.version() != kCabVersion) return fail(ArchiveStatus::kBadVersion);
  if (header.flags & kFlagReservePresent) {
    const std::uint8_t* sizes = in.Take(kReserveFieldsSize);
    if (!sizes) return fail(ArchiveStatus::kDamaged);
    header.headerReserveSize = LoadLE16(sizes);
    header.folderReserveSize = sizes[2];
    header.dataReserveSize = sizes[3];
    const std::uint8_t* reserve = in.Take(header.headerReserveSize);
    if (!reserve) return fail(ArchiveStatus::kDamaged);
    header.reserveBytes.assign(reserve, reserve + header.headerReserveSize);
  }
  auto names = [&](std::string& cabinet, std::string& disk) {
    auto a = in.Name();
    auto b = a ? in.Name() : std::nullopt;
    if (!a || !b) return false;
    cabinet = *a;
    disk = *b;
    return true;
  };
  if ((header.flags & kFlagPrevCabinet) && !names(header.previousCabinetName, header.previousDiskName)) return fail(ArchiveStatus::kDamaged);
  if ((header.flags & kFlagNextCabinet) && !names(header.nextCabinetName, header.nextDiskName)) return fail(ArchiveStatus::kDamaged);

  std::vector<CFFOLDER> folders;
  for (unsigned i = 0; i < header.folderCount; ++i) {
    const std::uint8_t* record = in.Take(kFolderFixedSize + header.folderReserveSize);
    if (!record) return fail(ArchiveStatus::kDamaged);
    folders.push_back(ParseFolder(record, header.folderReserveSize));
  }
  std::vector<CFFILE> files;
  if (!in.Seek(header.firstFileOffset)) return fail(ArchiveStatus::kDamaged);
  for (unsigned i = 0; i < header.fileCount; ++i) {
    const std::uint8_t* record = in.Take(kFileFixedSize);
    if (!record) return fail(ArchiveStatus::kDamaged);
    CFFILE file = ParseFileFixed(record);
    auto name = in.Name();
    if (!name) return fail(ArchiveStatus::kDamaged);
    file.name = std::move(*name);
    files.push_back(std::move(file));
  }
  directory.header = std::move(header);
  directory.folders = std::move(folders);
  directory.files = std::move(files);
  status = ArchiveStatus::kOk;
  return true;
}

std::uint16_t FolderTypeOfFile(const CabDirectory& directory, const CFFILE& file) {
  if (directory.folders.empty()) return kMethodUnset;
  std::size_t index = file.folderIndex;
  if (file.folderIndex == kFolderContinuedFromPrev || file.folderIndex == kFolderContinuedPrevAndNext) {
    index = 0;
  } else if (file.folderIndex == kFolderContinuedToNext) {
    index = directory.folders.size() - 1;
  }
  if (index >= directory.folders.size()) return kMethodUnset;
  return directory.folders[index].typeCompress;
}

CabinetPathParts SplitCabinetPath(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return {"", path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

bool ReadCabinetSet(const std::string& path, std::vector<CabinetSetPart>& parts, std::string& problem) {
  parts.clear();
  problem.clear();
  const std::string folder = SplitCabinetPath(path).folder;
  std::string current = path;
  for (;;) {
    CabinetSetPart part;
    part.path = current;
    ArchiveStatus status = ArchiveStatus::kOk;
    if (!ReadCabinetDirectory(current, part.directory, status)) {
      problem = parts.empty() ? current + " cannot be read as a cabinet file"
                              : "the cabinet " + current + " of the set is missing or unreadable";
      return false;
    }
    const CFHEADER& header = part.directory.header;
    if (!parts.empty() && (header.setID != parts.back().directory.header.setID ||
                           header.cabinetIndex != parts.back().directory.header.cabinetIndex + 1)) {
      problem = "the cabinet " + current + " does not belong to the set";
      return false;
    }
    const bool more = (header.flags & kFlagNextCabinet) != 0;
    const std::string next = folder + header.nextCabinetName;
    parts.push_back(std::move(part));
    if (!more) return true;
    if (parts.size() > 0xFFFF) {  // more than cabinetIndex can number: a loop
      problem = "the cabinet set " + path + " does not end";
      return false;
    }
    current = next;
  }
}

std::optional<std::string> FirstCabinetOfSet(const std::string& path) {
  CabDirectory directory;
  ArchiveStatus status = ArchiveStatus::kOk;
  if (!ReadCabinetDirectory(path, directory, status) || !(directory.header.flags & kFlagPrevCabinet)) {
    return std::nullopt;
  }
  const std::string folder = SplitCabinetPath(path).folder;
  std::string earliest = directory.header.previousCabinetName;
  // Each step goes back one cabinet number, so the walk ends.
  for (unsigned number = directory.header.cabinetIndex; number > 0; --number) {
    CabDirectory previous;
    if (!ReadCabinetDirectory(folder + earliest, previous, status) || !(previous.header.flags & kFlagPrevCabinet) ||
        previous.header.cabinetIndex >= number) {
      break;
    }
    earliest = previous.header.previousCabinetName;
  }
  return earliest;
}

std::string NotFirstCabinetProblem(const std::string& path) {
  const std::optional<std::string> first = FirstCabinetOfSet(path);
  if (!first) return {};
  return path + " is not the first cabinet of its set: the set begins with " + *first;
}

}  // namespace krax::cab
