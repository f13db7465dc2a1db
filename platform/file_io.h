// The program's one low-level file interface over the platform's file handles (POSIX
// descriptors): open, read, write, seek, close and delete, each giving the system error
// number of a failure in `err` (never left in errno for a caller to pick up later).
// The cabinet reader's and writer's client functions are made of these.
#pragma once

#include <cstddef>
#include <string>

namespace krax::file_io {

// open(2) flags from <fcntl.h>; close-on-exec is always added. -1 on failure.
int Open(const std::string& path, int flags, int mode, int& err);
// Reads until `count` bytes or the end of the file; the number read, or -1.
long long Read(int fd, void* buffer, std::size_t count, int& err);
// Writes all `count` bytes; `count`, or -1.
long long Write(int fd, const void* buffer, std::size_t count, int& err);
// lseek(2) with SEEK_SET, SEEK_CUR or SEEK_END; the new position, or -1.
long long Seek(int fd, long long offset, int whence, int& err);
// 0, or -1.
int Close(int fd, int& err);
int Remove(const std::string& path, int& err);

}  // namespace krax::file_io
