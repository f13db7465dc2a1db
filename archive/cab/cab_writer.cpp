#include "archive/cab/cab_writer.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "archive/cab/cab_format.h"
#include "archive/lzx/lzx_encoder.h"
#include "archive/mszip/mszip_encoder.h"

namespace krax::cab {
namespace {

constexpr std::uint32_t kBlockInput = kMaxBlockUncompressed;  // every method compresses blocks of this size
constexpr std::uint32_t kDefaultMaxCabinetSize = 0x7FFFFFF;  // seven F digits: what a size of 0 stands for
constexpr int kTempAttempts = 11;
constexpr std::size_t kTempNameBuffer = 4096;
constexpr std::uint64_t kMaxFormatSize = 0xFFFFFFFFu;  // sizes and offsets are 32-bit in the format
constexpr std::size_t kMaxDataHeader = kDataFixedSize + 255;

std::uint16_t Method(CompressionMethod method) { return static_cast<std::uint16_t>(method); }

// Memory from the client, released through it.
class ClientBuffer {
 public:
  ClientBuffer() = default;
  ~ClientBuffer() { Free(); }
  ClientBuffer(const ClientBuffer&) = delete;
  ClientBuffer& operator=(const ClientBuffer&) = delete;
  bool Allocate(const CabWriterClient& client, std::size_t size) {
    Free();
    client_ = &client;
    data_ = static_cast<std::uint8_t*>(client.allocate(size));
    return data_ != nullptr;
  }
  void Free() {
    if (data_ && client_) client_->release(data_);
    data_ = nullptr;
  }
  std::uint8_t* data() const { return data_; }

