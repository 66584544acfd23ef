#include "base/record_files.hpp"

#include <algorithm>
#include <cstring>

#include "base/run_time_error.hpp"

namespace tavelin {

namespace {

constexpr std::size_t kWriteBuffer = 64 * 1024;
constexpr std::int16_t kMaxHandle = 511;

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

void RecordFiles::CheckFree(std::int16_t handle) const {
  if (handle < 1 || handle > kMaxHandle || IsOpen(handle)) throw RunTimeError(err::kBadFileNumber);
}

void RecordFiles::Adopt(std::int16_t handle, platform::OpenFile fd, int recordLength) {
  File file;
  file.fd = std::move(fd);
  file.recordLength = recordLength;
  files_.emplace(handle, std::move(file));
}

void RecordFiles::Open(std::int16_t handle, const std::string& path, int recordLength) {
  CheckFree(handle);
  if (path.empty()) throw RunTimeError(err::kPathFileAccess);
  Adopt(handle, platform::OpenRegularFile(path), recordLength);
}

void RecordFiles::Create(std::int16_t handle, const std::string& path, int recordLength) {
  CheckFree(handle);
  if (path.empty()) throw RunTimeError(err::kPathFileAccess);
  Adopt(handle, platform::CreateHeldFile(path), recordLength);
}

void RecordFiles::OpenSame(std::int16_t handle, std::int16_t source, int recordLength) {
  CheckFree(handle);
  Adopt(handle, platform::DuplicateFile(Get(source).fd), recordLength);
}

void RecordFiles::Remove(const std::string& path) { platform::RemoveUnlessHeld(path); }

std::int64_t RecordFiles::Written(std::int16_t handle) { return Get(handle).writeOffset; }

bool RecordFiles::IsOpen(std::int16_t handle) const { return files_.find(handle) != files_.end(); }

RecordFiles::File& RecordFiles::Get(std::int16_t handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) throw RunTimeError(err::kBadFileNumber);
  return it->second;
}

// Reads go to the file itself, so records still waiting in the buffer must be there first.
void RecordFiles::FlushPending(File& file) {
  if (!file.pending.empty()) WriteOut(file);
}

RecordFiles::Filled RecordFiles::ReadBytes(const File& file, std::span<std::byte> out, std::int64_t start) {
  Filled filled;
  while (filled.bytes < out.size()) {
    const std::int64_t n = platform::ReadAt(file.fd, out.data() + filled.bytes, out.size() - filled.bytes,
                                            start + static_cast<std::int64_t>(filled.bytes));
    if (n <= 0) {
      filled.failed = n < 0;  // 0 is the end of the file
      break;
    }
    filled.bytes += static_cast<std::size_t>(n);
  }
  std::memset(out.data() + filled.bytes, 0, out.size() - filled.bytes);
  return filled;
}

// Bytes beyond the end of the file read as zero, but not the bytes that the file had when its length
// was last measured: a file cut short since is no longer what was counted.
bool RecordFiles::CameUpShort(const File& file, std::int64_t start, std::int64_t got, std::int64_t size) {
  if (file.measuredLength < 0) return false;
  const std::int64_t had = std::clamp<std::int64_t>(file.measuredLength - start, 0, size);
  return std::clamp<std::int64_t>(got, 0, size) < had;
}

void RecordFiles::Read(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out) {
  File& file = Get(handle);
  if (recordNumber < 1) throw RunTimeError(err::kBadRecordNumber);
  FlushPending(file);
  const std::int64_t start = (recordNumber - 1) * file.recordLength;
  const Filled filled = ReadBytes(file, out, start);
  if (filled.failed) throw RunTimeError(err::kDeviceIo);
  if (CameUpShort(file, start, static_cast<std::int64_t>(filled.bytes), static_cast<std::int64_t>(out.size()))) {
    throw RunTimeError(err::kPastEndOfFile);
  }
}

std::size_t RecordFiles::ReadRecords(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out) {
  File& file = Get(handle);
  if (recordNumber < 1) throw RunTimeError(err::kBadRecordNumber);
  if (file.recordLength <= 0) return 0;
  FlushPending(file);
  const auto length = static_cast<std::size_t>(file.recordLength);
  const std::size_t count = out.size() / length;
  const std::int64_t start = (recordNumber - 1) * file.recordLength;
  const Filled filled = ReadBytes(file, out.first(count * length), start);
  std::size_t good = filled.bytes / length;
  if (filled.failed) return good;  // Read raises the error for the record it comes to
  for (; good < count; ++good) {
    const auto offset = static_cast<std::int64_t>(good * length);
    if (CameUpShort(file, start + offset, static_cast<std::int64_t>(filled.bytes) - offset, file.recordLength)) break;
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
    const std::int64_t n =
        platform::WriteAt(file.fd, file.pending.data() + done, file.pending.size() - done, file.writeOffset);
    if (n < 0) {
      file.pending.clear();  // a failed write is reported once, not again at every flush
      DropPartialRecord(file);
      throw FileWriteError(static_cast<int>(-n));
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
  if (platform::FileSize(file.fd) == file.writeOffset) {
    // Nothing more can be done when this fails too; the write's own error is what gets reported.
    [[maybe_unused]] const bool cut = platform::Truncate(file.fd, file.writeOffset - partial);
  }
  file.writeOffset -= partial;
}

void RecordFiles::Flush(std::int16_t handle) { WriteOut(Get(handle)); }

std::int64_t RecordFiles::Length(std::int16_t handle) {
  File& file = Get(handle);
  WriteOut(file);
  const std::int64_t size = platform::FileSize(file.fd);
  if (size < 0) throw RunTimeError(err::kDeviceIo);
  file.measuredLength = size;
  return file.measuredLength;
}

void RecordFiles::Close(std::int16_t handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) return;
  File file = std::move(it->second);
  files_.erase(it);
  WriteOut(file);  // when it fails, file closes on the way out
  if (const int error = file.fd.close(); error != 0) throw FileWriteError(error);
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
