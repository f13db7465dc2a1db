// Packing files into zip files, listing zip files and extracting their entries, through
// minizip. Written zips open in every common tool; zips from other tools are read with their
// folder entries, stored and deflated entries, zip64 records, and names in UTF-8 or in the
// DOS code page. No entry is ever written outside the destination folder.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive_callbacks.h"
#include "archive/archive_name_list.h"

namespace krax {

struct ZipCreateResult {
  bool written = false;            // the zip is complete at zipPath
  std::string message;             // why the zip was not written
  bool stopped = false;            // callbacks.stopRequested said so
  std::vector<std::string> names;  // the names packed, in order
  bool ok() const { return written; }
};

// Packs `files` into a new zip file at `zipPath` (extension included): deflate at the default
// level, each entry dated with its file's local modification time, named by its path below
// `baseFolder` with '/' between folders. With `overwrite` false an existing zip is replaced
// only after "File %s exist. Overwrite ?" is answered Yes. The zip is written beside
// `zipPath` and replaces it only when complete; a file that cannot be read fails the whole
// zip. Progress goes to callbacks.status as "File %s - Compressing:%d".
ZipCreateResult CreateZipArchive(const std::string& zipPath, const std::vector<std::string>& files,
                                 const std::string& baseFolder, bool overwrite,
                                 const ArchiveCallbacks& callbacks = {});

// Stores the entry names (decoded to UTF-8, folders as stored) in directory order, at most
// `capacity` of them; `names` is cleared first. Entries of size 0 (folders, empty files) are
// left out unless `includeEmpty`. False when the file is no readable zip.
bool ListZipEntries(const std::string& zipPath, ArchiveNameList& names, std::size_t capacity,
                    const ArchiveCallbacks* callbacks = nullptr, bool includeEmpty = false);

struct ZipExtractResult {
  bool opened = false;        // the zip and its directory could be read
  std::string message;        // why not
  std::vector<std::string> written;                          // paths written, in order
  std::vector<std::pair<std::string, std::string>> failed;   // (entry name, reason)
  bool ok() const { return opened && failed.empty(); }
};

// Extracts the entries named in `names` (found ignoring case; of several entries of one name
// the last in the directory, as unzip tools do; a name given twice is written twice) into
// `destFolder`, which is created with its parents when missing. With
// `withoutFolders` every file goes directly into `destFolder` under its base name; otherwise
// stored folders are created below it. With `overwrite` false an existing file is replaced
// only after "File %s exist. Overwrite ?" is answered Yes. Names that are absolute, hold a
// drive or climb with "..", and paths through a symbolic link, are refused; no entry grows
// beyond the size the zip's directory declares (zip64 sizes included) and each is checked
// against its CRC; encrypted entries and compression methods other than stored and deflate
// are refused with the reason; a file replaces an existing one only when complete and gets the entry's date and time. Failed entries do not stop the others.
ZipExtractResult ExtractZipEntries(const std::string& zipPath, const ArchiveNameList& names,
                                   const std::string& destFolder, bool overwrite, bool withoutFolders,
                                   const ArchiveCallbacks& callbacks = {});

}  // namespace krax
