#include "cab_test_support.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "archive/lzx/lzx_encoder.h"

namespace krax::test {

using namespace krax::cab;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string ToString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes BuildCabinet(const CabinetSpec& spec) {
  CFHEADER header;
  header.signature = spec.signature;
  header.versionMinor = static_cast<std::uint8_t>(spec.version & 0xFF);
  header.versionMajor = static_cast<std::uint8_t>(spec.version >> 8);
  header.folderCount = static_cast<std::uint16_t>(spec.folders.size());
  header.fileCount = static_cast<std::uint16_t>(spec.files.size());
  header.setID = spec.setID;
  header.cabinetIndex = spec.cabinetIndex;
  if (spec.reserve) {
    header.flags |= kFlagReservePresent;
    header.headerReserveSize = spec.headerReserveSize;
    header.folderReserveSize = spec.folderReserveSize;
    header.dataReserveSize = spec.dataReserveSize;
  }
  if (!spec.prevCabinet.empty()) {
    header.flags |= kFlagPrevCabinet;
    header.previousCabinetName = spec.prevCabinet;
    header.previousDiskName = spec.prevDisk;
  }
  if (!spec.nextCabinet.empty()) {
    header.flags |= kFlagNextCabinet;
    header.nextCabinetName = spec.nextCabinet;
    header.nextDiskName = spec.nextDisk;
  }
  const std::size_t folderRecord = kFolderFixedSize + header.folderReserveSize;
  std::size_t filesSize = 0;
  for (const auto& file : spec.files) filesSize += kFileFixedSize + file.name.size() + 1;
  header.firstFileOffset = static_cast<std::uint32_t>(header.serializedSize() + folderRecord * spec.folders.size());

  Bytes folders, files, data;
  std::size_t dataStart = header.firstFileOffset + filesSize;
  for (const auto& folder : spec.folders) {
    CFFOLDER record;
    record.firstBlockOffset = static_cast<std::uint32_t>(dataStart + data.size());
    record.blockCount = static_cast<std::uint16_t>(folder.blocks.size());
    record.typeCompress = folder.typeCompress;
    AppendFolder(folders, record, header.folderReserveSize);
    for (const auto& block : folder.blocks) {
      CFDATA blockHeader;
      blockHeader.compressedSize = static_cast<std::uint16_t>(block.data.size());
      blockHeader.uncompressedSize = block.uncompressedSize;
      blockHeader.reserveBytes.assign(header.dataReserveSize, 0);
      if (block.csum == BlockSpec::Csum::kComputed) blockHeader.csum = DataBlockChecksum(blockHeader, block.data.data());
      if (block.csum == BlockSpec::Csum::kWrong) blockHeader.csum = DataBlockChecksum(blockHeader, block.data.data()) ^ 1u;
      AppendDataHeader(data, blockHeader, header.dataReserveSize);
      data.insert(data.end(), block.data.begin(), block.data.end());
    }
  }
  for (const auto& file : spec.files) {
    CFFILE record;
    record.fileSize = file.fileSize;
    record.offsetInFolder = file.offsetInFolder;
    record.folderIndex = file.folderIndex;
    record.date = file.date;
    record.time = file.time;
    record.attribs = file.attribs;
    record.name = file.name;
    AppendFile(files, record);
  }
  header.cabinetSize = static_cast<std::uint32_t>(dataStart + data.size());
  Bytes out;
  AppendHeader(out, header);
  out.insert(out.end(), folders.begin(), folders.end());
  out.insert(out.end(), files.begin(), files.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

FolderSpec StoredFolder(const std::string& contents, std::size_t blockSize) {
  FolderSpec folder;
  folder.typeCompress = 0;
  for (std::size_t at = 0; at < contents.size(); at += blockSize) {
    const std::string piece = contents.substr(at, blockSize);
    folder.blocks.push_back({ToBytes(piece), static_cast<std::uint16_t>(piece.size())});
  }
  return folder;
}

std::vector<FileSpec> FilesInFolder(const std::vector<std::pair<std::string, std::string>>& files,
                                    std::uint16_t folderIndex, std::uint32_t firstOffset) {
  std::vector<FileSpec> specs;
  std::uint32_t offset = firstOffset;
  for (const auto& [name, content] : files) {
    FileSpec spec;
    spec.name = name;
    spec.fileSize = static_cast<std::uint32_t>(content.size());
    spec.offsetInFolder = offset;
    spec.folderIndex = folderIndex;
    specs.push_back(spec);
    offset += spec.fileSize;
  }
  return specs;
}

std::string Joined(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string all;
  for (const auto& entry : files) all += entry.second;
  return all;
}

FolderSpec MszipFolder(const std::string& contents) {
  FolderSpec folder;
  folder.typeCompress = 1;
  std::string history;
  for (std::size_t at = 0; at < contents.size(); at += 32768) {
    const std::string piece = contents.substr(at, 32768);
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("zlib");
    if (!history.empty()) {
      deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(history.data()), static_cast<uInt>(history.size()));
    }
    Bytes out(2 + piece.size() + piece.size() / 8 + 64);
    out[0] = 'C';
    out[1] = 'K';
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    z.avail_in = static_cast<uInt>(piece.size());
    z.next_out = out.data() + 2;
    z.avail_out = static_cast<uInt>(out.size() - 2);
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(2 + z.total_out);
    deflateEnd(&z);
    folder.blocks.push_back({out, static_cast<std::uint16_t>(piece.size())});
    history = piece;
  }
  return folder;
}

FolderSpec LzxFolder(const std::string& contents, int windowBits) {
  FolderSpec folder;
  folder.typeCompress = MakeTypeCompress(CompressionMethod::kLzx, windowBits);
  lzx::LzxEncoder encoder(windowBits);
  auto sink = [&](const std::uint8_t* bytes, std::size_t size, std::size_t uncompressed) {
    folder.blocks.push_back({Bytes(bytes, bytes + size), static_cast<std::uint16_t>(uncompressed)});
    return true;
  };
  const auto* data = reinterpret_cast<const std::uint8_t*>(contents.data());
  for (std::size_t at = 0; at < contents.size(); at += 32768) {
    encoder.CompressFrame(data + at, std::min<std::size_t>(32768, contents.size() - at), sink);
  }
  encoder.Flush(sink);
  return folder;
}

// --- MemoryFiles ---------------------------------------------------------------------------

CabHandle MemoryFiles::NewTarget() {
  const CabHandle handle = next_++;
  open_[handle] = Open{"", 0, true};
  written[handle] = "";
  return handle;
}

CabFiles MemoryFiles::Functions() {
  CabFiles functions;
  functions.open = [this](const std::string& path, int, int, int& error) -> CabHandle {
    opened.push_back(path);
    if (!files.count(path)) {
      error = ENOENT;
      return -1;
    }
    const CabHandle handle = next_++;
    open_[handle] = Open{path, 0, false};
    ++openCabinetHandles;
    return handle;
  };
  functions.read = [this](CabHandle handle, void* buffer, std::size_t count, int&) -> long long {
    auto it = open_.find(handle);
    if (it == open_.end() || it->second.target) return -1;
    const Bytes& content = files[it->second.path];
    const std::size_t at = std::min(it->second.position, content.size());
    const std::size_t n = std::min(count, content.size() - at);
    if (n) std::memcpy(buffer, content.data() + at, n);
    it->second.position = at + n;
    return static_cast<long long>(n);
  };
  functions.write = [this](CabHandle handle, const void* buffer, std::size_t count, int& error) -> long long {
    auto it = open_.find(handle);
    if (it == open_.end() || !it->second.target) return -1;
    if (refuseWritesWith != 0) {
      error = refuseWritesWith;
      return -1;
    }
    std::string& target = written[handle];
    const std::size_t room = failWritesAfter > target.size() ? failWritesAfter - target.size() : 0;
    const std::size_t n = std::min(count, room);
    target.append(static_cast<const char*>(buffer), n);
    return static_cast<long long>(n);
  };
  functions.close = [this](CabHandle handle, int&) -> int {
    auto it = open_.find(handle);
    if (it == open_.end()) return -1;
    if (!it->second.target) --openCabinetHandles;
    open_.erase(it);
    return 0;
  };
  functions.seek = [this](CabHandle handle, long long offset, int origin, int&) -> long long {
    auto it = open_.find(handle);
    if (it == open_.end() || it->second.target) return -1;
    const long long size = static_cast<long long>(files[it->second.path].size());
    const long long base = origin == 0 ? 0 : origin == 1 ? static_cast<long long>(it->second.position) : size;
    const long long target = base + offset;
    if (target < 0) return -1;
    it->second.position = static_cast<std::size_t>(target);
    return target;
  };
  return functions;
}

// --- RecordingClient -----------------------------------------------------------------------

CabNotifyFunction RecordingClient::Function() {
  return [this](CabNotification& note) -> CabHandle {
    notes.push_back(note);
    switch (note.kind) {
      case CabNotificationKind::kCabinetInfo:
        events.push_back("CabinetInfo " + std::to_string(note.cabinetIndex));
        return 0;
      case CabNotificationKind::kEnumerate: events.emplace_back("Enumerate"); return 0;
      case CabNotificationKind::kPartialFile:
        events.push_back("PartialFile " + note.name);
        return 0;
      case CabNotificationKind::kNextCabinet:
        // A repeated question carries why the place given before failed.
        events.push_back("NextCabinet " + note.nextCabinet +
                         (note.previousAttempt == ArchiveStatus::kOk
                              ? std::string()
                              : " (" + std::string(ArchiveStatusText(note.previousAttempt)) + ")"));
        if (!nextCabinetPath.empty()) note.cabinetPath = nextCabinetPath;
        return nextCabinetAnswer;
      case CabNotificationKind::kCopyFile: {
        events.push_back("CopyFile " + note.name);
        if (copyAnswer != 1) return copyAnswer;
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), note.name) == wanted.end()) return 0;
        return files->NewTarget();
      }
      case CabNotificationKind::kCloseFileInfo: {
        events.push_back("CloseFileInfo " + note.name);
        extracted[note.name] = files->written[note.handle];
        int ignored = 0;
        files->Functions().close(note.handle, ignored);
        return closeAnswer;
      }
    }
    return 0;
  };
}

bool Walk(MemoryFiles& files, RecordingClient& client, const std::string& name, ArchiveStatus* error) {
  client.files = &files;
  ArchiveResult created;
  auto reader = CabReaderCreate(files.Functions(), &created);
  if (!reader) throw std::runtime_error("reader");
  const bool ok = CabReaderCopy(*reader, {name, "", client.Function()});
  if (error) *error = CabReaderLastError(*reader).status;
  CabReaderDestroy(std::move(reader));
  return ok;
}

}  // namespace krax::test
