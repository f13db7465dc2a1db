#include "archive/cab/cab_reader.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

namespace krax::cab {

namespace {

// Every rejection inside a walk goes through Require: the walk unwinds to CabReaderCopy,
// which closes what is open and fills the error record.
// (The exception never leaves the reader.)
struct ReaderFailure {
  ArchiveStatus status;
  std::string detail;
};

void Require(bool condition, ArchiveStatus status, const char* detail = nullptr) {
  if (!condition) throw ReaderFailure{status, detail ? detail : ""};
}

bool ContinuesFromPrev(std::uint16_t folderIndex) {
  return folderIndex == kFolderContinuedFromPrev || folderIndex == kFolderContinuedPrevAndNext;
}
bool ContinuesToNext(std::uint16_t folderIndex) {
  return folderIndex == kFolderContinuedToNext || folderIndex == kFolderContinuedPrevAndNext;
}

// A client that answers NextCabinet with the same place after a failed attempt would be
// asked forever; the walk ends after this many attempts or an unchanged answer.
constexpr int kMaxNextCabinetAttempts = 8;

}  // namespace

class CabReader {
 public:
  explicit CabReader(CabFiles files) : files_(std::move(files)), output_(kMaxBlockUncompressed) {}
  ~CabReader() { CloseCabinet(); }

  bool IsCabinet(CabHandle handle, CabinetInfo* info);
  bool Copy(const std::string& cabinetName, const std::string& cabinetPath, const CabNotifyFunction& notify);

  ArchiveResult error_;
  // The system error number of the client's last failed call.
  int ClientError() const { return clientError_; }
  void Fail(ArchiveStatus status, std::string detail) {
    error_.status = status;
    error_.detail = std::move(detail);
  }

 private:
  // Cabinets.
  void OpenCabinet(const std::string& name, const std::string& path, bool following);
  bool CloseCabinet();
  void HopToNextCabinet();
  std::string ReadName(CabHandle handle);
  CFFILE ReadFileRecord();
  void SeekTo(CabHandle handle, long long position);
  bool ReadExact(CabHandle handle, void* buffer, std::size_t count);

  // Walk.
  void Walk();
  void SendEnumerate();
  void ExtractFile(const CFFILE& file, CabHandle handle);
  CabHandle Notify(CabNotification& notification);

  // Folders and blocks.
  void StartFolder(unsigned index);
  void SetUpDecompressor(std::uint16_t typeCompress);
  void ReadNextBlock();
  CFDATA ReadBlockPart(std::size_t offset, std::size_t limit);

  // "block 12 of folder 0": the block being read (counted from 0 within its folder).
  std::string BlockPlace(unsigned block) const {
    return "block " + std::to_string(block) + " of folder " + std::to_string(std::max(currentFolder_, 0));
  }
  std::size_t folderRecordSize() const { return kFolderFixedSize + folderReserveSize_; }
  std::size_t dataRecordSize() const { return kDataFixedSize + dataReserveSize_; }

  CabFiles files_;
  int clientError_ = 0;
  const CabNotifyFunction* notify_ = nullptr;

  CabHandle listHandle_ = -1;  // walks the CFFILE records
  CabHandle dataHandle_ = -1;  // reads folders and blocks
  CFHEADER header_;
  bool reserveKnown_ = false;
  std::uint16_t headerReserveSize_ = 0;
  std::uint8_t folderReserveSize_ = 0;
  std::uint8_t dataReserveSize_ = 0;
  std::vector<std::uint8_t> headerReserve_;
  std::string cabinetPath_;
  long long firstFolderPos_ = 0;
  long long filesLeft_ = 0;
  int continuingHandled_ = 0;       // records continuing to the next cabinet walked so far
  std::uint16_t currentRecordFolder_ = 0;  // folderIndex of the current file's record here
  bool continuation_ = false;

  int currentFolder_ = -1;
  CFFOLDER folder_;
  std::uint64_t folderOffset_ = 0;  // uncompressed offset of the current block
  std::uint32_t blockSize_ = 0;     // its uncompressedSize (bytes in output_)
  unsigned blocksLeft_ = 0;
  unsigned blockIndex_ = 0;         // blocks of the folder read so far
  std::uint16_t currentType_ = kMethodUnset;
  std::unique_ptr<CabDecompressor> decompressor_;
  std::vector<std::uint8_t> input_;
  std::vector<std::uint8_t> output_;

