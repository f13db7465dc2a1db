#include "archive/cab/cab_writer.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "archive/cab/cab_format.h"
#include "archive/lzx/lzx_encoder.h"
#include "archive/mszip/mszip_encoder.h"

namespace krax::cab {
namespace {

constexpr std::uint32_t kBlockInput = 32768;
constexpr std::uint32_t kDefaultCb = 0x7FFFFFF;  // seven F digits: what cb 0 stands for
constexpr int kTempAttempts = 11;
constexpr std::size_t kTempNameBuffer = 4096;
constexpr std::size_t kLzxMaxBlockOutput = 32768 + 6144;
constexpr std::uint16_t kMethodNone = 0, kMethodMszip = 1, kMethodLzx = 3;

struct TempFile {
  std::string name;
  CabHandle handle = -1;
  std::uint32_t size = 0;  // bytes written
  bool open() const { return handle != -1; }
};

// Memory from the client, released through it.
class ClientBuffer {
 public:
  ClientBuffer() = default;
  ~ClientBuffer() { Free(); }
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

std::uint16_t Load16(const std::uint8_t* p) { return LoadLE16(p); }
void Store16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

class CabWriter {
 public:
  CabWriter(CabError& error, CabWriterClient client, const CabinetParameters& parameters)
      : error_(error), client_(std::move(client)), params_(parameters) {}
  ~CabWriter() { Cleanup(); }

  bool Init();
  bool AddFile(const std::string& source, const std::string& name, bool runAfterExtract,
               const CabNextCabinetFn& next, const CabProgressFn& progress,
               const CabOpenSourceFn& openSource, std::uint16_t type);
  bool Flush(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress);
  bool Cleanup();
  void SetLzxLevel(int level) { lzxLevel_ = level; }

 private:
  bool Fail(int code, int systemError = 0) {
    error_.code = code;
    error_.systemError = systemError;
    error_.failed = true;
    return false;
  }
  static long Report(const CabProgressFn& progress, CabStatusKind kind, std::uint64_t a, std::uint64_t b) {
    return progress ? progress(kind, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)) : 0;
  }

  // Temporary files.
  bool CreateTempGroup(std::initializer_list<TempFile*> files);
  bool DeleteTemp(TempFile& file);
  bool WriteTemp(TempFile& file, const void* data, std::size_t size);
  bool ReadTemp(TempFile& file, void* data, std::size_t size);
  bool RewindTemp(TempFile& file);

  // Folder.
  bool SetCompression(std::uint16_t type, const CabNextCabinetFn& next, const CabProgressFn& progress);
  bool CompressBlock(const CabProgressFn& progress, bool last);
  bool WriteFolderBlock(const std::uint8_t* data, std::size_t size, std::size_t uncompressed);
  bool CloseFolder(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress);
  std::uint64_t FolderCompressedSize() const;

  // Cabinet.
  std::size_t HeaderSize() const;
  std::uint64_t EstimateCabinet() const;
  std::uint64_t EstimateWithNames() const;
  bool WriteCabinet(std::uint64_t progressTotal, std::uint64_t estimate, const CabProgressFn& progress);
  bool WriteCabinetBody(CabHandle file, std::uint64_t progressTotal, const CabProgressFn& progress,
                        std::uint32_t& cbCabinet);
  bool anyReserve() const {
    return reserveHeader_ != 0 || reserveFolder_ != 0 || reserveData_ != 0;
  }
  std::size_t dataHeaderSize() const { return kDataFixedSize + reserveData_; }
  std::size_t folderRecordSize() const { return kFolderFixedSize + reserveFolder_; }

  CabError& error_;
  CabWriterClient client_;
  CabinetParameters params_;
  CabinetParameters nextParams_;
  unsigned reserveHeader_ = 0, reserveFolder_ = 0, reserveData_ = 0;
  bool cleanedUp_ = false;

