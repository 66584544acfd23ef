#include "base/record_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/run_time_error.hpp"

namespace tavelin {

namespace {

constexpr std::size_t kWriteBuffer = 64 * 1024;
constexpr std::int16_t kMaxHandle = 511;
constexpr int kFileExists = EEXIST;  // the platform's own number, as no run-time error means this

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

RecordFiles::~RecordFiles() {
  for (auto& [handle, file] : files_) {
    try {
      WriteOut(file);
    } catch (const RunTimeError&) {
      // Nothing can report it any more.
    }
  }
}

std::int16_t RecordFiles::FreeFile() const {
  for (std::int16_t handle = 1; handle <= kMaxHandle; ++handle) {
    if (files_.find(handle) == files_.end()) return handle;
  }
  throw RunTimeError(err::kTooManyFiles);
}

void RecordFiles::Open(std::int16_t handle, const std::string& path, int recordLength) {
  if (handle < 1 || handle > kMaxHandle || IsOpen(handle)) throw RunTimeError(err::kBadFileNumber);
  if (path.empty()) throw RunTimeError(err::kPathFileAccess);
  // Only regular files hold records. Anything else is refused before it is opened, as opening a
  // device can act on it and opening a named pipe for reading waits for a writer that may never
  // come; not blocking and taking no terminal cover a file replaced in between.
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) throw RunTimeError(err::kPathFileAccess);
  constexpr int kFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666));
  if (!fd.valid() && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    const int first = errno;
    fd = FileDescriptor(::open(path.c_str(), O_RDONLY | kFlags));
    if (!fd.valid()) throw RunTimeError(OpenErrorNumber(first));
  }
  if (!fd.valid()) throw RunTimeError(OpenErrorNumber(errno));
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) throw RunTimeError(err::kPathFileAccess);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) throw RunTimeError(err::kPathFileAccess);
  File file;
  file.fd = std::move(fd);
  file.recordLength = recordLength;
  files_.emplace(handle, std::move(file));
}

void RecordFiles::Create(std::int16_t handle, const std::string& path, int recordLength) {
  if (handle < 1 || handle > kMaxHandle || IsOpen(handle)) throw RunTimeError(err::kBadFileNumber);
  if (path.empty()) throw RunTimeError(err::kPathFileAccess);
  // With O_EXCL nothing that exists is opened, and a link, even one pointing nowhere, is not followed.
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
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
  if (!Lock(fd.get(), F_WRLCK) || ::fstat(fd.get(), &mine) != 0 || ::lstat(path.c_str(), &named) != 0 ||
      !SameFile(mine, named)) {
    throw RunTimeError(kFileExists);
  }
  File file;
  file.fd = std::move(fd);
  file.recordLength = recordLength;
  files_.emplace(handle, std::move(file));
}

void RecordFiles::OpenSame(std::int16_t handle, std::int16_t source, int recordLength) {
  if (handle < 1 || handle > kMaxHandle || IsOpen(handle)) throw RunTimeError(err::kBadFileNumber);
  FileDescriptor fd(::fcntl(Get(source).fd.get(), F_DUPFD_CLOEXEC, 0));
  if (!fd.valid()) throw RunTimeError(OpenErrorNumber(errno));
  File file;
  file.fd = std::move(fd);
  file.recordLength = recordLength;
  files_.emplace(handle, std::move(file));
}

void RecordFiles::Remove(const std::string& path) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || S_ISDIR(named.st_mode)) throw RunTimeError(err::kFileNotFound);
    // Held until after the unlink below, so the lock covers the deletion.
    FileDescriptor fd;
    if (S_ISREG(named.st_mode)) {
      fd = FileDescriptor(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
      struct stat opened {};
      if (fd.valid() && (::fstat(fd.get(), &opened) != 0 || !SameFile(opened, named))) continue;  // replaced in between
      if (fd.valid() && !Lock(fd.get(), F_RDLCK)) throw FileInUseError();
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

std::int64_t RecordFiles::Written(std::int16_t handle) { return Get(handle).writeOffset; }

bool RecordFiles::IsOpen(std::int16_t handle) const { return files_.find(handle) != files_.end(); }

RecordFiles::File& RecordFiles::Get(std::int16_t handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) throw RunTimeError(err::kBadFileNumber);
  return it->second;
}

void RecordFiles::Read(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out) {
  File& file = Get(handle);
  if (recordNumber < 1) throw RunTimeError(err::kBadRecordNumber);
  if (!file.pending.empty()) WriteOut(file);
  std::memset(out.data(), 0, out.size());
  const off_t start = static_cast<off_t>((recordNumber - 1) * file.recordLength);
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(file.fd.get(), out.data() + done, out.size() - done,
                              start + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RunTimeError(err::kDeviceIo);
    }
    if (n == 0) break;  // end of file: the rest stays zero
    done += static_cast<std::size_t>(n);
  }
  if (file.measuredLength >= 0) {
    const std::int64_t had =
        std::clamp<std::int64_t>(file.measuredLength - start, 0, static_cast<std::int64_t>(out.size()));
    if (static_cast<std::int64_t>(done) < had) throw RunTimeError(err::kPastEndOfFile);
  }
}