  CabHandle target_ = -1;  // the client's file being written
};

// --- file access -------------------------------------------------------------------------

bool CabReader::ReadExact(CabHandle handle, void* buffer, std::size_t count) {
  if (count == 0) return true;
  const long long got = files_.read(handle, buffer, count, clientError_);
  return got >= 0 && static_cast<std::size_t>(got) == count;
}

void CabReader::SeekTo(CabHandle handle, long long position) {
  Require(position >= 0 && files_.seek(handle, position, SEEK_SET, clientError_) == position, ArchiveStatus::kDamaged);
}

std::string CabReader::ReadName(CabHandle handle) {
  std::uint8_t buffer[kMaxNameBytes];
  const long long got = files_.read(handle, buffer, sizeof buffer, clientError_);
  Require(got > 0, ArchiveStatus::kDamaged);
  const auto name = ParseName(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)));
  Require(name.has_value(), ArchiveStatus::kDamaged);
  const long long back = got - static_cast<long long>(name->size() + 1);
  if (back > 0) Require(files_.seek(handle, -back, SEEK_CUR, clientError_) >= 0, ArchiveStatus::kDamaged);
  return *name;
}

CFFILE CabReader::ReadFileRecord() {
  std::uint8_t fixed[kFileFixedSize];
  Require(ReadExact(listHandle_, fixed, sizeof fixed), ArchiveStatus::kDamaged);
  CFFILE file = ParseFileFixed(fixed);
  file.name = ReadName(listHandle_);
  return file;
}

// --- cabinets ----------------------------------------------------------------------------

bool CabReader::CloseCabinet() {
  bool ok = true;
  for (CabHandle* handle : {&listHandle_, &dataHandle_}) {
    if (*handle != -1) {
      if (files_.close(*handle, clientError_) != 0) ok = false;
      *handle = -1;
    }
  }
  return ok;
}

void CabReader::OpenCabinet(const std::string& name, const std::string& path, bool following) {
  CloseCabinet();
  const std::string full = path + name;
  listHandle_ = files_.open(full, O_RDONLY, 0, clientError_);
  if (listHandle_ == -1) error_.systemError = ClientError();
  Require(listHandle_ != -1, ArchiveStatus::kCabinetOpenFailed);
  dataHandle_ = files_.open(full, O_RDONLY, 0, clientError_);
  if (dataHandle_ == -1) error_.systemError = ClientError();
  Require(dataHandle_ != -1, ArchiveStatus::kCabinetOpenFailed);

  std::uint8_t fixed[kHeaderFixedSize];
  Require(ReadExact(listHandle_, fixed, sizeof fixed), ArchiveStatus::kNotACabinet);
  CFHEADER header = ParseHeaderFixed(fixed);
  Require(header.signature == kSignatureMSCF, ArchiveStatus::kNotACabinet);
  Require(header.version() == kCabVersion, ArchiveStatus::kBadVersion);
  if (following) {
    Require(header.setID == header_.setID && header.cabinetIndex == header_.cabinetIndex + 1,
            ArchiveStatus::kWrongCabinet);
  }

  if (header.flags & kFlagReservePresent) {
    std::uint8_t sizes[kReserveFieldsSize];
    Require(ReadExact(listHandle_, sizes, sizeof sizes), ArchiveStatus::kDamaged);
    header.headerReserveSize = LoadLE16(sizes);
    header.folderReserveSize = sizes[2];
    header.dataReserveSize = sizes[3];
  }
  if (!reserveKnown_) {
    headerReserveSize_ = header.headerReserveSize;
    folderReserveSize_ = header.folderReserveSize;
    dataReserveSize_ = header.dataReserveSize;
    headerReserve_.assign(headerReserveSize_, 0);
    reserveKnown_ = true;
  } else {
    Require(header.headerReserveSize == headerReserveSize_ && header.folderReserveSize == folderReserveSize_ &&
                header.dataReserveSize == dataReserveSize_,
            ArchiveStatus::kReserveMismatch);
  }
  Require(ReadExact(listHandle_, headerReserve_.data(), headerReserve_.size()), ArchiveStatus::kDamaged);
  header.reserveBytes = headerReserve_;

  if (header.flags & kFlagPrevCabinet) {
    header.previousCabinetName = ReadName(listHandle_);
    header.previousDiskName = ReadName(listHandle_);
  }
  if (header.flags & kFlagNextCabinet) {
    header.nextCabinetName = ReadName(listHandle_);
    header.nextDiskName = ReadName(listHandle_);
  }
  const long long folderPos = files_.seek(listHandle_, 0, SEEK_CUR, clientError_);
  Require(folderPos >= 0, ArchiveStatus::kDamaged);
  SeekTo(listHandle_, header.firstFileOffset);

  firstFolderPos_ = folderPos;
  filesLeft_ = header.fileCount;
  header_ = std::move(header);

  CabNotification info;
  info.kind = CabNotificationKind::kCabinetInfo;
  info.nextCabinet = header_.nextCabinetName;
  info.nextDisk = header_.nextDiskName;
  info.cabinetPath = cabinetPath_;
  info.setID = header_.setID;
  info.cabinetIndex = header_.cabinetIndex;
  Notify(info);
}

