#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/platform_files.hpp"

namespace tavelin::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kFileExists = 17;  // EEXIST, which the POSIX build reports, so that the messages agree
constexpr std::size_t kMostPerCall = 1u << 30;
// Windows 10's disposition that takes the name away at once (FileDispositionInfoEx, with
// FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS); the headers offer it only
// to programs that need Windows 10, and older systems refuse it.
constexpr auto kDispositionNow = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDeleteNow = 0x1 | 0x2;

HANDLE Handle(const OpenFile& file) { return reinterpret_cast<HANDLE>(file.get()); }
OpenFile Own(HANDLE handle) { return OpenFile(reinterpret_cast<NativeFile>(handle)); }

// File names are UTF-8 in the program and UTF-16 to the system; a name that is no UTF-8 names nothing.
std::wstring Wide(const std::string& path) {
  if (path.empty()) return {};
  const int length = static_cast<int>(path.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
  if (size <= 0) throw RunTimeError(err::kPathFileAccess);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), size);
  return wide;
}

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Device names (NUL, COM1, CON, ...) and pipes resolve to the device namespace, in whatever folder.
bool IsDevice(const std::wstring& name) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  return length >= 4 && full.compare(0, 4, L"\\\\.\\") == 0;
}

int OpenErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return err::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return err::kPermissionDenied;
    case ERROR_TOO_MANY_OPEN_FILES: return err::kTooManyFiles;
    default: return err::kPathFileAccess;
  }
}

int WriteErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE: return err::kDiskFull;
    case ERROR_INVALID_HANDLE: return err::kBadFileNumber;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION: return err::kPermissionDenied;
    default: return err::kDeviceIo;
  }
}

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return at;
}

// Locks one byte far past any record without waiting: an exclusive lock holds the file, a shared
// lock tests that nobody holds it. Windows locks bar reads and writes of what they cover, so the
// byte is one that nobody reads. The lock ends with the last handle on the open file (a duplicate
// keeps it) or with the program, crash included. False only when another holder has the file; a
// file system without locks protects nothing but refuses nothing.
bool Lock(const OpenFile& file, DWORD flags) {
  constexpr std::int64_t kHeldByte = std::int64_t{1} << 62;
  OVERLAPPED at = At(kHeldByte);
  return ::LockFileEx(Handle(file), flags | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ||
         ::GetLastError() != ERROR_LOCK_VIOLATION;
}

bool SameFile(const OpenFile& file, const std::wstring& name) {
  const OpenFile named = Own(::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION mine{};
  BY_HANDLE_FILE_INFORMATION there{};
  return named.valid() && ::GetFileInformationByHandle(Handle(file), &mine) &&
         ::GetFileInformationByHandle(Handle(named), &there) &&
         mine.dwVolumeSerialNumber == there.dwVolumeSerialNumber && mine.nFileIndexHigh == there.nFileIndexHigh &&
         mine.nFileIndexLow == there.nFileIndexLow;
}

}  // namespace

int CloseFile(NativeFile file) noexcept {
  return ::CloseHandle(reinterpret_cast<HANDLE>(file)) ? 0 : WriteErrorNumber(::GetLastError());
}

OpenFile OpenRegularFile(const std::string& path) {
  const std::wstring name = Wide(path);
  // Folders and devices are refused before they are opened, as opening a device can act on it. Opening
  // follows links, and a link to a folder carries the folder bit, so the bit alone decides here.
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder || IsDevice(name)) throw RunTimeError(err::kPathFileAccess);
  OpenFile file = Own(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD first = ::GetLastError();
    if (OpenErrorNumber(first) != err::kPermissionDenied) throw RunTimeError(OpenErrorNumber(first));
    file = Own(::CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file.valid()) throw RunTimeError(OpenErrorNumber(first));
  }
  if (::GetFileType(Handle(file)) != FILE_TYPE_DISK) throw RunTimeError(err::kPathFileAccess);
  return file;
}

OpenFile CreateHeldFile(const std::string& path) {
  const std::wstring name = Wide(path);
  // CREATE_NEW opens nothing that exists, and with the reparse point flag a link, even one pointing
  // nowhere, is an existing name.
  OpenFile file = Own(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (IsFolder(attributes)) throw RunTimeError(err::kPathFileAccess);
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || attributes != INVALID_FILE_ATTRIBUTES) {
      throw RunTimeError(kFileExists);
    }
    throw RunTimeError(OpenErrorNumber(error));
  }
  // Between creation and lock another program may have taken the new file for deletion; then the
  // name no longer leads to it, and another file is in the way.
  if (!Lock(file, LOCKFILE_EXCLUSIVE_LOCK) || !SameFile(file, name)) throw RunTimeError(kFileExists);
  return file;
}

OpenFile DuplicateFile(const OpenFile& file) {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), Handle(file), ::GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    throw RunTimeError(OpenErrorNumber(::GetLastError()));
  }
  return Own(copy);
}