  // The current folder.
  std::uint16_t type_ = kMethodUnset;
  ClientBuffer input_;
  ClientBuffer output_;
  std::uint32_t inputFill_ = 0;
  std::unique_ptr<mszip::MszipEncoder> mszip_;
  std::unique_ptr<lzx::LzxEncoder> lzx_;
  int lzxLevel_ = lzx::kLzxFastLevel;
  std::uint64_t folderUncompressed_ = 0;
  TempFile folderData_, folderFiles_;
  int pendingError_ = 0, pendingSystemError_ = 0;  // set by the LZX frame sink
  const CabProgressFn* sinkProgress_ = nullptr;

  // The current cabinet.
  std::uint16_t cFolders_ = 0, cFiles_ = 0;
  std::uint16_t cabinetsWritten_ = 0;
  std::uint16_t folderIndex_ = 0;
  std::string prevCab_, prevDisk_, nextCab_, nextDisk_;
  bool hasPrev_ = false, hasNext_ = false;
  TempFile cabData_, cabFiles_, cabFolders_;
  std::vector<std::uint8_t> copyBuffer_;
};

// --- temporary files ----------------------------------------------------------------------

bool CabWriter::CreateTempGroup(std::initializer_list<TempFile*> files) {
  std::vector<TempFile*> made;
  for (TempFile* file : files) {
    int err = 0;
    for (int attempt = 0; attempt < kTempAttempts && !file->open(); ++attempt) {
      char name[kTempNameBuffer] = {};
      if (!client_.tempName(name, sizeof name)) continue;
      const CabHandle h = client_.open(name, O_RDWR | O_CREAT | O_EXCL, 0600, err);
      if (h == -1) continue;
      file->name = name;
      file->handle = h;
      file->size = 0;
    }
    if (!file->open()) {
      for (TempFile* m : made) DeleteTemp(*m);
      return Fail(kCabErrorTempFile, err);
    }
    made.push_back(file);
  }
  return true;
}

bool CabWriter::DeleteTemp(TempFile& file) {
  if (!file.open()) return true;
  int err = 0;
  bool ok = client_.close(file.handle, err) == 0;
  ok = client_.remove(file.name, err) == 0 && ok;
  file = TempFile{};
  return ok;
}

bool CabWriter::WriteTemp(TempFile& file, const void* data, std::size_t size) {
  if (size == 0) return true;
  int err = 0;
  if (std::uint64_t{file.size} + size > 0xFFFFFFFFu) return Fail(kCabErrorTempFile, EFBIG);
  if (client_.write(file.handle, data, static_cast<unsigned>(size), err) != static_cast<long>(size)) {
    return Fail(kCabErrorTempFile, err);
  }
  file.size += static_cast<std::uint32_t>(size);
  return true;
}

bool CabWriter::ReadTemp(TempFile& file, void* data, std::size_t size) {
  int err = 0;
  auto* p = static_cast<std::uint8_t*>(data);
  while (size > 0) {
    const long n = client_.read(file.handle, p, static_cast<unsigned>(size), err);
    if (n <= 0) return Fail(kCabErrorTempFile, err);
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CabWriter::RewindTemp(TempFile& file) {
  int err = 0;
  if (client_.seek(file.handle, 0, SEEK_SET, err) != 0) return Fail(kCabErrorTempFile, err);
  return true;
}

// --- creation and destruction ---------------------------------------------------------------

bool CabWriter::Init() {
  reserveHeader_ = std::min(params_.cbReserveCFHeader, 65535u);
  reserveFolder_ = std::min(params_.cbReserveCFFolder, 255u);
  reserveData_ = std::min(params_.cbReserveCFData, 255u);
  if (params_.cb == 0) params_.cb = kDefaultCb;
  try {
    copyBuffer_.resize(65536 + 512);
  } catch (const std::bad_alloc&) {
    return Fail(kCabErrorNoMemory);
  }
  if (!input_.Allocate(client_, kBlockInput)) return Fail(kCabErrorNoMemory);
  return CreateTempGroup({&folderData_, &folderFiles_}) &&
         CreateTempGroup({&cabData_, &cabFiles_, &cabFolders_});
}

bool CabWriter::Cleanup() {
  if (cleanedUp_) return true;
  cleanedUp_ = true;
  bool ok = true;
  for (TempFile* f : {&folderData_, &folderFiles_, &cabData_, &cabFiles_, &cabFolders_}) {
    ok = DeleteTemp(*f) && ok;
  }
  lzx_.reset();
  mszip_.reset();
  input_.Free();
  output_.Free();
  return ok;
}

// --- the folder ---------------------------------------------------------------------------

std::uint64_t CabWriter::FolderCompressedSize() const {
  return std::uint64_t{folderData_.size} + (lzx_ ? lzx_->HeldBytesEstimate() : 0);
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
    switch (method) {
      case kMethodNone:
        outputSize = kBlockInput;
        break;
      case kMethodMszip:
        outputSize = mszip::kMszipMaxBlockOutput;
        mszip_ = std::make_unique<mszip::MszipEncoder>();
        break;
      case kMethodLzx: {
        const int windowBits = WindowBitsOf(type);
        if (windowBits < lzx::kMinWindowBits || windowBits > lzx::kMaxWindowBits) {
          return Fail(kCabErrorCompressor);
        }
        outputSize = kLzxMaxBlockOutput;
        lzx_ = std::make_unique<lzx::LzxEncoder>(windowBits, kLzxMaxBlockOutput, lzxLevel_);
        break;
      }
      default:
        return Fail(kCabErrorUnknownType);
    }
  } catch (const std::bad_alloc&) {
    return Fail(kCabErrorNoMemory);
  } catch (const std::exception&) {
    return Fail(kCabErrorCompressor);
  }
  if (!output_.Allocate(client_, outputSize)) return Fail(kCabErrorNoMemory);
  type_ = type;
  return true;
}

bool CabWriter::WriteFolderBlock(const std::uint8_t* data, std::size_t size, std::size_t uncompressed) {
  std::uint8_t header[kDataFixedSize + 255] = {};
  Store16(header + 4, static_cast<std::uint16_t>(size));
  Store16(header + 6, static_cast<std::uint16_t>(uncompressed));
  return WriteTemp(folderData_, header, dataHeaderSize()) && WriteTemp(folderData_, data, size);
}

bool CabWriter::CompressBlock(const CabProgressFn& progress, bool last) {
  const std::uint32_t count = inputFill_;
  const std::uint8_t* in = input_.data();
  const std::uint16_t method = MethodOf(type_);
  if (method == kMethodLzx) {
    pendingError_ = 0;
    pendingSystemError_ = 0;
    sinkProgress_ = &progress;
    auto sink = [this](const std::uint8_t* bytes, std::size_t size, std::size_t uncompressed) {
      if (size > kLzxMaxBlockOutput) {
        pendingError_ = kCabErrorCompressor;
        return false;
      }
      if (Report(*sinkProgress_, StatusFile, size, 0) == -1) {
        pendingError_ = kCabErrorUserAbort;
        return false;
      }
      if (!WriteFolderBlock(bytes, size, uncompressed)) {
        pendingError_ = error_.code;
        pendingSystemError_ = error_.systemError;
        return false;
      }
      return true;
    };
    bool ok = true;
    try {
      if (count > 0) {
        ok = lzx_->CompressFrame(in, count, sink);
        if (ok && Report(progress, StatusFile, 0, count) == -1) return Fail(kCabErrorUserAbort);
      }
      if (ok && last) ok = lzx_->Flush(sink);
    } catch (const std::bad_alloc&) {
      return Fail(kCabErrorNoMemory);
    } catch (const std::exception&) {
      return Fail(kCabErrorCompressor);
    }
    if (!ok) return Fail(pendingError_ ? pendingError_ : kCabErrorCompressor, pendingSystemError_);
    inputFill_ = 0;
    return true;
  }
  if (count == 0) return true;
  std::size_t size = count;
  const std::uint8_t* out = in;
  if (method == kMethodMszip) {
    size = mszip_->CompressBlock(in, count, output_.data());
    if (size == 0) return Fail(kCabErrorCompressor);
    out = output_.data();
  }
  if (!WriteFolderBlock(out, size, count)) return false;
  inputFill_ = 0;
  if (Report(progress, StatusFile, size, count) == -1) return Fail(kCabErrorUserAbort);
  return true;
}

bool CabWriter::AddFile(const std::string& source, const std::string& name, bool runAfterExtract,
                        const CabNextCabinetFn& next, const CabProgressFn& progress,
                        const CabOpenSourceFn& openSource, std::uint16_t type) {
  if (!SetCompression(type, next, progress)) return false;

  std::uint16_t date = 0, time = 0, attribs = 0;
  int err = 0;
  const CabHandle src = openSource ? openSource(source, date, time, attribs, err) : -1;
  if (src == -1) return Fail(kCabErrorOpenSource, err);
  if (runAfterExtract) attribs |= kAttribRunAfterExtract;

  const std::uint64_t uoffFolderStart = folderUncompressed_;
  std::uint64_t cbFile = 0;
  for (;;) {
    const long n = client_.read(src, input_.data() + inputFill_, kBlockInput - inputFill_, err);
    if (n == 0) break;
    // A folder's offsets and a file's size are 32-bit in the format.
    if (n < 0 || folderUncompressed_ + static_cast<std::uint64_t>(n) > 0xFFFFFFFFu) {
      int ignored = 0;
      client_.close(src, ignored);
      return Fail(kCabErrorReadSource, n < 0 ? err : EFBIG);
    }
    inputFill_ += static_cast<std::uint32_t>(n);
    folderUncompressed_ += static_cast<std::uint64_t>(n);
    cbFile += static_cast<std::uint64_t>(n);
    if (inputFill_ == kBlockInput && !CompressBlock(progress, false)) {
      int ignored = 0;
      client_.close(src, ignored);
      return false;
    }
  }
  client_.close(src, err);

  std::vector<std::uint8_t> record(kFileFixedSize, 0);
  StoreLE32(record.data(), static_cast<std::uint32_t>(cbFile));
  StoreLE32(record.data() + 4, static_cast<std::uint32_t>(uoffFolderStart));
  Store16(record.data() + 10, date);
  Store16(record.data() + 12, time);
  Store16(record.data() + 14, attribs);
  record.insert(record.end(), name.begin(), name.end());
  record.push_back(0);
  if (!WriteTemp(folderFiles_, record.data(), record.size())) return false;

  if (FolderCompressedSize() > params_.cbFolderThresh || EstimateCabinet() > params_.cb) {
    return CloseFolder(false, next, progress);
  }
  return true;
}

// --- the cabinet --------------------------------------------------------------------------

std::size_t CabWriter::HeaderSize() const {
  return kHeaderFixedSize + (anyReserve() ? kReserveFieldsSize + reserveHeader_ : 0);
}

std::uint64_t CabWriter::EstimateCabinet() const {
  return std::uint64_t{folderFiles_.size} + HeaderSize() + cabFiles_.size + folderRecordSize() +
         cabFolders_.size + cabData_.size + FolderCompressedSize();
}

std::uint64_t CabWriter::EstimateWithNames() const {
  std::uint64_t estimate = EstimateCabinet();
  if (hasPrev_) estimate += prevCab_.size() + prevDisk_.size() + 2;
  if (hasNext_) estimate += nextCab_.size() + nextDisk_.size() + 2;
  return estimate;
}

bool CabWriter::CloseFolder(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress) {
  if (MethodOf(type_) <= kMethodLzx && type_ != kMethodUnset) {
    if (!CompressBlock(progress, true)) return false;
    if (mszip_) mszip_->Reset();
    if (lzx_) lzx_->Reset();
  }
  folderUncompressed_ = 0;
  if (folderData_.size == 0 && folderFiles_.size == 0) return true;

  const std::size_t h = dataHeaderSize();
  // Uncompressed bytes of this folder placed into earlier cabinets of the set: file offsets
  // count from the folder's start, wherever that lies.
  std::uint64_t placedBefore = 0;
  for (bool firstPass = true;; firstPass = false) {
    const std::uint64_t estimate = EstimateWithNames();
    if (Report(progress, StatusFolder, 0, estimate) == -1) return Fail(kCabErrorUserAbort);
    TempFile carryData, carryFiles;
    if (!CreateTempGroup({&carryData, &carryFiles})) return false;
    // The carry files must not leak on the failure paths below.
    struct CarryGuard {
      CabWriter* w;
      TempFile* a;
      TempFile* b;
      ~CarryGuard() {
        w->DeleteTemp(*a);
        w->DeleteTemp(*b);
      }
    } guard{this, &carryData, &carryFiles};

    std::int64_t spaceLeft = static_cast<std::int64_t>(params_.cb) - static_cast<std::int64_t>(estimate);
    const bool needNext = spaceLeft < 0 || (force && firstPass);
    if (needNext) {
      nextParams_ = params_;
      ++nextParams_.iCab;
      if (next && next(nextParams_, static_cast<std::uint32_t>(estimate)) == -1) {
        return Fail(kCabErrorUserAbort);
      }
      if (nextParams_.cb == 0) nextParams_.cb = kDefaultCb;
      nextCab_ = nextParams_.szCab;
      nextDisk_ = nextParams_.szDisk;
      hasNext_ = true;
      spaceLeft -= static_cast<std::int64_t>(nextCab_.size() + nextDisk_.size() + 2);
    }

    // Place the folder's data blocks; what does not fit moves on to the following cabinet.
    std::vector<std::uint8_t> folderRecord(folderRecordSize(), 0);
    StoreLE32(folderRecord.data(), cabData_.size);
    Store16(folderRecord.data() + 6, type_);
    std::uint16_t cCFData = 0;
    const std::int64_t room = static_cast<std::int64_t>(folderData_.size) + spaceLeft;
    std::int64_t placed = 0;
    std::uint64_t placedUncompressed = placedBefore, copied = 0;
    bool moving = false;
    if (!RewindTemp(folderData_)) return false;
    std::uint8_t* header = copyBuffer_.data();
    std::uint8_t* data = copyBuffer_.data() + 512;
    for (std::uint64_t left = folderData_.size; left > 0;) {
      if (left < h || !ReadTemp(folderData_, header, h)) return Fail(kCabErrorTempFile, error_.systemError);
      const std::uint16_t cbData = Load16(header + 4);
      const std::uint16_t cbUncomp = Load16(header + 6);
      if (!ReadTemp(folderData_, data, cbData)) return false;
      left -= h + cbData;
      const auto whole = static_cast<std::int64_t>(h + cbData);
      CFDATA block;
      block.abReserve.assign(reserveData_, 0);
      if (!moving && (!needNext || placed + whole < room)) {
        block.cbData = cbData;
        block.cbUncomp = cbUncomp;
        StoreLE32(header, DataBlockChecksum(block, data));
        if (!WriteTemp(cabData_, header, h) || !WriteTemp(cabData_, data, cbData)) return false;
        ++cCFData;
        placed += whole;
        placedUncompressed += cbUncomp;
      } else if (!moving && placed + static_cast<std::int64_t>(h) < room) {
        // The block is split: its first part stays here with cbUncomp 0.
        const auto first = static_cast<std::uint16_t>(room - placed - static_cast<std::int64_t>(h));
        block.cbData = first;
        block.cbUncomp = 0;
        Store16(header + 4, first);
        Store16(header + 6, 0);
        StoreLE32(header, DataBlockChecksum(block, data));
        if (!WriteTemp(cabData_, header, h) || !WriteTemp(cabData_, data, first)) return false;
        ++cCFData;
        placed += static_cast<std::int64_t>(h) + first;
        StoreLE32(header, 0);
        Store16(header + 4, static_cast<std::uint16_t>(cbData - first));
        Store16(header + 6, cbUncomp);
        if (!WriteTemp(carryData, header, h) || !WriteTemp(carryData, data + first, cbData - first)) {
          return false;
        }
        moving = true;
      } else {
        moving = true;
        StoreLE32(header, 0);
        if (!WriteTemp(carryData, header, h) || !WriteTemp(carryData, data, cbData)) return false;
      }
      copied += h + cbData;
      if (Report(progress, StatusFolder, copied, estimate) == -1) return Fail(kCabErrorUserAbort);
    }
    // A cabinet that continues this folder yet has no room for a single data byte would be
    // followed by another just like it, for ever: such a maximum size cannot be met.
    if (needNext && !firstPass && placed == 0 && folderData_.size > 0) {
      return Fail(kCabErrorCabinetFile, EFBIG);
    }
    Store16(folderRecord.data() + 4, cCFData);
    if (!WriteTemp(cabFolders_, folderRecord.data(), folderRecord.size())) return false;
    ++cFolders_;

    // Place the folder's file records.
    if (!RewindTemp(folderFiles_)) return false;
    std::vector<std::uint8_t> record;
    for (std::uint64_t left = folderFiles_.size; left > 0;) {
      record.assign(kFileFixedSize, 0);
      if (left < kFileFixedSize || !ReadTemp(folderFiles_, record.data(), kFileFixedSize)) {
        return Fail(kCabErrorTempFile, error_.systemError);
      }
      left -= kFileFixedSize;
      // Names are read back through a 256-byte buffer: a longer one cannot be placed.
      std::string name;
      for (;;) {
        std::uint8_t c = 0;
        if (left == 0 || name.size() >= kMaxNameBytes || !ReadTemp(folderFiles_, &c, 1)) {
          return Fail(kCabErrorTempFile, ENAMETOOLONG);
        }
        --left;
        if (c == 0) break;
        name.push_back(static_cast<char>(c));
      }
      const std::uint32_t cbFile = LoadLE32(record.data());
      const std::uint32_t uoff = LoadLE32(record.data() + 4);
      std::uint16_t iFolder = Load16(record.data() + 8);
      const bool continued = iFolder == kFolderContinuedFromPrev || iFolder == kFolderContinuedPrevAndNext;
      if (client_.filePlaced && client_.filePlaced(params_, name, cbFile, continued) == -1) {
        return Fail(kCabErrorUserAbort);
      }
      if (!continued) iFolder = folderIndex_;
      const bool continues = std::uint64_t{uoff} + cbFile > placedUncompressed;
      if (continues) {
        iFolder = (iFolder == kFolderContinuedFromPrev) ? kFolderContinuedPrevAndNext : kFolderContinuedToNext;
      }
      Store16(record.data() + 8, iFolder);
      record.insert(record.end(), name.begin(), name.end());
      record.push_back(0);
      if (!WriteTemp(cabFiles_, record.data(), record.size())) return false;
      ++cFiles_;
      if (continues) {
        Store16(record.data() + 8, kFolderContinuedFromPrev);
        if (!WriteTemp(carryFiles, record.data(), record.size())) return false;
      }
    }

    // The carried-over files become the folder's.
    if (!DeleteTemp(folderData_) || !DeleteTemp(folderFiles_)) return Fail(kCabErrorTempFile);
    std::swap(folderData_, carryData);
    std::swap(folderFiles_, carryFiles);
    if (!needNext) {
      ++folderIndex_;
      return true;
    }
    const std::uint32_t currentCb = params_.cb;
    if (!WriteCabinet(estimate, estimate, progress)) return false;
    if (currentCb != 0 && params_.iDisk == nextParams_.iDisk) nextParams_.cb = params_.cb;
    params_ = nextParams_;
    folderIndex_ = 0;
    placedBefore = placedUncompressed;
    if (folderData_.size == 0 && folderFiles_.size == 0) return true;
  }
}

bool CabWriter::WriteCabinetBody(CabHandle file, std::uint64_t progressTotal,
                                 const CabProgressFn& progress, std::uint32_t& cbCabinet) {
  int err = 0;
  auto put = [&](const void* p, std::size_t n) {
    return n == 0 || client_.write(file, p, static_cast<unsigned>(n), err) == static_cast<long>(n);
  };
  std::size_t headerSize = HeaderSize();
  if (hasPrev_) headerSize += prevCab_.size() + prevDisk_.size() + 2;
  if (hasNext_) headerSize += nextCab_.size() + nextDisk_.size() + 2;
  const std::uint64_t coffFiles = headerSize + cabFolders_.size;
  const std::uint64_t total = coffFiles + cabFiles_.size + cabData_.size;
  if (total > 0xFFFFFFFFu) return Fail(kCabErrorCabinetFile, EFBIG);
  cbCabinet = static_cast<std::uint32_t>(total);

  std::uint8_t fixed[kHeaderFixedSize] = {};
  StoreLE32(fixed, kSignatureIncomplete);
  StoreLE32(fixed + 8, cbCabinet);
  StoreLE32(fixed + 16, static_cast<std::uint32_t>(coffFiles));
  fixed[24] = 3;
  fixed[25] = 1;
  Store16(fixed + 26, cFolders_);
  Store16(fixed + 28, cFiles_);
  const std::uint16_t flags = static_cast<std::uint16_t>((hasPrev_ ? kFlagPrevCabinet : 0) |
                                                         (hasNext_ ? kFlagNextCabinet : 0) |
                                                         (anyReserve() ? kFlagReservePresent : 0));
  Store16(fixed + 30, flags);
  Store16(fixed + 32, params_.setID);
  Store16(fixed + 34, cabinetsWritten_);
  ++cabinetsWritten_;
  if (!put(fixed, sizeof fixed)) return Fail(kCabErrorCabinetFile, err);
  if (anyReserve()) {
    std::uint8_t sizes[kReserveFieldsSize] = {};
    Store16(sizes, static_cast<std::uint16_t>(reserveHeader_));
    sizes[2] = static_cast<std::uint8_t>(reserveFolder_);
    sizes[3] = static_cast<std::uint8_t>(reserveData_);
    if (!put(sizes, sizeof sizes)) return Fail(kCabErrorCabinetFile, err);
    const std::uint8_t zeros[256] = {};
    for (unsigned left = reserveHeader_; left > 0;) {
      const unsigned piece = std::min(left, 256u);
      if (!put(zeros, piece)) return Fail(kCabErrorCabinetFile, err);
      left -= piece;
    }
  }
  auto putName = [&](const std::string& s) { return put(s.c_str(), s.size() + 1); };
  if (hasPrev_ && !(putName(prevCab_) && putName(prevDisk_))) return Fail(kCabErrorCabinetFile, err);
  if (hasNext_ && !(putName(nextCab_) && putName(nextDisk_))) return Fail(kCabErrorCabinetFile, err);

  // Folder records with absolute data offsets.
  const std::uint32_t shift = static_cast<std::uint32_t>(coffFiles + cabFiles_.size);
  if (!RewindTemp(cabFolders_)) return false;
  std::vector<std::uint8_t> record(folderRecordSize());
  for (std::uint16_t i = 0; i < cFolders_; ++i) {
    if (!ReadTemp(cabFolders_, record.data(), record.size())) return false;
    StoreLE32(record.data(), LoadLE32(record.data()) + shift);
    if (!put(record.data(), record.size())) return Fail(kCabErrorCabinetFile, err);
  }
  std::uint64_t copied = 0;
  for (TempFile* part : {&cabFiles_, &cabData_}) {
    if (!RewindTemp(*part)) return false;
    for (std::uint32_t left = part->size; left > 0;) {
      const std::uint32_t piece = std::min<std::uint32_t>(left, kBlockInput);
      if (!ReadTemp(*part, copyBuffer_.data(), piece)) return false;
      if (!put(copyBuffer_.data(), piece)) return Fail(kCabErrorCabinetFile, err);
      left -= piece;
      copied += piece;
      if (Report(progress, StatusFolder, copied, progressTotal) == -1) return Fail(kCabErrorUserAbort);
    }
  }
  // Complete: the signature is the last thing written.
  std::uint8_t signature[4];
  StoreLE32(signature, kSignatureMSCF);
  if (client_.seek(file, 0, SEEK_SET, err) != 0 || !put(signature, 4)) {
    return Fail(kCabErrorCabinetFile, err);
  }
  return true;
}

bool CabWriter::WriteCabinet(std::uint64_t progressTotal, std::uint64_t estimate,
                             const CabProgressFn& progress) {
  const std::string path = params_.szCabPath + params_.szCab;
  int err = 0;
  const CabHandle file = client_.open(path, O_RDWR | O_CREAT | O_TRUNC, 0666, err);
  if (file == -1) return Fail(kCabErrorCabinetFile, err);
  std::uint32_t cbCabinet = 0;
  bool ok = WriteCabinetBody(file, progressTotal, progress, cbCabinet);
  if (client_.close(file, err) != 0 && ok) ok = Fail(kCabErrorCabinetFile, err);
  if (!ok) {
    int ignored = 0;
    client_.remove(path, ignored);
    return false;
  }
  prevCab_ = params_.szCab;
  prevDisk_ = params_.szDisk;
  hasPrev_ = true;
  nextCab_.clear();
  nextDisk_.clear();
  hasNext_ = false;

  if (!DeleteTemp(cabData_) || !DeleteTemp(cabFiles_) || !DeleteTemp(cabFolders_)) {
    return Fail(kCabErrorTempFile);
  }
  if (!CreateTempGroup({&cabData_, &cabFiles_, &cabFolders_})) return false;
  cFolders_ = 0;
  cFiles_ = 0;

  const long value = Report(progress, StatusCabinet, estimate, cbCabinet);
  if (value == -1) return Fail(kCabErrorUserAbort);
  params_.cb = static_cast<std::uint32_t>(params_.cb - static_cast<std::uint32_t>(value));
  return true;
}

bool CabWriter::Flush(bool force, const CabNextCabinetFn& next, const CabProgressFn& progress) {
  if (!CloseFolder(force, next, progress)) return false;
  if (force) return true;
  return WriteCabinet(std::uint64_t{cabFiles_.size} + cabData_.size, EstimateWithNames(), progress);
}

// --- the public functions ----------------------------------------------------------------

void CabWriterDeleter::operator()(CabWriter* writer) const { delete writer; }

CabWriterPtr CabWriterCreate(CabError& error, CabWriterClient client, const CabinetParameters& parameters) {
  error = CabError{};
  CabWriterPtr writer;
  try {
    writer.reset(new CabWriter(error, std::move(client), parameters));
  } catch (const std::bad_alloc&) {
    error = {kCabErrorNoMemory, 0, true};
    return nullptr;
  }
  if (!writer->Init()) return nullptr;
  return writer;
}

bool CabWriterAddFile(CabWriter& writer, const std::string& sourceName, const std::string& nameInCabinet,
                      bool runAfterExtract, const CabNextCabinetFn& nextCabinet,
                      const CabProgressFn& progress, const CabOpenSourceFn& openSource,
                      std::uint16_t typeCompress) {
  return writer.AddFile(sourceName, nameInCabinet, runAfterExtract, nextCabinet, progress, openSource,
                        typeCompress);
}

bool CabWriterFlushCabinet(CabWriter& writer, bool forceNextCabinet, const CabNextCabinetFn& nextCabinet,
                           const CabProgressFn& progress) {
  return writer.Flush(forceNextCabinet, nextCabinet, progress);
}

void CabWriterSetLzxLevel(CabWriter& writer, int level) { writer.SetLzxLevel(level); }

bool CabWriterDestroy(CabWriterPtr writer) {
  if (!writer) return true;
  return writer->Cleanup();
}

}  // namespace krax::cab