void CabReader::HopToNextCabinet() {
  // Data that runs on without a following cabinet is damaged.
  Require((header_.flags & kFlagNextCabinet) != 0, ArchiveStatus::kDamaged);
  std::string nextName = header_.nextCabinetName;
  const std::string nextDisk = header_.nextDiskName;
  Require(CloseCabinet(), ArchiveStatus::kDamaged);

  ArchiveStatus lastError = ArchiveStatus::kOk;
  for (int attempt = 0;; ++attempt) {
    CabNotification ask;
    ask.kind = CabNotificationKind::kNextCabinet;
    ask.nextCabinet = nextName;
    ask.nextDisk = nextDisk;
    ask.cabinetPath = cabinetPath_;
    ask.previousAttempt = lastError;
    Notify(ask);
    if (attempt > 0) {
      // Asking again only makes sense when the client points somewhere else.
      const bool changed = ask.cabinetPath != cabinetPath_ || ask.nextCabinet != nextName;
      Require(changed && attempt < kMaxNextCabinetAttempts, lastError);
    }
    cabinetPath_ = ask.cabinetPath;
    nextName = ask.nextCabinet;
    try {
      OpenCabinet(nextName, cabinetPath_, true);
      break;
    } catch (const ReaderFailure& failure) {
      CloseCabinet();
      if (failure.status == ArchiveStatus::kStopped) throw;
      lastError = failure.status;
    }
  }

  // The continued folder is the first folder of this cabinet.
  Require(header_.folderCount >= 1, ArchiveStatus::kDamaged);
  SeekTo(dataHandle_, firstFolderPos_);
  std::vector<std::uint8_t> record(folderRecordSize());
  Require(ReadExact(dataHandle_, record.data(), record.size()), ArchiveStatus::kDamaged);
  CFFOLDER folder = ParseFolder(record.data(), folderReserveSize_);
  Require(folder.typeCompress == folder_.typeCompress, ArchiveStatus::kDamaged);
  SeekTo(dataHandle_, folder.firstBlockOffset);
  blocksLeft_ = folder.blockCount;
  folder_ = std::move(folder);
  currentFolder_ = 0;

  // This cabinet lists the files continued into it first: pass over the ones walked in
  // the previous cabinet and the one being extracted.
  const int skip = continuingHandled_ + 1;
  continuingHandled_ = 0;
  for (int k = 0; k < skip; ++k) {
    Require(filesLeft_ > 0, ArchiveStatus::kDamaged);
    const CFFILE listed = ReadFileRecord();
    --filesLeft_;
    Require(ContinuesFromPrev(listed.folderIndex), ArchiveStatus::kDamaged);
    if (k + 1 < skip) {
      if (ContinuesToNext(listed.folderIndex)) ++continuingHandled_;
    } else {
      currentRecordFolder_ = listed.folderIndex;
    }
  }
  continuation_ = true;
}

