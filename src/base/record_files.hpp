#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/platform_files.hpp"
#include "base/run_time_error.hpp"

namespace tavelin {

// The numbered random-access files of the program: a small table of handles, each a file of
// fixed-length records numbered from 1. Failures raise RunTimeError with the file error numbers
// (52 bad handle, 53/76 missing, 61 disk full, 62 past the end, 63 bad record number, 70 permission,
// 75 access).
class RecordFiles {
 public:
  RecordFiles() = default;
  RecordFiles(const RecordFiles&) = delete;
  RecordFiles& operator=(const RecordFiles&) = delete;
  ~RecordFiles();

  // Lowest handle number not in use, from 1.
  std::int16_t FreeFile() const;

  // Opens path on handle with the given record length, creating a missing file. The file is opened
  // for reading and writing where that is allowed and for reading only otherwise. An empty name is
  // a path/file access error (75).
  void Open(std::int16_t handle, const std::string& path, int recordLength);

  // Creates a new, empty file at path for reading and writing and locks it, so that Remove
  // elsewhere refuses it while this handle, or one opened from it by OpenSame, stays open. Anything
  // already at path, a link included, is never opened or followed: that is error 17 (the platform's
  // number for an existing file), or 75 for a folder.
  void Create(std::int16_t handle, const std::string& path, int recordLength);

  // Opens handle on the very file that is open on source, whatever now has its name.
  void OpenSame(std::int16_t handle, std::int16_t source, int recordLength);

  // Deletes the file at path, but not one that another program holds through Create: that raises
  // FileInUseError and leaves it. A link is deleted itself, never what it points to; a folder counts
  // as no file (53).
  static void Remove(const std::string& path);

  // Bytes written through handle since it was opened, buffered records not included.
  std::int64_t Written(std::int16_t handle);

  bool IsOpen(std::int16_t handle) const;

  // Reads record n into out (one record length). Bytes beyond the end of the file read as zero, but
  // a file that has become shorter than its last measured Length is no longer what was counted: a
  // record that now comes up short of the bytes it had then raises 62.
  void Read(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out);

  // Reads the consecutive records from recordNumber on into out, as many as it holds whole, in one
  // read: each as Read would read it at that moment. Returns how many of them, from the first, Read
  // would have read without an error; the bytes of the others mean nothing, and Read on the first of
  // them raises its error (or reads it, should the file have mended meanwhile).
  std::size_t ReadRecords(std::int16_t handle, std::int64_t recordNumber, std::span<std::byte> out);

  // Appends one record at the position after the last record written; writes are buffered.
  void WriteNext(std::int16_t handle, std::span<const std::byte> record);

  // Writes out buffered records; a write that fails raises its error here, and a record that it
  // wrote only in part is cut off the end of the file again.
  void Flush(std::int16_t handle);

  // Length of the file in bytes, buffered records included; remembered for Read.
  std::int64_t Length(std::int16_t handle);

  // Closing a handle that is not open does nothing.
  void Close(std::int16_t handle);
  void CloseAll();

 private:
  struct File {
    platform::OpenFile fd;
    int recordLength = 0;
    std::int64_t writeOffset = 0;
    std::int64_t measuredLength = -1;  // the last Length, -1 before any
    std::vector<std::byte> pending;
  };
  File& Get(std::int16_t handle);
  // A bad or busy handle number is error 52, before anything is opened.
  void CheckFree(std::int16_t handle) const;
  void Adopt(std::int16_t handle, platform::OpenFile fd, int recordLength);
  static void WriteOut(File& file);
  static void FlushPending(File& file);
  // Fills out from start on; the bytes that could not be read are zero.
  struct Filled {
    std::size_t bytes = 0;
    bool failed = false;  // a read failed, as against the end of the file
  };
  static Filled ReadBytes(const File& file, std::span<std::byte> out, std::int64_t start);
  // Whether got bytes of the size bytes at start lack some that the file last measured had there.
  static bool CameUpShort(const File& file, std::int64_t start, std::int64_t got, std::int64_t size);
  static void DropPartialRecord(File& file);

  std::map<std::int16_t, File> files_;
};

// Hands out the records of one file to a walk in record order, reading a run of consecutive records
// in one call instead of one read each: record n as Read reads it when its run is read, with Read's
// errors. A record outside the run at hand starts a new run there, which stops at the last record
// the walk needs; Forget drops the run, so that the next record asked for is read anew.
class RecordRun {
 public:
  RecordRun(RecordFiles& files, std::int16_t handle, int recordLength, std::int64_t last, int runRecords);

  std::span<const std::byte> Get(std::int64_t n);
  void Forget() { first_ = end_ = 0; }

 private:
  RecordFiles& files_;
  std::int16_t handle_;
  std::size_t recordLength_;
  std::int64_t last_;
  std::int64_t runRecords_;
  std::vector<std::byte> bytes_;
  std::int64_t first_ = 0;  // records first_ .. end_ - 1 are in bytes_
  std::int64_t end_ = 0;
};

}  // namespace tavelin
