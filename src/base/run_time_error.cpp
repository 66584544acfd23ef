#include "base/run_time_error.hpp"

namespace tavelin {

std::string DescribeError(int number) {
  switch (number) {
    case err::kInvalidCall: return "Invalid procedure call or argument";
    case err::kOverflow: return "Overflow";
    case err::kDivisionByZero: return "Division by zero";
    case err::kTypeMismatch: return "Type mismatch";
    case err::kBadFileNumber: return "Bad file name or number";
    case err::kFileNotFound: return "File not found";
    case err::kDeviceIo: return "Device I/O error";
    case err::kDiskFull: return "Disk full";
    case err::kPastEndOfFile: return "Input past end of file";
    case err::kBadRecordNumber: return "Bad record number";
    case err::kTooManyFiles: return "Too many files";
    case err::kPermissionDenied: return "Permission denied";
    case err::kPathFileAccess: return "Path/File access error";
    case err::kPathNotFound: return "Path not found";
    default: return "Application-defined or object-defined error";
  }
}

RunTimeError::RunTimeError(int number) : RunTimeError(number, DescribeError(number)) {}

RunTimeError::RunTimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

}  // namespace tavelin