// --- walk --------------------------------------------------------------------------------

CabHandle CabReader::Notify(CabNotification& notification) {
  const CabHandle result = (*notify_)(notification);
  Require(result != -1, ArchiveStatus::kStopped);
  return result;
}

void CabReader::SendEnumerate() {
  CabNotification note;
  note.kind = CabNotificationKind::kEnumerate;
  note.position = files_.seek(listHandle_, 0, SEEK_CUR, clientError_);
  Require(note.position >= 0, ArchiveStatus::kDamaged);
  note.filesLeft = static_cast<int>(filesLeft_);
  const long long position = note.position;
  Notify(note);
  if (note.position != position) SeekTo(listHandle_, note.position);
  filesLeft_ = std::max(note.filesLeft, 0);
}

void CabReader::Walk() {
  bool walkedAny = false;
  for (;;) {
    SendEnumerate();
    while (filesLeft_ > 0) {
      CFFILE file = ReadFileRecord();
      --filesLeft_;
      walkedAny = true;
      currentRecordFolder_ = file.folderIndex;

      if (ContinuesFromPrev(file.folderIndex)) {
        if (!continuation_) {
          CabNotification partial;
          partial.kind = CabNotificationKind::kPartialFile;
          partial.name = file.name;
          partial.prevCabinet = header_.previousCabinetName;
          partial.prevDisk = header_.previousDiskName;
          Notify(partial);
          if (ContinuesToNext(file.folderIndex)) ++continuingHandled_;
          continue;
        }
      } else if (continuation_) {
        // The rest of this cabinet begins here: it belongs to a walk started on it.
        filesLeft_ = 0;
        break;
      }

      CabNotification copy;
      copy.kind = CabNotificationKind::kCopyFile;
      copy.name = file.name;
      copy.size = file.fileSize;
      copy.date = file.date;
      copy.time = file.time;
      copy.attribs = file.attribs;
      copy.folderIndex = file.folderIndex;
      const CabHandle handle = Notify(copy);
      if (handle != 0) ExtractFile(file, handle);
      // A file still listed as continuing in the cabinet now walked is listed again first
      // in the next one.
      if (ContinuesToNext(currentRecordFolder_)) ++continuingHandled_;
    }
    // An empty cabinet gets a single Enumerate; otherwise one follows the last file.
    if (!walkedAny) break;
    SendEnumerate();
    if (filesLeft_ <= 0) break;
  }
}

void CabReader::ExtractFile(const CFFILE& file, CabHandle handle) {
  target_ = handle;
  if (file.fileSize > 0) {
    if (!continuation_) {
      unsigned index = file.folderIndex;
      if (ContinuesToNext(file.folderIndex)) {
        Require(header_.folderCount > 0, ArchiveStatus::kDamaged);
        index = header_.folderCount - 1u;
      }
      Require(index < header_.folderCount, ArchiveStatus::kDamaged);
      if (static_cast<int>(index) != currentFolder_ || file.offsetInFolder < folderOffset_) {
        StartFolder(index);
      }
    } else {
      // A cabinet opened as a continuation cannot go back to the start of the folder.
      Require(currentFolder_ >= 0 && file.offsetInFolder >= folderOffset_, ArchiveStatus::kDamaged);
    }

    std::uint64_t position = file.offsetInFolder;
    const std::uint64_t end = position + file.fileSize;
    while (position < end) {
      while (position >= folderOffset_ + blockSize_) ReadNextBlock();
      const std::size_t inBlock = static_cast<std::size_t>(position - folderOffset_);
      const std::size_t count =
          static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_ - inBlock, end - position));
      const long long written = files_.write(handle, output_.data() + inBlock, count, clientError_);
      if (written < 0) error_.systemError = ClientError();
      Require(written >= 0 && static_cast<std::size_t>(written) == count, ArchiveStatus::kTargetFailed);
      position += count;
    }
  }

  CabNotification close;
  close.kind = CabNotificationKind::kCloseFileInfo;
  close.name = file.name;
  close.handle = handle;
  close.date = file.date;
  close.time = file.time;
  close.attribs = static_cast<std::uint16_t>(file.attribs & ~kAttribRunAfterExtract);
  close.runAfterExtract = (file.attribs & kAttribRunAfterExtract) != 0;
  close.folderIndex = file.folderIndex;
  target_ = -1;  // the client closes the handle whatever it answers
  Require(Notify(close) != 0, ArchiveStatus::kTargetFailed);
}

