#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/platform_files.hpp"

namespace tavelin::platform {

namespace {

constexpr int kFileExists = EEXIST;  // the platform's own number, as no run-time error means this

int Fd(const OpenFile& file) { return static_cast<int>(file.get()); }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Locks a whole open file without waiting: a write lock (the fd open for writing) holds it, a read
// lock tests that nobody holds it. The lock belongs to the open file, not to the process: closing
// some other handle on the same file (the read handle, or the file opened as a network) keeps it,
// and it ends with the last handle on the file or with the program, crash included. False only when
// another holder has the file; a file system without locks protects nothing but refuses nothing.
bool Lock(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno == EACCES || errno == EAGAIN) return false;
    if (errno != EINTR) return true;
  }
  return true;
}

int OpenErrorNumber(int error) {
  switch (error) {
    case ENOENT: return err::kPathNotFound;
    case ENOTDIR: return err::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return err::kPermissionDenied;
    case EMFILE:
    case ENFILE: return err::kTooManyFiles;
    default: return err::kPathFileAccess;
  }
}

int WriteErrorNumber(int error) {
  switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return err::kDiskFull;
    case EBADF: return err::kBadFileNumber;
    case EACCES:
    case EPERM: return err::kPermissionDenied;
    default: return err::kDeviceIo;
  }
}

}  // namespace

int CloseFile(NativeFile file) noexcept {
  if (::close(static_cast<int>(file)) != 0 && errno != EINTR) return WriteErrorNumber(errno);
  return 0;
}

OpenFile OpenRegularFile(const std::string& path) {
  // Anything but a regular file is refused before it is opened, as opening a device can act on it
  // and opening a named pipe for reading waits for a writer that may never come; not blocking and
  // taking no terminal cover a file replaced in between.
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) throw RunTimeError(err::kPathFileAccess);
  constexpr int kFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  OpenFile fd(::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666));
  if (!fd.valid() && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    const int first = errno;
    fd = OpenFile(::open(path.c_str(), O_RDONLY | kFlags));
    if (!fd.valid()) throw RunTimeError(OpenErrorNumber(first));
  }
  if (!fd.valid()) throw RunTimeError(OpenErrorNumber(errno));
  struct stat status {};
  if (::fstat(Fd(fd), &status) != 0 || !S_ISREG(status.st_mode)) throw RunTimeError(err::kPathFileAccess);
  const int flags = ::fcntl(Fd(fd), F_GETFL);
  if (flags < 0 || ::fcntl(Fd(fd), F_SETFL, flags & ~O_NONBLOCK) != 0) throw RunTimeError(err::kPathFileAccess);
  return fd;
}

OpenFile CreateHeldFile(const std::string& path) {
  // With O_EXCL nothing that exists is opened, and a link, even one pointing nowhere, is not followed.
  OpenFile fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
  if (!fd.valid()) {
    const int error = errno;
    struct stat existing {};
    if (error != EEXIST) throw RunTimeError(OpenErrorNumber(error));
    if (::lstat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) throw RunTimeError(err::kPathFileAccess);
    throw RunTimeError(kFileExists);
  }
  // Between creation and lock another program may have taken the new file for deletion; then the
  // name no longer leads to it, and another file is in the way.
  struct stat mine {};
  struct stat named {};
  if (!Lock(Fd(fd), F_WRLCK) || ::fstat(Fd(fd), &mine) != 0 || ::lstat(path.c_str(), &named) != 0 ||
      !SameFile(mine, named)) {
    throw RunTimeError(kFileExists);
  }
  return fd;
}

OpenFile DuplicateFile(const OpenFile& file) {
  OpenFile fd(::fcntl(Fd(file), F_DUPFD_CLOEXEC, 0));
  if (!fd.valid()) throw RunTimeError(OpenErrorNumber(errno));
  return fd;
}

