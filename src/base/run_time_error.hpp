#pragma once

#include <stdexcept>
#include <string>

namespace tavelin {

// The numbered run-time errors that handlers test for.
namespace err {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kBadFileNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIo = 57;
inline constexpr int kDiskFull = 61;
inline constexpr int kPastEndOfFile = 62;
inline constexpr int kBadRecordNumber = 63;
inline constexpr int kTooManyFiles = 67;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
}  // namespace err

// Standard wording for an error number, used where no handler has its own text.
std::string DescribeError(int number);

// A numbered run-time error; handlers catch it where a trap stands and read the number.
class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(int number);
  RunTimeError(int number, const std::string& description);
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// A failed write to a record file. Writes are buffered, so the failure shows up some records after
// the one that met it: where the data stops is told by the file, not by the statement that raised.
class FileWriteError : public RunTimeError {
 public:
  using RunTimeError::RunTimeError;
};

}  // namespace tavelin