// --- folders and blocks ------------------------------------------------------------------

void CabReader::SetUpDecompressor(std::uint16_t typeCompress) {
  if (decompressor_ && typeCompress == currentType_) {
    decompressor_->Reset();
    return;
  }
  decompressor_.reset();
  currentType_ = kMethodUnset;
  const int window = WindowBitsOf(typeCompress);
  switch (MethodOf(typeCompress)) {
    case static_cast<std::uint16_t>(CompressionMethod::kNone):
      decompressor_ = MakeStoredDecompressor();
      break;
    case static_cast<std::uint16_t>(CompressionMethod::kMszip):
      decompressor_ = MakeMszipDecompressor();
      break;
    case static_cast<std::uint16_t>(CompressionMethod::kQuantum):
      decompressor_ = MakeQuantumDecompressor(window);
      break;
    case static_cast<std::uint16_t>(CompressionMethod::kLzx):
      decompressor_ = MakeLzxDecompressor(window);
      break;
    default:
      throw ReaderFailure{ArchiveStatus::kUnknownType, "unknown compression type " + DescribeTypeCompress(typeCompress)};
  }
  // The factories refuse a window the method does not have.
  Require(decompressor_ != nullptr, ArchiveStatus::kDecompressFailed);
  input_.assign(*MaxCompressedBlockSize(typeCompress), 0);
  currentType_ = typeCompress;
}

void CabReader::StartFolder(unsigned index) {
  currentFolder_ = -1;
  SeekTo(dataHandle_, firstFolderPos_ + static_cast<long long>(index * folderRecordSize()));
  std::vector<std::uint8_t> record(folderRecordSize());
  Require(ReadExact(dataHandle_, record.data(), record.size()), ArchiveStatus::kDamaged);
  folder_ = ParseFolder(record.data(), folderReserveSize_);
  SetUpDecompressor(folder_.typeCompress);
  SeekTo(dataHandle_, folder_.firstBlockOffset);
  blocksLeft_ = folder_.blockCount;
  blockIndex_ = 0;
  folderOffset_ = 0;
  blockSize_ = 0;
  currentFolder_ = static_cast<int>(index);
  ReadNextBlock();
}

CFDATA CabReader::ReadBlockPart(std::size_t offset, std::size_t limit) {
  std::uint8_t headerBytes[kDataFixedSize + 255];
  Require(ReadExact(dataHandle_, headerBytes, dataRecordSize()), ArchiveStatus::kDamaged);
  CFDATA block = ParseDataHeader(headerBytes, dataReserveSize_);
  Require(block.compressedSize <= limit - offset, ArchiveStatus::kDamaged);
  std::uint8_t* data = input_.data() + offset;
  Require(ReadExact(dataHandle_, data, block.compressedSize), ArchiveStatus::kDamaged);
  if (block.csum != 0 && DataBlockChecksum(block, data) != block.csum) {
    throw ReaderFailure{ArchiveStatus::kDamaged, "checksum mismatch in " + BlockPlace(blockIndex_)};
  }
  --blocksLeft_;
  ++blockIndex_;
  return block;
}