void RemoveUnlessHeld(const std::string& path) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || S_ISDIR(named.st_mode)) throw RunTimeError(err::kFileNotFound);
    // Held until after the unlink below, so the lock covers the deletion.
    OpenFile fd;
    if (S_ISREG(named.st_mode)) {
      fd = OpenFile(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
      struct stat opened {};
      if (fd.valid() && (::fstat(Fd(fd), &opened) != 0 || !SameFile(opened, named))) continue;  // replaced in between
      if (fd.valid() && !Lock(Fd(fd), F_RDLCK)) throw FileInUseError();
      // Locked, the file is ours to delete as long as the name still leads to it.
      struct stat now {};
      if (fd.valid() && (::lstat(path.c_str(), &now) != 0 || !SameFile(now, named))) continue;
    }
    const int result = ::unlink(path.c_str());
    const int error = errno;
    if (result == 0) return;
    switch (error) {
      case EACCES:
      case EPERM:
      case EROFS: throw RunTimeError(err::kPermissionDenied);
      case ENOENT: throw RunTimeError(err::kFileNotFound);
      default: throw RunTimeError(err::kPathFileAccess);
    }
  }
  throw FileInUseError();  // renewed under our hands each time: another program is at work on it
}

std::int64_t ReadAt(const OpenFile& file, std::byte* out, std::size_t size, std::int64_t offset) noexcept {
  for (;;) {
    const ssize_t n = ::pread(Fd(file), out, size, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

std::int64_t WriteAt(const OpenFile& file, const std::byte* data, std::size_t size, std::int64_t offset) noexcept {
  for (;;) {
    const ssize_t n = ::pwrite(Fd(file), data, size, static_cast<off_t>(offset));
    if (n >= 0) return n;
    if (errno != EINTR) return -WriteErrorNumber(errno);
  }
}

std::int64_t FileSize(const OpenFile& file) noexcept {
  struct stat status {};
  return ::fstat(Fd(file), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

bool Truncate(const OpenFile& file, std::int64_t length) noexcept {
  return ::ftruncate(Fd(file), static_cast<off_t>(length)) == 0;
}

FileStatus StatusOf(const std::string& path) {
  FileStatus status;
  struct stat info {};
  status.exists = ::stat(path.c_str(), &info) == 0;
  status.regular = status.exists && S_ISREG(info.st_mode);
  status.writable = status.regular && ::access(path.c_str(), W_OK) == 0;
  if (!status.exists || (status.regular && !status.writable)) status.problem = std::strerror(errno);
  return status;
}

ReadOutcome ReadWholeFile(const std::string& path, std::int64_t limit, std::string& contents) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return ReadOutcome::kNotRegular;
  const OpenFile fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid() || ::fstat(Fd(fd), &status) != 0) return ReadOutcome::kCannotOpen;
  if (!S_ISREG(status.st_mode)) return ReadOutcome::kNotRegular;
  if (status.st_size > limit) return ReadOutcome::kTooLarge;
  contents.clear();
  for (;;) {
    char buffer[65536];
    const ssize_t n = ::read(Fd(fd), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadOutcome::kReadFailed;
    if (n == 0) return ReadOutcome::kRead;
    contents.append(buffer, static_cast<std::size_t>(n));
    if (static_cast<std::int64_t>(contents.size()) > limit) return ReadOutcome::kTooLarge;  // grew while read
  }
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, LinkAtName links, std::string& problem) {
  std::string target = path;
  std::error_code error;
  if (links == LinkAtName::kFollow && std::filesystem::is_symlink(path, error)) {
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (!error) target = resolved.string();
  }
  struct stat existing {};
  const bool keepMode = ::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = target + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    OpenFile fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.valid() && errno == EEXIST) continue;
    if (!fd.valid()) break;
    int failure = keepMode && ::fchmod(Fd(fd), existing.st_mode & 07777) != 0 ? errno : 0;
    for (std::size_t done = 0; failure == 0 && done < bytes.size();) {
      const ssize_t n = ::write(Fd(fd), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) failure = n < 0 ? errno : EIO;
      if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fsync(Fd(fd)) != 0) failure = errno;
    if (::close(static_cast<int>(fd.release())) != 0 && failure == 0) failure = errno;
    if (failure == 0 && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    if (failure == 0) failure = errno;
    ::unlink(temporary.c_str());
    problem = std::strerror(failure);
    return false;
  }
  problem = std::strerror(errno);
  return false;
}

void IgnoreFileSizeSignal() noexcept { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace tavelin::platform
#endif