std::size_t RecordFiles::ReadRecords(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out) {
  File& file = Get(handle);
  if (recordNumber < 1) throw RunTimeError(err::kBadRecordNumber);
  if (file.recordLength <= 0) return 0;
  if (!file.pending.empty()) WriteOut(file);
  const auto length = static_cast<std::size_t>(file.recordLength);
  const std::size_t count = out.size() / length;
  const off_t start = static_cast<off_t>((recordNumber - 1) * file.recordLength);
  std::size_t done = 0;
  bool failed = false;
  while (done < count * length) {
    const ssize_t n =
        ::pread(file.fd.get(), out.data() + done, count * length - done, start + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;  // Read raises the error for the record it comes to
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  std::memset(out.data() + done, 0, count * length - done);
  std::size_t good = done / length;
  if (failed) return good;
  // At the end of the file: a record is as good as Read would find it while it lacks no byte that the
  // file had there when its length was last measured.
  const std::int64_t whole = file.recordLength;
  for (; good < count; ++good) {
    const auto offset = static_cast<std::int64_t>(good * length);
    const std::int64_t got = std::clamp<std::int64_t>(static_cast<std::int64_t>(done) - offset, 0, whole);
    const std::int64_t had =
        file.measuredLength < 0 ? 0 : std::clamp<std::int64_t>(file.measuredLength - start - offset, 0, whole);
    if (got < had) break;
  }
  return good;
}

RecordRun::RecordRun(RecordFiles& files, std::int16_t handle, int recordLength, std::int64_t last, int runRecords)
    : files_(files),
      handle_(handle),
      recordLength_(static_cast<std::size_t>(std::max(recordLength, 1))),
      last_(last),
      runRecords_(std::clamp<std::int64_t>(last, 1, std::max(runRecords, 1))),
      bytes_(recordLength_ * static_cast<std::size_t>(runRecords_)) {}

std::span<const std::byte> RecordRun::Get(std::int64_t n) {
  const std::span<std::byte> all(bytes_);
  if (n < first_ || n >= end_) {
    const auto records = static_cast<std::size_t>(std::clamp<std::int64_t>(last_ - n + 1, 1, runRecords_));
    first_ = n;
    end_ = n + static_cast<std::int64_t>(files_.ReadRecords(handle_, n, all.first(records * recordLength_)));
    if (end_ == n) {
      // A record that Read would refuse goes to Read, which raises what it raises.
      files_.Read(handle_, n, all.first(recordLength_));
      end_ = n + 1;
    }
  }
  return all.subspan(static_cast<std::size_t>(n - first_) * recordLength_, recordLength_);
}

void RecordFiles::WriteNext(std::int16_t handle, std::span<const std::byte> record) {
  File& file = Get(handle);
  file.pending.insert(file.pending.end(), record.begin(), record.end());
  if (file.pending.size() >= kWriteBuffer) WriteOut(file);
}

void RecordFiles::WriteOut(File& file) {
  std::size_t done = 0;
  while (done < file.pending.size()) {
    const ssize_t n = ::pwrite(file.fd.get(), file.pending.data() + done, file.pending.size() - done,
                               static_cast<off_t>(file.writeOffset));
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      file.pending.clear();  // a failed write is reported once, not again at every flush
      DropPartialRecord(file);
      throw FileWriteError(WriteErrorNumber(error));
    }
    done += static_cast<std::size_t>(n);
    file.writeOffset += n;
  }
  file.pending.clear();
}

// A record written only in part would be counted as a record and read back with zeros in place of
// its missing fields. When it ends the file, it is cut off; the next record goes in its place.
void RecordFiles::DropPartialRecord(File& file) {
  if (file.recordLength <= 0) return;
  const std::int64_t partial = file.writeOffset % file.recordLength;
  if (partial == 0) return;
  struct stat status {};
  if (::fstat(file.fd.get(), &status) == 0 && status.st_size == file.writeOffset) {
    // Nothing more can be done when this fails too; the write's own error is what gets reported.
    [[maybe_unused]] const int result = ::ftruncate(file.fd.get(), static_cast<off_t>(file.writeOffset - partial));
  }
  file.writeOffset -= partial;
}

void RecordFiles::Flush(std::int16_t handle) { WriteOut(Get(handle)); }

std::int64_t RecordFiles::Length(std::int16_t handle) {
  File& file = Get(handle);
  WriteOut(file);
  struct stat status {};
  if (::fstat(file.fd.get(), &status) != 0) throw RunTimeError(err::kDeviceIo);
  file.measuredLength = static_cast<std::int64_t>(status.st_size);
  return file.measuredLength;
}

void RecordFiles::Close(std::int16_t handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) return;
  File file = std::move(it->second);
  files_.erase(it);
  WriteOut(file);  // when it fails, file closes on the way out
  if (file.fd.close() != 0 && errno != EINTR) throw FileWriteError(WriteErrorNumber(errno));
}

void RecordFiles::CloseAll() {
  // Every handle is closed even when one of them fails; the first failure is reported.
  int firstError = 0;
  while (!files_.empty()) {
    try {
      Close(files_.begin()->first);
    } catch (const RunTimeError& e) {
      if (firstError == 0) firstError = e.Number();
    }
  }
  if (firstError != 0) throw RunTimeError(firstError);
}

}  // namespace tavelin
