#include "operations/archive_format.h"

#include "archive/cab/cab_entries.h"
#include "archive/zip/zip_archive.h"
#include "platform/path.h"

namespace krax {
namespace {

class ZipFormat final : public ArchiveFormat {
 public:
  ArchiveKind kind() const override { return ArchiveKind::kZip; }
  std::string_view extension() const override { return ".zip"; }
  std::string_view packCommand() const override { return "Create Zip"; }

  bool ListEntries(const std::string& path, ArchiveNameList& names, std::size_t capacity) const override {
    return ListZipEntries(path, names, capacity);
  }
  void ListEntrySizes(const std::string& path, std::vector<ArchiveEntrySize>& entries) const override {
    ListZipEntrySizes(path, entries);
  }
  std::string PartlyReadProblem(const std::string&, const ArchiveNameList&, std::size_t) const override { return {}; }

  EntryExtraction ExtractEntries(const std::string& path, const std::vector<std::string>& entries,
                                 const std::string& folder, const ArchiveCallbacks* callbacks) const override {
    const ArchiveNameList names(entries.begin(), entries.end());
    const ZipExtractResult result =
        ExtractZipEntries(path, names, folder, true, true, callbacks ? *callbacks : ArchiveCallbacks{});
    EntryExtraction extraction;
    if (!result.opened) {
      extraction.problem = result.message;
      return extraction;
    }
    extraction.failed = result.failed;
    return extraction;
  }

  ArchiveWriting Write(const std::string& archivePath, const std::vector<std::string>& files,
                       const std::string& sourceFolder, const CabinetCreateOptions&,
                       const ArchiveCallbacks& callbacks) const override {
    const ZipCreateResult zip = CreateZipArchive(archivePath, files, sourceFolder, true, callbacks);
    ArchiveWriting writing;
    writing.ok = zip.ok();
    writing.message = zip.message;
    writing.stopped = zip.stopped;
    return writing;
  }
};

class CabinetFormat final : public ArchiveFormat {
 public:
  ArchiveKind kind() const override { return ArchiveKind::kCabinet; }
  std::string_view extension() const override { return ".CAB"; }
  std::string_view packCommand() const override { return "Create Cabinet"; }

  bool ListEntries(const std::string& path, ArchiveNameList& names, std::size_t capacity) const override {
    return ListCabinetEntries(path, names, capacity);
  }
  void ListEntrySizes(const std::string& path, std::vector<ArchiveEntrySize>& entries) const override {
    ListCabinetEntrySizes(path, entries);
  }
  std::string PartlyReadProblem(const std::string& path, const ArchiveNameList& listed,
                                std::size_t capacity) const override {
    ArchiveNameList walked;
    ArchiveResult why;
    if (ListCabinetEntries(path, walked, capacity, nullptr, why)) return {};
    if (listed.empty() && why.status != ArchiveStatus::kNotFirstCabinet) return {};
    return path + " cannot be installed: " + why.Message();
  }

  // A name refused for leading outside the folder is skipped and named; a wanted entry that
  // was not written fails with the walk's reason.
  EntryExtraction ExtractEntries(const std::string& path, const std::vector<std::string>& entries,
                                 const std::string& folder, const ArchiveCallbacks* callbacks) const override {
    EntryExtraction extraction;
    std::vector<bool> done(entries.size(), false);
    const auto isWanted = [&entries](const std::string& stored) {
      for (const std::string& entry : entries) {
        if (EqualsIgnoreCase(entry, stored)) return true;
      }
      return false;
    };
    cab::CabExtractRequest request;
    request.cabPath = path;
    request.destFolder = folder;
    request.callbacks = callbacks;
    request.withoutFolders = true;
    request.wanted = isWanted;
    request.refused = [&extraction](const std::string& stored) {
      extraction.failed.emplace_back(stored, "refused: the name leads outside the destination folder");
    };
    request.extracted = [&](const std::string& stored, const std::string&) {
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (EqualsIgnoreCase(entries[i], stored)) done[i] = true;
      }
    };
    const ArchiveResult result = cab::ExtractCabinet(request);
    const std::size_t refused = extraction.failed.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (done[i] && result.ok()) continue;
      bool reported = false;
      for (std::size_t f = 0; f < refused; ++f)
        reported = reported || EqualsIgnoreCase(extraction.failed[f].first, entries[i]);
      if (!reported) extraction.failed.emplace_back(entries[i], result.ok() ? "not extracted" : result.Message());
    }
    return extraction;
  }

  // The set is staged beside the archive and put in place whole (CreateCabinetArchive).
  ArchiveWriting Write(const std::string& archivePath, const std::vector<std::string>& files,
                       const std::string& sourceFolder, const CabinetCreateOptions& cabinetOptions,
                       const ArchiveCallbacks& callbacks) const override {
    ArchiveWriting writing;
    std::string base = archivePath;
    base.resize(base.size() - extension().size());
    ArchiveResult why;
    std::vector<std::string> written;
    if (!CreateCabinetArchive(base, files, sourceFolder, true, callbacks, cabinetOptions, why, &written)) {
      writing.stopped = why.status == ArchiveStatus::kStopped;
      writing.message = writing.stopped ? "stopped" : "the cabinet could not be written: " + why.Message();
      return writing;
    }
    writing.followingParts.assign(written.begin() + 1, written.end());
    writing.ok = true;
    return writing;
  }
};

}  // namespace

const ArchiveFormat& ArchiveFormatFor(ArchiveKind kind) {
  static const ZipFormat zip;
  static const CabinetFormat cabinet;
  if (kind == ArchiveKind::kZip) return zip;
  return cabinet;
}

}  // namespace krax
