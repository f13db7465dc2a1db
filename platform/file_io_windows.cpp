// file_io over Windows HANDLEs, always binary, shared for reading and deleting as POSIX
// files are; the int handed out is a C runtime descriptor that owns the HANDLE.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_io.h"
#include "platform/windows_support.h"

namespace krax::file_io {

int Open(const std::string& path, int flags, int /*mode*/, int& err) {
  DWORD access = GENERIC_READ;
  if ((flags & O_ACCMODE) == O_WRONLY) access = GENERIC_WRITE;
  if ((flags & O_ACCMODE) == O_RDWR) access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if (flags & O_CREAT) {
    disposition = (flags & O_EXCL) ? CREATE_NEW : (flags & O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
  } else if (flags & O_TRUNC) {
    disposition = TRUNCATE_EXISTING;
  }
  HANDLE handle = ::CreateFileW(win::SystemPath(path).c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    err = win::LastErrno();
    return -1;
  }
  const int fd = win::DescriptorFor(handle, (flags & O_ACCMODE) == O_RDONLY ? _O_RDONLY : 0);
  if (fd < 0) err = EMFILE;
  return fd;
}

long long Read(int fd, void* buffer, std::size_t count, int& err) {
  std::size_t done = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(win::HandleOf(fd), bytes + done, chunk, &got, nullptr)) {
      if (::GetLastError() == ERROR_BROKEN_PIPE) break;  // a pipe's end
      err = win::LastErrno();
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<long long>(done);
}

long long Write(int fd, const void* buffer, std::size_t count, int& err) {
  std::size_t done = 0;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(win::HandleOf(fd), bytes + done, chunk, &put, nullptr) || put == 0) {
      err = put == 0 && ::GetLastError() == ERROR_SUCCESS ? EIO : win::LastErrno();
      return -1;
    }
    done += put;
  }
  return static_cast<long long>(done);
}

long long Seek(int fd, long long offset, int whence, int& err) {
  const DWORD method = whence == SEEK_SET ? FILE_BEGIN : whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(win::HandleOf(fd), distance, &position, method)) {
    err = win::LastErrno();
    return -1;
  }
  return position.QuadPart;
}

int Close(int fd, int& err) {
  if (::_close(fd) != 0) {
    err = errno ? errno : EIO;
    return -1;
  }
  return 0;
}

int Remove(const std::string& path, int& err) {
  if (!::DeleteFileW(win::SystemPath(path).c_str())) {
    err = win::LastErrno();
    return -1;
  }
  return 0;
}

}  // namespace krax::file_io