void CabReader::ReadNextBlock() {
  folderOffset_ += blockSize_;
  blockSize_ = 0;
  while (blocksLeft_ == 0) HopToNextCabinet();

  // A part with uncompressedSize 0 is continued by the first block of the next cabinet, which may
  // itself be such a part when a cabinet holds less than a block: the parts are joined until
  // one carries the block's size. The joined bytes must fit the method's input buffer
  // (ReadBlockPart's limit), and each hop needs the next cabinet of the set, so the chain
  // is bounded.
  const std::size_t limit = input_.size();
  const unsigned firstPart = blockIndex_;
  CFDATA part = ReadBlockPart(0, limit);
  std::size_t total = part.compressedSize;
  while (part.uncompressedSize == 0) {
    Require(blocksLeft_ == 0, ArchiveStatus::kDamaged);  // only a cabinet's last block is cut
    HopToNextCabinet();
    Require(blocksLeft_ > 0, ArchiveStatus::kDamaged);
    part = ReadBlockPart(total, limit);
    total += part.compressedSize;
  }
  const std::uint16_t uncompressed = part.uncompressedSize;
  Require(uncompressed <= kMaxBlockUncompressed, ArchiveStatus::kDamaged);
  if (decompressor_->DecompressBlock(input_.data(), total, output_.data(), uncompressed) != CodecStatus::kOk) {
    throw ReaderFailure{ArchiveStatus::kDecompressFailed, BlockPlace(firstPart) + " does not decompress"};
  }
  blockSize_ = uncompressed;
}

// --- entry points ------------------------------------------------------------------------

bool CabReader::IsCabinet(CabHandle handle, CabinetInfo* info) {
  error_ = {};
  std::uint8_t fixed[kHeaderFixedSize];
  if (!ReadExact(handle, fixed, sizeof fixed)) return false;
  const CFHEADER header = ParseHeaderFixed(fixed);
  if (header.signature != kSignatureMSCF) return false;
  if (header.version() != kCabVersion) {
    Fail(ArchiveStatus::kBadVersion, "");
    return false;
  }
  if (info) {
    info->cabinetSize = header.cabinetSize;
    info->folderCount = header.folderCount;
    info->fileCount = header.fileCount;
    info->setID = header.setID;
    info->cabinetIndex = header.cabinetIndex;
    info->hasReserve = (header.flags & kFlagReservePresent) != 0;
    info->hasPrev = (header.flags & kFlagPrevCabinet) != 0;
    info->hasNext = (header.flags & kFlagNextCabinet) != 0;
  }
  return true;
}

bool CabReader::Copy(const std::string& cabinetName, const std::string& cabinetPath, const CabNotifyFunction& notify) {
  error_ = {};
  notify_ = &notify;
  cabinetPath_ = cabinetPath;
  continuation_ = false;
  currentFolder_ = -1;
  continuingHandled_ = 0;
  folderOffset_ = 0;
  blockSize_ = 0;
  ReaderFailure failure{ArchiveStatus::kOk, {}};
  try {
    OpenCabinet(cabinetName, cabinetPath, false);
    Walk();
    Require(CloseCabinet(), ArchiveStatus::kDamaged);
  } catch (const ReaderFailure& caught) {
    failure = caught;
  } catch (const std::bad_alloc&) {
    failure = {ArchiveStatus::kNoMemory, {}};
  } catch (const std::exception& e) {  // from a client function: it does not leave the reader
    failure = {ArchiveStatus::kStopped, std::string("a client function failed: ") + e.what()};
  }
  if (failure.status == ArchiveStatus::kOk) return true;
  if (target_ != -1) {
    files_.close(target_, clientError_);  // a file in progress is closed without CloseFileInfo
    target_ = -1;
  }
  CloseCabinet();
  currentFolder_ = -1;
  Fail(failure.status, failure.detail);
  return false;
}

// --- free functions ----------------------------------------------------------------------

void CabReaderDeleter::operator()(CabReader* reader) const { delete reader; }

CabReaderPtr CabReaderCreate(CabFiles files, ArchiveResult* error) {
  try {
    CabReaderPtr reader(new CabReader(std::move(files)));
    if (error) *error = {};
    return reader;
  } catch (const std::bad_alloc&) {
    if (error) *error = {ArchiveStatus::kNoMemory, 0, {}};
    return nullptr;
  }
}

bool CabReaderIsCabinet(CabReader& reader, CabHandle handle, CabinetInfo* info) {
  return reader.IsCabinet(handle, info);
}

bool CabReaderCopy(CabReader& reader, const CabWalkOptions& walk) {
  return reader.Copy(walk.cabinetName, walk.cabinetPath, walk.notify);
}

bool CabReaderDestroy(CabReaderPtr reader) {
  reader.reset();
  return true;
}

const ArchiveResult& CabReaderLastError(const CabReader& reader) { return reader.error_; }

}  // namespace krax::cab