 private:
  const CabWriterClient* client_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

}  // namespace

// A temporary file of the writer, opened and named through the client and closed and
// deleted through it when dropped (or by Delete, which reports failures).
class CabTempFile {
 public:
  CabTempFile() = default;
  ~CabTempFile() { Delete(); }
  CabTempFile(CabTempFile&& other) noexcept { *this = std::move(other); }
  CabTempFile& operator=(CabTempFile&& other) noexcept {
    if (this != &other) {
      Delete();
      client_ = std::exchange(other.client_, nullptr);
      name_ = std::move(other.name_);
      handle_ = std::exchange(other.handle_, -1);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }

  // A fresh, empty file under a name the client's namer gives; false with `err` set.
  bool Create(const CabWriterClient& client, int& err) {
    Delete();
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
      char name[kTempNameBuffer] = {};
      if (!client.tempName(name, sizeof name)) continue;
      const CabHandle h = client.files.open(name, O_RDWR | O_CREAT | O_EXCL, 0600, err);
      if (h == -1) continue;
      client_ = &client;
      name_ = name;
      handle_ = h;
      size_ = 0;
      return true;
    }
    return false;
  }
  // Closes and deletes the file; true when both succeeded (or there was none).
  bool Delete() {
    if (!client_) return true;
    int err = 0;
    bool ok = client_->files.close(handle_, err) == 0;
    ok = client_->files.remove(name_, err) == 0 && ok;
    client_ = nullptr;
    handle_ = -1;
    size_ = 0;
    return ok;
  }
  bool Write(const void* data, std::size_t size, int& err) {
    if (size == 0) return true;
    if (size_ + size > kMaxFormatSize) {
      err = EFBIG;
      return false;
    }
    if (client_->files.write(handle_, data, size, err) != static_cast<long long>(size)) return false;
    size_ += static_cast<std::uint32_t>(size);
    return true;
  }
  bool Read(void* data, std::size_t size, int& err) {
    auto* p = static_cast<std::uint8_t*>(data);
    while (size > 0) {
      const long long n = client_->files.read(handle_, p, size, err);
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool Rewind(int& err) { return client_->files.seek(handle_, 0, SEEK_SET, err) == 0; }

  std::uint32_t size() const { return size_; }  // bytes written
  bool empty() const { return size_ == 0; }

 private:
  const CabWriterClient* client_ = nullptr;
  std::string name_;
  CabHandle handle_ = -1;
  std::uint32_t size_ = 0;
};

class CabWriter {
 public:
  CabWriter(ArchiveResult& error, CabWriterClient client, const CabWriterOptions& options)
      : error_(error),
        client_(std::move(client)),
        params_(options.cabinet),
        limits_(options.limits),
        lzxLevel_(options.lzxLevel),
        next_(options.nextCabinet),
        progress_(options.progress),
        openSource_(options.openSource) {}
  ~CabWriter() { Cleanup(); }

  bool Init();
  bool AddFile(const std::string& source, const std::string& name, bool runAfterExtract,
               const CabNextCabinetFn& next, const CabProgressFn& progress,
               const CabOpenSourceFn& openSource, std::uint16_t type);
  bool Flush(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress);
  bool Cleanup();
  // Runs a step; an exception (from a client function or the allocator) ends it as a
  // failure instead of leaving the writer.
  template <typename Step>
  bool Guarded(Step&& step) {
    try {
      return step();
    } catch (const std::bad_alloc&) {
      return Fail(ArchiveStatus::kNoMemory);
    } catch (const std::exception& e) {
      return Fail(ArchiveStatus::kStopped, 0, std::string("a client function failed: ") + e.what());
    }
  }
  bool AddFile(const CabWriterFile& file) {
    return AddFile(file.sourceName, file.nameInCabinet, file.runAfterExtract, next_, progress_, openSource_,
                   file.typeCompress);
  }
  bool Flush(bool force) { return Flush(force, next_, progress_); }

 private:
  // What placing one folder into the current cabinet did.
  struct Placement {
    bool needNext = false;            // the folder continues in a following cabinet
    std::int64_t spaceLeft = 0;       // room in this cabinet beyond the estimate
    std::uint16_t blockCount = 0;        // blocks placed here
    std::int64_t placedBytes = 0;     // their headers and data
    std::uint64_t placedUncompressed = 0;  // the folder's uncompressed bytes in this and earlier cabinets
  };

  bool Fail(ArchiveStatus status, int systemError = 0, std::string detail = {}) {
    error_.status = status;
    error_.systemError = systemError;
    error_.detail = std::move(detail);
    return false;
  }
  bool FailTemp(int err) { return Fail(ArchiveStatus::kTempFileFailed, err); }
  static long Report(const CabProgressFn& progress, CabStatusKind kind, std::uint64_t a, std::uint64_t b) {
    return progress ? progress(kind, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)) : 0;
  }

  // Temporary files.
  bool CreateTemps(std::initializer_list<CabTempFile*> files);
  bool WriteTemp(CabTempFile& file, const void* data, std::size_t size);
  bool ReadTemp(CabTempFile& file, void* data, std::size_t size);
  bool RewindTemp(CabTempFile& file);

  // The folder being filled.
  bool SetCompression(std::uint16_t type, const CabNextCabinetFn& next, const CabProgressFn& progress);
  bool CompressBlock(const CabProgressFn& progress, bool last);
  bool CompressLzx(const CabProgressFn& progress, bool last);
  bool WriteDataBlock(CabTempFile& file, const CFDATA& block, const std::uint8_t* data);
  bool AppendFolderBlock(const std::uint8_t* data, std::size_t size, std::size_t uncompressed);
  bool AppendFolderFileRecord(const CFFILE& file);
  bool FinishFolderStream(const CabProgressFn& progress);
  std::uint64_t FolderCompressedSize() const;

  // Placing the folder into cabinets.
  bool CloseFolder(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress);
  bool PrepareNextCabinet(std::uint64_t estimate, const CabNextCabinetFn& next, Placement& placement);
  bool PlaceDataBlocks(std::uint64_t estimate, const CabProgressFn& progress, CabTempFile& carryData,
                       Placement& placement);
  bool PlaceBlockHere(CFDATA block, const std::uint8_t* data);
  bool AppendFolderRecord(std::uint32_t firstBlockOffset, std::uint16_t blockCount);
  bool ReadFolderFileRecord(std::uint64_t& left, CFFILE& file);
  bool PlaceFileRecords(std::uint64_t placedUncompressed, CabTempFile& carryFiles);
  bool HandOverToNextCabinet(std::uint64_t estimate, const CabProgressFn& progress);
  bool ContinueInNextCabinet(const CabNextCabinetFn& next, const CabProgressFn& progress);

  // The cabinet file.
  std::size_t HeaderSize() const;
  std::size_t NamesSize() const;
  std::uint64_t EstimateCabinet() const;
  std::uint64_t EstimateWithNames() const;
  bool WriteCabinet(std::uint64_t progressTotal, std::uint64_t estimate, const CabProgressFn& progress);
  bool WriteCabinetBody(CabHandle file, std::uint64_t progressTotal, const CabProgressFn& progress,
                        std::uint32_t& cabinetSize);
  bool StartFreshCabinet();
  CFHEADER NextHeader(std::uint32_t cabinetSize, std::uint32_t firstFileOffset);
  bool anyReserve() const { return reserveHeader_ != 0 || reserveFolder_ != 0 || reserveData_ != 0; }
  std::size_t dataHeaderSize() const { return kDataFixedSize + reserveData_; }
  std::size_t folderRecordSize() const { return kFolderFixedSize + reserveFolder_; }

  ArchiveResult& error_;
  CabWriterClient client_;
  CabinetParameters params_;
  CabinetParameters nextParams_;
  CabWriterLimits limits_;
  unsigned reserveHeader_ = 0, reserveFolder_ = 0, reserveData_ = 0;
  bool cleanedUp_ = false;

  // The current folder.
  std::uint16_t type_ = kMethodUnset;
  ClientBuffer input_;
  ClientBuffer output_;
  std::uint32_t inputFill_ = 0;
  std::unique_ptr<mszip::MszipEncoder> mszip_;
  std::unique_ptr<lzx::LzxEncoder> lzx_;
  int lzxLevel_;
  CabNextCabinetFn next_;
  CabProgressFn progress_;
  CabOpenSourceFn openSource_;
  std::uint64_t folderUncompressed_ = 0;
  std::uint32_t folderFileCount_ = 0;
  CabTempFile folderData_, folderFiles_;

  // The current cabinet.
  std::uint32_t cabinetFolderCount_ = 0, cabinetFileCount_ = 0;
  std::uint32_t cabinetsWritten_ = 0;
  std::uint32_t folderIndex_ = 0;
  std::string prevCab_, prevDisk_, nextCab_, nextDisk_;
  bool hasPrev_ = false, hasNext_ = false;
  CabTempFile cabData_, cabFiles_, cabFolders_;
  std::vector<std::uint8_t> copyBuffer_;
  std::vector<std::string> written_;  // cabinet files completed, deleted again when the run fails
};

// --- temporary files ----------------------------------------------------------------------

bool CabWriter::CreateTemps(std::initializer_list<CabTempFile*> files) {
  for (CabTempFile* file : files) {
    int err = 0;
    if (!file->Create(client_, err)) {
      for (CabTempFile* made : files) made->Delete();
      return FailTemp(err);
    }
  }
  return true;
}

bool CabWriter::WriteTemp(CabTempFile& file, const void* data, std::size_t size) {
  int err = 0;
  return file.Write(data, size, err) || FailTemp(err);
}

bool CabWriter::ReadTemp(CabTempFile& file, void* data, std::size_t size) {
  int err = 0;
  return file.Read(data, size, err) || FailTemp(err);
}

bool CabWriter::RewindTemp(CabTempFile& file) {
  int err = 0;
  return file.Rewind(err) || FailTemp(err);
}

// --- creation and destruction ---------------------------------------------------------------

bool CabWriter::Init() {
  reserveHeader_ = std::min(params_.headerReserve, 65535u);
  reserveFolder_ = std::min(params_.folderReserve, 255u);
  reserveData_ = std::min(params_.dataReserve, 255u);
  if (params_.maxCabinetSize == 0) params_.maxCabinetSize = kDefaultMaxCabinetSize;
  try {
    copyBuffer_.resize(kMaxDataHeader + 65536);  // any CFDATA header and compressedSize
  } catch (const std::bad_alloc&) {
    return Fail(ArchiveStatus::kNoMemory);
  }
  if (!input_.Allocate(client_, kBlockInput)) return Fail(ArchiveStatus::kNoMemory);
  return CreateTemps({&folderData_, &folderFiles_}) && CreateTemps({&cabData_, &cabFiles_, &cabFolders_});
}

bool CabWriter::Cleanup() {
  if (cleanedUp_) return true;
  cleanedUp_ = true;
  bool ok = true;
  for (CabTempFile* f : {&folderData_, &folderFiles_, &cabData_, &cabFiles_, &cabFolders_}) {
    ok = f->Delete() && ok;
  }
  // A failed run leaves nothing behind: no complete cabinet naming a successor that was
  // never written.
  if (!error_.ok()) {
    for (const std::string& path : written_) {
      int ignored = 0;
      client_.files.remove(path, ignored);
    }
  }
  lzx_.reset();
  mszip_.reset();
  input_.Free();
  output_.Free();
  return ok;
}

// --- the folder being filled -----------------------------------------------------------------

std::uint64_t CabWriter::FolderCompressedSize() const {
  return std::uint64_t{folderData_.size()} + (lzx_ ? lzx_->HeldBytesEstimate() : 0);
}

bool CabWriter::SetCompression(std::uint16_t type, const CabNextCabinetFn& next,
                               const CabProgressFn& progress) {
  if (type == type_) return true;
  if (!CloseFolder(false, next, progress)) return false;
  mszip_.reset();
  lzx_.reset();
  output_.Free();
  type_ = kMethodUnset;
  const std::uint16_t method = MethodOf(type);
  std::size_t outputSize = 0;
  try {
    if (method == Method(CompressionMethod::kNone)) {
      outputSize = kBlockInput;
    } else if (method == Method(CompressionMethod::kMszip)) {
      outputSize = mszip::kMszipMaxBlockOutput;
      mszip_ = std::make_unique<mszip::MszipEncoder>();
    } else if (method == Method(CompressionMethod::kLzx)) {
      const int windowBits = WindowBitsOf(type);
      if (windowBits < lzx::kMinWindowBits || windowBits > lzx::kMaxWindowBits) {
        return Fail(ArchiveStatus::kCompressorFailed);
      }
      outputSize = lzx::kMaxCompressedFrame;
      lzx_ = std::make_unique<lzx::LzxEncoder>(windowBits, lzxLevel_);
    } else {
      return Fail(ArchiveStatus::kUnknownType);
    }
  } catch (const std::bad_alloc&) {
    return Fail(ArchiveStatus::kNoMemory);
  } catch (const std::exception&) {
    return Fail(ArchiveStatus::kCompressorFailed);
  }
  if (!output_.Allocate(client_, outputSize)) return Fail(ArchiveStatus::kNoMemory);
  type_ = type;
  return true;
}

// A CFDATA header (with the cabinet's data reserve), then the block's compressedSize bytes.
bool CabWriter::WriteDataBlock(CabTempFile& file, const CFDATA& block, const std::uint8_t* data) {
  std::vector<std::uint8_t> header;
  AppendDataHeader(header, block, reserveData_);
  return WriteTemp(file, header.data(), header.size()) && WriteTemp(file, data, block.compressedSize);
}

// A data block in the folder's data file: its CFDATA header with csum 0, then its data.
bool CabWriter::AppendFolderBlock(const std::uint8_t* data, std::size_t size, std::size_t uncompressed) {
  CFDATA block;
  block.compressedSize = static_cast<std::uint16_t>(size);
  block.uncompressedSize = static_cast<std::uint16_t>(uncompressed);
  return WriteDataBlock(folderData_, block, data);
}

bool CabWriter::AppendFolderFileRecord(const CFFILE& file) {
  std::vector<std::uint8_t> record;
  AppendFile(record, file);
  if (!WriteTemp(folderFiles_, record.data(), record.size())) return false;
  ++folderFileCount_;
  return true;
}

bool CabWriter::CompressLzx(const CabProgressFn& progress, bool last) {
  ArchiveStatus sinkStatus = ArchiveStatus::kOk;
  int sinkSystemError = 0;
  auto sink = [&](const std::uint8_t* bytes, std::size_t size, std::size_t uncompressed) {
    if (size > lzx::kMaxCompressedFrame) {
      sinkStatus = ArchiveStatus::kCompressorFailed;
      return false;
    }
    if (Report(progress, CabStatusKind::kFile, size, 0) == -1) {
      sinkStatus = ArchiveStatus::kStopped;
      return false;
    }
    if (!AppendFolderBlock(bytes, size, uncompressed)) {
      sinkStatus = error_.status;
      sinkSystemError = error_.systemError;
      return false;
    }
    return true;
  };
  const std::uint32_t count = inputFill_;
  bool ok = true;
  try {
    if (count > 0) {
      ok = lzx_->CompressFrame(input_.data(), count, sink);
      if (ok && Report(progress, CabStatusKind::kFile, 0, count) == -1) return Fail(ArchiveStatus::kStopped);
    }
    if (ok && last) ok = lzx_->Flush(sink);
  } catch (const std::bad_alloc&) {
    return Fail(ArchiveStatus::kNoMemory);
  } catch (const std::exception&) {
    return Fail(ArchiveStatus::kCompressorFailed);
  }
  if (!ok) {
    return Fail(sinkStatus != ArchiveStatus::kOk ? sinkStatus : ArchiveStatus::kCompressorFailed, sinkSystemError);
  }
  inputFill_ = 0;
  return true;
}

bool CabWriter::CompressBlock(const CabProgressFn& progress, bool last) {
  const std::uint16_t method = MethodOf(type_);
  if (method == Method(CompressionMethod::kLzx)) return CompressLzx(progress, last);
  const std::uint32_t count = inputFill_;
  if (count == 0) return true;
  std::size_t size = count;
  const std::uint8_t* out = input_.data();
  if (method == Method(CompressionMethod::kMszip)) {
    size = mszip_->CompressBlock(input_.data(), count, output_.data());
    if (size == 0) return Fail(ArchiveStatus::kCompressorFailed);
    out = output_.data();
  }
  if (!AppendFolderBlock(out, size, count)) return false;
  inputFill_ = 0;
  if (Report(progress, CabStatusKind::kFile, size, count) == -1) return Fail(ArchiveStatus::kStopped);
  return true;
}

bool CabWriter::AddFile(const std::string& source, const std::string& name, bool runAfterExtract,
                        const CabNextCabinetFn& next, const CabProgressFn& progress,
                        const CabOpenSourceFn& openSource, std::uint16_t type) {
  if (!SetCompression(type, next, progress)) return false;
  // A cabinet holds at most so many file records: the next file begins the following
  // cabinet of the set.
  if (cabinetFileCount_ + folderFileCount_ >= limits_.filesPerCabinet && !ContinueInNextCabinet(next, progress)) return false;
  if (cabinetFileCount_ + folderFileCount_ >= limits_.filesPerCabinet) {
    return Fail(ArchiveStatus::kFormatLimit, 0,
                "more than " + std::to_string(limits_.filesPerCabinet) + " files in one cabinet");
  }

  CFFILE file;
  file.name = name;
  int err = 0;
  const CabHandle src = openSource ? openSource(source, file.date, file.time, file.attribs, err) : -1;
  if (src == -1) return Fail(ArchiveStatus::kSourceOpenFailed, err, "cannot open " + source);
  if (runAfterExtract) file.attribs |= kAttribRunAfterExtract;

  const std::uint64_t offsetInFolder = folderUncompressed_;
  std::uint64_t fileSize = 0;
  for (;;) {
    const long long n = client_.files.read(src, input_.data() + inputFill_, kBlockInput - inputFill_, err);
    if (n == 0) break;
    // A folder's offsets and a file's size are 32-bit in the format.
    if (n < 0 || folderUncompressed_ + static_cast<std::uint64_t>(n) > kMaxFormatSize) {
      int ignored = 0;
      client_.files.close(src, ignored);
      return Fail(ArchiveStatus::kSourceReadFailed, n < 0 ? err : EFBIG, "cannot read " + source);
    }
    inputFill_ += static_cast<std::uint32_t>(n);
    folderUncompressed_ += static_cast<std::uint64_t>(n);
    fileSize += static_cast<std::uint64_t>(n);
    if (inputFill_ == kBlockInput && !CompressBlock(progress, false)) {
      int ignored = 0;
      client_.files.close(src, ignored);
      return false;
    }
  }
  client_.files.close(src, err);

  file.fileSize = static_cast<std::uint32_t>(fileSize);
  file.offsetInFolder = static_cast<std::uint32_t>(offsetInFolder);
  if (!AppendFolderFileRecord(file)) return false;

  if (FolderCompressedSize() > params_.folderThreshold || EstimateCabinet() > params_.maxCabinetSize) {
    return CloseFolder(false, next, progress);
  }
  return true;
}

// The folder's last block, then a fresh stream for the next folder.
bool CabWriter::FinishFolderStream(const CabProgressFn& progress) {
  if (type_ != kMethodUnset && MethodOf(type_) <= Method(CompressionMethod::kLzx)) {
    if (!CompressBlock(progress, true)) return false;
    if (mszip_) mszip_->Reset();
    if (lzx_) lzx_->Reset();
  }
  folderUncompressed_ = 0;
  return true;
}

// --- placing the folder into cabinets ----------------------------------------------------------

// The folder's blocks and file records go into the current cabinet; what does not fit
// moves on to the following cabinet, which is written in turn until the folder is placed.
bool CabWriter::CloseFolder(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress) {
  if (!FinishFolderStream(progress)) return false;
  if (folderData_.empty() && folderFiles_.empty()) return true;

  // Uncompressed bytes of this folder placed into earlier cabinets of the set: file offsets
  // count from the folder's start, wherever that lies.
  std::uint64_t placedBefore = 0;
  for (bool firstPass = true;; firstPass = false) {
    const std::uint64_t estimate = EstimateWithNames();
    if (Report(progress, CabStatusKind::kFolder, 0, estimate) == -1) return Fail(ArchiveStatus::kStopped);
    CabTempFile carryData, carryFiles;
    if (!CreateTemps({&carryData, &carryFiles})) return false;

    Placement placement;
    placement.spaceLeft = static_cast<std::int64_t>(params_.maxCabinetSize) - static_cast<std::int64_t>(estimate);
    placement.needNext = placement.spaceLeft < 0 || (force && firstPass);
    placement.placedUncompressed = placedBefore;
    if (placement.needNext && !PrepareNextCabinet(estimate, next, placement)) return false;

    const std::uint32_t firstBlockOffset = cabData_.size();
    if (!PlaceDataBlocks(estimate, progress, carryData, placement)) return false;
    // A cabinet that continues this folder yet has no room for a single data byte would be
    // followed by another just like it, for ever: such a maximum size cannot be met.
    if (placement.needNext && !firstPass && placement.placedBytes == 0 && !folderData_.empty()) {
      return Fail(ArchiveStatus::kCabinetWriteFailed, EFBIG, "the maximum cabinet size is too small");
    }
    if (!AppendFolderRecord(firstBlockOffset, placement.blockCount)) return false;
    if (!PlaceFileRecords(placement.placedUncompressed, carryFiles)) return false;

    // What was carried over becomes the folder.
    if (!folderData_.Delete() || !folderFiles_.Delete()) return Fail(ArchiveStatus::kTempFileFailed);
    folderData_ = std::move(carryData);
    folderFiles_ = std::move(carryFiles);
    folderFileCount_ = 0;  // (carried records are counted into the next cabinet as placed)
    if (!placement.needNext) {
      ++folderIndex_;
      return true;
    }
    if (!HandOverToNextCabinet(estimate, progress)) return false;
    placedBefore = placement.placedUncompressed;
    if (folderData_.empty() && folderFiles_.empty()) return true;
  }
}

// Asks the client for the following cabinet's name; its names then take room here.
bool CabWriter::PrepareNextCabinet(std::uint64_t estimate, const CabNextCabinetFn& next, Placement& placement) {
  nextParams_ = params_;
  ++nextParams_.cabinetIndex;
  if (next && next(nextParams_, static_cast<std::uint32_t>(estimate)) == -1) return Fail(ArchiveStatus::kStopped);
  if (nextParams_.maxCabinetSize == 0) nextParams_.maxCabinetSize = kDefaultMaxCabinetSize;
  // Both names are stored again in the following cabinet's header as its predecessor's.
  for (const std::string* name : {&params_.cabinetName, &params_.diskName, &nextParams_.cabinetName, &nextParams_.diskName}) {
    if (name->size() > kMaxNameLength) {
      return Fail(ArchiveStatus::kFormatLimit, 0, "the cabinet or disk name " + *name + " is longer than 255 characters");
    }
  }
  nextCab_ = nextParams_.cabinetName;
  nextDisk_ = nextParams_.diskName;
  hasNext_ = true;
  placement.spaceLeft -= static_cast<std::int64_t>(nextCab_.size() + nextDisk_.size() + 2);
  return true;
}

bool CabWriter::PlaceBlockHere(CFDATA block, const std::uint8_t* data) {
  block.reserveBytes.assign(reserveData_, 0);
  block.csum = DataBlockChecksum(block, data);
  return WriteDataBlock(cabData_, block, data);
}

// Each block goes here whole while it fits; the first that does not is split (its first
// part here with uncompressedSize 0), and it and every later block move on whole.
bool CabWriter::PlaceDataBlocks(std::uint64_t estimate, const CabProgressFn& progress, CabTempFile& carryData,
                                Placement& placement) {
  const std::size_t h = dataHeaderSize();
  const std::int64_t room = static_cast<std::int64_t>(folderData_.size()) + placement.spaceLeft;
  const auto carry = [&](CFDATA block, const std::uint8_t* data) {
    block.csum = 0;
    return WriteDataBlock(carryData, block, data);
  };
  const auto countBlock = [&]() {
    if (placement.blockCount >= limits_.blocksPerFolder) {
      return Fail(ArchiveStatus::kFormatLimit, 0,
                  "more than " + std::to_string(limits_.blocksPerFolder) + " data blocks of one folder in one cabinet");
    }
    ++placement.blockCount;
    return true;
  };
  if (!RewindTemp(folderData_)) return false;
  std::uint8_t* headerBytes = copyBuffer_.data();
  std::uint8_t* data = copyBuffer_.data() + kMaxDataHeader;
  bool moving = false;
  std::uint64_t copied = 0;
  for (std::uint64_t left = folderData_.size(); left > 0;) {
    if (left < h || !ReadTemp(folderData_, headerBytes, h)) return Fail(ArchiveStatus::kTempFileFailed, error_.systemError);
    CFDATA block = ParseDataHeader(headerBytes, reserveData_);
    const std::uint16_t compressedSize = block.compressedSize;
    if (!ReadTemp(folderData_, data, block.compressedSize)) return false;
    left -= h + block.compressedSize;
    const auto whole = static_cast<std::int64_t>(h + block.compressedSize);
    if (!moving && (!placement.needNext || placement.placedBytes + whole < room)) {
      if (!countBlock() || !PlaceBlockHere(block, data)) return false;
      placement.placedBytes += whole;
      placement.placedUncompressed += block.uncompressedSize;
    } else if (!moving && placement.placedBytes + static_cast<std::int64_t>(h) < room) {
      const auto first = static_cast<std::uint16_t>(room - placement.placedBytes - static_cast<std::int64_t>(h));
      CFDATA part = block;
      part.compressedSize = first;
      part.uncompressedSize = 0;
      if (!countBlock() || !PlaceBlockHere(part, data)) return false;
      placement.placedBytes += static_cast<std::int64_t>(h) + first;
      block.compressedSize = static_cast<std::uint16_t>(block.compressedSize - first);
      if (!carry(block, data + first)) return false;
      moving = true;
    } else {
      moving = true;
      if (!carry(block, data)) return false;
    }
    copied += h + compressedSize;
    if (Report(progress, CabStatusKind::kFolder, copied, estimate) == -1) return Fail(ArchiveStatus::kStopped);
  }
  return true;
}

bool CabWriter::AppendFolderRecord(std::uint32_t firstBlockOffset, std::uint16_t blockCount) {
  if (cabinetFolderCount_ >= limits_.foldersPerCabinet) {
    return Fail(ArchiveStatus::kFormatLimit, 0,
                "more than " + std::to_string(limits_.foldersPerCabinet) + " folders in one cabinet");
  }
  CFFOLDER folder;
  folder.firstBlockOffset = firstBlockOffset;  // made absolute when the cabinet is written
  folder.blockCount = blockCount;
  folder.typeCompress = type_;
  std::vector<std::uint8_t> record;
  AppendFolder(record, folder, reserveFolder_);
  if (!WriteTemp(cabFolders_, record.data(), record.size())) return false;
  ++cabinetFolderCount_;
  return true;
}

// One record of the folder's record file. Names are read back through a 256-byte buffer:
// a longer one cannot be placed.
bool CabWriter::ReadFolderFileRecord(std::uint64_t& left, CFFILE& file) {
  std::uint8_t fixed[kFileFixedSize];
  if (left < kFileFixedSize || !ReadTemp(folderFiles_, fixed, kFileFixedSize)) {
    return Fail(ArchiveStatus::kTempFileFailed, error_.systemError);
  }
  left -= kFileFixedSize;
  file = ParseFileFixed(fixed);
  for (;;) {
    std::uint8_t c = 0;
    if (left == 0 || file.name.size() >= kMaxNameBytes || !ReadTemp(folderFiles_, &c, 1)) {
      return Fail(ArchiveStatus::kTempFileFailed, ENAMETOOLONG, "a name of more than 255 characters");
    }
    --left;
    if (c == 0) return true;
    file.name.push_back(static_cast<char>(c));
  }
}

// Every record of the folder goes into this cabinet; a file that runs on past the bytes
// placed here is marked so, and listed again first in the following cabinet.
bool CabWriter::PlaceFileRecords(std::uint64_t placedUncompressed, CabTempFile& carryFiles) {
  if (!RewindTemp(folderFiles_)) return false;
  std::vector<std::uint8_t> record;
  for (std::uint64_t left = folderFiles_.size(); left > 0;) {
    CFFILE file;
    if (!ReadFolderFileRecord(left, file)) return false;
    const bool continued =
        file.folderIndex == kFolderContinuedFromPrev || file.folderIndex == kFolderContinuedPrevAndNext;
    if (!continued) file.folderIndex = static_cast<std::uint16_t>(folderIndex_);
    const bool continues = std::uint64_t{file.offsetInFolder} + file.fileSize > placedUncompressed;
    if (continues) {
      file.folderIndex = file.folderIndex == kFolderContinuedFromPrev ? kFolderContinuedPrevAndNext : kFolderContinuedToNext;
    }
    if (cabinetFileCount_ >= limits_.filesPerCabinet) {
      return Fail(ArchiveStatus::kFormatLimit, 0,
                  "more than " + std::to_string(limits_.filesPerCabinet) + " files in one cabinet");
    }
    record.clear();
    AppendFile(record, file);
    if (!WriteTemp(cabFiles_, record.data(), record.size())) return false;
    ++cabinetFileCount_;
    if (continues) {
      file.folderIndex = kFolderContinuedFromPrev;
      record.clear();
      AppendFile(record, file);
      if (!WriteTemp(carryFiles, record.data(), record.size())) return false;
    }
  }
  return true;
}

// Writes the full cabinet and makes the prepared parameters the current ones.
bool CabWriter::HandOverToNextCabinet(std::uint64_t estimate, const CabProgressFn& progress) {
  const std::uint32_t currentMaxSize = params_.maxCabinetSize;
  if (!WriteCabinet(estimate, estimate, progress)) return false;
  if (currentMaxSize != 0 && params_.diskIndex == nextParams_.diskIndex) {
    nextParams_.maxCabinetSize = params_.maxCabinetSize;
  }
  params_ = nextParams_;
  folderIndex_ = 0;
  return true;
}

// Closes the current cabinet (with the folder, if it has anything) so that the next file
// begins the following cabinet.
bool CabWriter::ContinueInNextCabinet(const CabNextCabinetFn& next, const CabProgressFn& progress) {
  if (!folderData_.empty() || !folderFiles_.empty() || inputFill_ > 0) return CloseFolder(true, next, progress);
  const std::uint64_t estimate = EstimateWithNames();
  Placement placement;
  return PrepareNextCabinet(estimate, next, placement) && HandOverToNextCabinet(estimate, progress);
}

// --- the cabinet file ----------------------------------------------------------------------

std::size_t CabWriter::HeaderSize() const {
  return kHeaderFixedSize + (anyReserve() ? kReserveFieldsSize + reserveHeader_ : 0);
}

std::size_t CabWriter::NamesSize() const {
  std::size_t size = 0;
  if (hasPrev_) size += prevCab_.size() + prevDisk_.size() + 2;
  if (hasNext_) size += nextCab_.size() + nextDisk_.size() + 2;
  return size;
}

std::uint64_t CabWriter::EstimateCabinet() const {
  return std::uint64_t{folderFiles_.size()} + HeaderSize() + cabFiles_.size() + folderRecordSize() +
         cabFolders_.size() + cabData_.size() + FolderCompressedSize();
}

std::uint64_t CabWriter::EstimateWithNames() const { return EstimateCabinet() + NamesSize(); }

// The header as it stands for the current cabinet (still "!CAB"); cabinetIndex counts on.
CFHEADER CabWriter::NextHeader(std::uint32_t cabinetSize, std::uint32_t firstFileOffset) {
  CFHEADER header;
  header.signature = kSignatureIncomplete;
  header.cabinetSize = cabinetSize;
  header.firstFileOffset = firstFileOffset;
  header.folderCount = static_cast<std::uint16_t>(cabinetFolderCount_);
  header.fileCount = static_cast<std::uint16_t>(cabinetFileCount_);
  header.flags = static_cast<std::uint16_t>((hasPrev_ ? kFlagPrevCabinet : 0) | (hasNext_ ? kFlagNextCabinet : 0) |
                                            (anyReserve() ? kFlagReservePresent : 0));
  header.setID = params_.setID;
  header.cabinetIndex = static_cast<std::uint16_t>(cabinetsWritten_++);
  header.headerReserveSize = static_cast<std::uint16_t>(reserveHeader_);
  header.folderReserveSize = static_cast<std::uint8_t>(reserveFolder_);
  header.dataReserveSize = static_cast<std::uint8_t>(reserveData_);
  header.previousCabinetName = prevCab_;
  header.previousDiskName = prevDisk_;
  header.nextCabinetName = nextCab_;
  header.nextDiskName = nextDisk_;
  return header;
}

// Header, folder records (with absolute data offsets), file records, data blocks, and at
// last the signature.
bool CabWriter::WriteCabinetBody(CabHandle file, std::uint64_t progressTotal,
                                 const CabProgressFn& progress, std::uint32_t& cabinetSize) {
  const std::string path = params_.cabinetFolder + params_.cabinetName;
  int err = 0;
  auto put = [&](const void* p, std::size_t n) {
    return n == 0 || client_.files.write(file, p, n, err) == static_cast<long long>(n) ||
           Fail(ArchiveStatus::kCabinetWriteFailed, err, "cannot write " + path);
  };
  const std::uint64_t firstFileOffset = HeaderSize() + NamesSize() + cabFolders_.size();
  const std::uint64_t total = firstFileOffset + cabFiles_.size() + cabData_.size();
  if (total > kMaxFormatSize) return Fail(ArchiveStatus::kFormatLimit, EFBIG, "a cabinet of more than 4 GiB");
  cabinetSize = static_cast<std::uint32_t>(total);
  std::vector<std::uint8_t> bytes;
  AppendHeader(bytes, NextHeader(cabinetSize, static_cast<std::uint32_t>(firstFileOffset)));
  if (!put(bytes.data(), bytes.size())) return false;

  const std::uint32_t shift = static_cast<std::uint32_t>(firstFileOffset + cabFiles_.size());
  if (!RewindTemp(cabFolders_)) return false;
  std::vector<std::uint8_t> record(folderRecordSize());
  for (std::uint32_t i = 0; i < cabinetFolderCount_; ++i) {
    if (!ReadTemp(cabFolders_, record.data(), record.size())) return false;
    CFFOLDER folder = ParseFolder(record.data(), reserveFolder_);
    folder.firstBlockOffset += shift;
    bytes.clear();
    AppendFolder(bytes, folder, reserveFolder_);
    if (!put(bytes.data(), bytes.size())) return false;
  }
  std::uint64_t copied = 0;
  for (CabTempFile* part : {&cabFiles_, &cabData_}) {
    if (!RewindTemp(*part)) return false;
    for (std::uint32_t left = part->size(); left > 0;) {
      const std::uint32_t piece = std::min<std::uint32_t>(left, kBlockInput);
      if (!ReadTemp(*part, copyBuffer_.data(), piece) || !put(copyBuffer_.data(), piece)) return false;
      left -= piece;
      copied += piece;
      if (Report(progress, CabStatusKind::kFolder, copied, progressTotal) == -1) return Fail(ArchiveStatus::kStopped);
    }
  }
  std::uint8_t signature[4];
  StoreLE32(signature, kSignatureMSCF);
  if (client_.files.seek(file, 0, SEEK_SET, err) != 0)
    return Fail(ArchiveStatus::kCabinetWriteFailed, err, "cannot write " + path);
  return put(signature, sizeof signature);
}

bool CabWriter::StartFreshCabinet() {
  prevCab_ = params_.cabinetName;
  prevDisk_ = params_.diskName;
  hasPrev_ = true;
  nextCab_.clear();
  nextDisk_.clear();
  hasNext_ = false;
  if (!cabData_.Delete() || !cabFiles_.Delete() || !cabFolders_.Delete()) return Fail(ArchiveStatus::kTempFileFailed);
  if (!CreateTemps({&cabData_, &cabFiles_, &cabFolders_})) return false;
  cabinetFolderCount_ = 0;
  cabinetFileCount_ = 0;
  return true;
}

bool CabWriter::WriteCabinet(std::uint64_t progressTotal, std::uint64_t estimate, const CabProgressFn& progress) {
  if (cabinetsWritten_ >= limits_.cabinetsPerSet) {
    return Fail(ArchiveStatus::kFormatLimit, 0,
                "more than " + std::to_string(limits_.cabinetsPerSet) + " cabinets in one set");
  }
  const std::string path = params_.cabinetFolder + params_.cabinetName;
  int err = 0;
  const CabHandle file = client_.files.open(path, O_RDWR | O_CREAT | O_TRUNC, 0666, err);
  if (file == -1) return Fail(ArchiveStatus::kCabinetWriteFailed, err, "cannot create " + path);
  std::uint32_t cabinetSize = 0;
  bool ok = WriteCabinetBody(file, progressTotal, progress, cabinetSize);
  if (client_.files.close(file, err) != 0 && ok)
    ok = Fail(ArchiveStatus::kCabinetWriteFailed, err, "cannot write " + path);
  if (!ok) {
    int ignored = 0;
    client_.files.remove(path, ignored);
    return false;
  }
  written_.push_back(path);
  if (!StartFreshCabinet()) return false;

  const long value = Report(progress, CabStatusKind::kCabinet, estimate, cabinetSize);
  if (value == -1) return Fail(ArchiveStatus::kStopped);
  params_.maxCabinetSize = static_cast<std::uint32_t>(params_.maxCabinetSize - static_cast<std::uint32_t>(value));
  return true;
}

bool CabWriter::Flush(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress) {
  if (!CloseFolder(force, next, progress)) return false;
  if (force) return true;
  return WriteCabinet(std::uint64_t{cabFiles_.size()} + cabData_.size(), EstimateWithNames(), progress);
}

// --- the public functions ----------------------------------------------------------------

void CabWriterDeleter::operator()(CabWriter* writer) const { delete writer; }

CabWriterPtr CabWriterCreate(ArchiveResult& error, CabWriterClient client, const CabWriterOptions& options) {
  error = ArchiveResult{};
  CabWriterPtr writer;
  try {
    writer.reset(new CabWriter(error, std::move(client), options));
  } catch (const std::bad_alloc&) {
    error = {ArchiveStatus::kNoMemory, 0, {}};
    return nullptr;
  }
  if (!writer->Init()) return nullptr;
  return writer;
}

bool CabWriterAddFile(CabWriter& writer, const CabWriterFile& file) {
  return writer.Guarded([&] { return writer.AddFile(file); });
}

bool CabWriterFlushCabinet(CabWriter& writer, bool forceNextCabinet) {
  return writer.Guarded([&] { return writer.Flush(forceNextCabinet); });
}

bool CabWriterDestroy(CabWriterPtr writer) {
  if (!writer) return true;
  return writer->Cleanup();
}

}  // namespace krax::cab