void RemoveUnlessHeld(const std::string& path) {
  const std::wstring name = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsFolder(attributes)) throw RunTimeError(err::kFileNotFound);
  // Deleted through the handle that was opened and locked, so what is deleted is what was checked,
  // under the lock; a link is opened itself, not what it points to, and is not tested. A file that
  // may not be read cannot be tested either.
  constexpr DWORD kFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
  OpenFile file =
      Own(::CreateFileW(name.c_str(), DELETE | GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, kFlags, nullptr));
  const bool readable = file.valid();
  if (!readable) file = Own(::CreateFileW(name.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, kFlags, nullptr));
  if (!file.valid()) {
    switch (const DWORD error = ::GetLastError()) {
      case ERROR_SHARING_VIOLATION: throw FileInUseError();
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND: throw RunTimeError(err::kFileNotFound);
      default:
        throw RunTimeError(OpenErrorNumber(error) == err::kPermissionDenied ? err::kPermissionDenied
                                                                            : err::kPathFileAccess);
    }
  }
  if (readable && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && !Lock(file, 0)) throw FileInUseError();
  // The name goes at once where the system can, so a new file can take it while a reader elsewhere
  // still has the old one open; elsewhere it goes with the last handle.
  DWORD now = kDeleteNow;
  FILE_DISPOSITION_INFO later{TRUE};
  if (!::SetFileInformationByHandle(Handle(file), kDispositionNow, &now, sizeof now) &&
      !::SetFileInformationByHandle(Handle(file), FileDispositionInfo, &later, sizeof later)) {
    throw RunTimeError(::GetLastError() == ERROR_ACCESS_DENIED ? err::kPermissionDenied : err::kPathFileAccess);
  }
}

std::int64_t ReadAt(const OpenFile& file, std::byte* out, std::size_t size, std::int64_t offset) noexcept {
  OVERLAPPED at = At(offset);
  DWORD n = 0;
  if (::ReadFile(Handle(file), out, static_cast<DWORD>(std::min(size, kMostPerCall)), &n, &at)) return n;
  return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

std::int64_t WriteAt(const OpenFile& file, const std::byte* data, std::size_t size, std::int64_t offset) noexcept {
  OVERLAPPED at = At(offset);
  DWORD n = 0;
  if (::WriteFile(Handle(file), data, static_cast<DWORD>(std::min(size, kMostPerCall)), &n, &at)) return n;
  return -WriteErrorNumber(::GetLastError());
}

std::int64_t FileSize(const OpenFile& file) noexcept {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(Handle(file), &size) ? size.QuadPart : -1;
}

bool Truncate(const OpenFile& file, std::int64_t length) noexcept {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = length;
  return ::SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end) != 0;
}

namespace {

std::string SystemReason(DWORD error) { return std::system_category().message(static_cast<int>(error)); }

// A link is looked through to what it names, as on POSIX.
bool Attributes(const std::wstring& name, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (!::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return false;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(name, error);
  if (!error) return ::GetFileAttributesExW(resolved.c_str(), GetFileExInfoStandard, &data) != 0;
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  return false;
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
  FileStatus status;
  std::wstring name;
  try {
    name = Wide(path);
  } catch (const RunTimeError&) {
    status.problem = SystemReason(ERROR_INVALID_NAME);
    return status;
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  status.exists = Attributes(name, data);
  if (!status.exists) status.problem = SystemReason(::GetLastError());
  status.regular = status.exists && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !IsDevice(name);
  status.writable = status.regular && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  if (status.regular && !status.writable) status.problem = SystemReason(ERROR_ACCESS_DENIED);
  return status;
}

ReadOutcome ReadWholeFile(const std::string& path, std::int64_t limit, std::string& contents) {
  const FileStatus status = StatusOf(path);
  if (status.exists && !status.regular) return ReadOutcome::kNotRegular;
  if (!status.exists) return ReadOutcome::kCannotOpen;
  const OpenFile file = Own(::CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ReadOutcome::kCannotOpen;
  if (::GetFileType(Handle(file)) != FILE_TYPE_DISK) return ReadOutcome::kNotRegular;
  if (FileSize(file) > limit) return ReadOutcome::kTooLarge;
  contents.clear();
  for (;;) {
    char buffer[65536];
    DWORD n = 0;
    if (!::ReadFile(Handle(file), buffer, sizeof buffer, &n, nullptr)) return ReadOutcome::kReadFailed;
    if (n == 0) return ReadOutcome::kRead;
    contents.append(buffer, n);
    if (static_cast<std::int64_t>(contents.size()) > limit) return ReadOutcome::kTooLarge;  // grew while read
  }
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, LinkAtName links, std::string& problem) {
  std::wstring target;
  try {
    target = Wide(path);
  } catch (const RunTimeError&) {
    problem = SystemReason(ERROR_INVALID_NAME);
    return false;
  }
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (links == LinkAtName::kFollow && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(target, error);
    if (!error) target = resolved.wstring();
  }
  DWORD failure = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && failure == ERROR_FILE_EXISTS; ++attempt) {
    const std::wstring temporary =
        target + L".part-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
    OpenFile file = Own(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    failure = file.valid() ? ERROR_SUCCESS : ::GetLastError();
    if (failure == ERROR_FILE_EXISTS || failure == ERROR_ALREADY_EXISTS) failure = ERROR_FILE_EXISTS;
    if (!file.valid()) continue;
    for (std::size_t done = 0; failure == ERROR_SUCCESS && done < bytes.size();) {
      DWORD n = 0;
      const auto size = static_cast<DWORD>(std::min(bytes.size() - done, kMostPerCall));
      if (!::WriteFile(Handle(file), bytes.data() + done, size, &n, nullptr)) failure = ::GetLastError();
      if (failure == ERROR_SUCCESS && n == 0) failure = ERROR_WRITE_FAULT;
      done += n;
    }
    if (failure == ERROR_SUCCESS && !::FlushFileBuffers(Handle(file))) failure = ::GetLastError();
    const bool closed = ::CloseHandle(reinterpret_cast<HANDLE>(file.release())) != 0;
    if (!closed && failure == ERROR_SUCCESS) failure = ::GetLastError();
    if (failure == ERROR_SUCCESS &&
        ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    if (failure == ERROR_SUCCESS) failure = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    break;
  }
  problem = SystemReason(failure);
  return false;
}

// Windows has no signal for a file grown past a limit: such a write fails with an error, which is
// what the program reports.
void IgnoreFileSizeSignal() noexcept {}

}  // namespace tavelin::platform
#endif
