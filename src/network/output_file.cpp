#include "network/output_file.hpp"

#include <array>
#include <filesystem>
#include <system_error>

#include "base/run_time_error.hpp"
#include "network/element_file.hpp"

namespace tavelin {

namespace {

// Deletes the file at path, telling a missing file (53) and a refused permission (70) apart.
void DeleteFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
  if (!std::filesystem::exists(status)) throw RunTimeError(err::kFileNotFound);
  // Only a file is deleted: a folder of that name is no output file.
  if (std::filesystem::is_directory(status)) throw RunTimeError(err::kFileNotFound);
  if (std::filesystem::remove(path, error)) return;
  if (!error) throw RunTimeError(err::kFileNotFound);  // gone in between
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
      error == std::errc::read_only_file_system) {
    throw RunTimeError(err::kPermissionDenied);
  }
  if (error == std::errc::no_such_file_or_directory) throw RunTimeError(err::kFileNotFound);
  throw RunTimeError(err::kPathFileAccess);
}

}  // namespace

std::string OutputFilePath(const Services& services) {
  if (!services.outputPath.empty()) return services.outputPath;
  return (std::filesystem::path(services.programFolder) / kOutputFileName).string();
}

bool DeleteOutputFile(const Services& services, NetworkState& state) {
  try {
    services.files.Close(state.OutputReadFile);
    services.files.Close(state.OutputWriteFile);
    DeleteFile(OutputFilePath(services));
  } catch (const RunTimeError& e) {
    switch (e.Number()) {
      case err::kPermissionDenied:
        services.messages.Show("Permission to delete output file denied - Aborting!", "Program Shutting Down");
        services.end.EndNow();
        return false;
      case err::kFileNotFound:
        services.messages.Show("Unable to find the file to be deleted! - Continuing!", "Warning");
        return true;
      default:
        services.messages.Show("Error code " + std::to_string(e.Number()), "Program Shutting Down");
        services.end.EndNow();
        return false;
    }
  }
  return true;
}

bool CreateOutputFile(const Services& services, NetworkState& state) {
  const auto warn = [&](const RunTimeError& e) {
    services.messages.Show("Error " + std::to_string(e.Number()) + " while creating new output file!",
                           "Warning");
  };
  try {
    state.OutputWriteFile = services.files.FreeFile();
  } catch (const RunTimeError& e) {
    warn(e);
  }
  bool opened = false;
  try {
    services.files.Open(state.OutputWriteFile, OutputFilePath(services), kOutputRecordLength);
    opened = true;
  } catch (const RunTimeError& e) {
    warn(e);
  }
  // A handle whose file did not open names no file of ours. Kept, its number would go to the next
  // file opened, and the next scan would close that file in place of the output file.
  if (!opened) state.OutputWriteFile = 0;
  return opened;
}

void WriteOutputRecord(const Services& services, NetworkState& state) {
  OutputRecord& record = state.OutputRecord;
  record.ExtraWord = state.ElementRecord.ExtraWord;
  record.ElementType = state.ElementRecord.ElementType;
  record.ElementValue = state.ElementRecord.ElementValue;
  record.Frequency = state.ScanFrequency;
  std::array<std::byte, kOutputRecordLength> bytes{};
  EncodeOutputRecord(record, bytes);
  services.files.WriteNext(state.OutputWriteFile, bytes);
  state.Node.NodeVoltageRe = record.Node.VoltageRe;
  state.Node.NodeVoltageIm = record.Node.VoltageIm;
  state.Node.NodeCurrentRe = record.Node.CurrentRe;
  state.Node.NodeCurrentIm = record.Node.CurrentIm;
}

bool ReopenOutputFile(const Services& services, NetworkState& state) {
  bool opened = false;
  try {
    state.OutputReadFile = services.files.FreeFile();
    services.files.Open(state.OutputReadFile, OutputFilePath(services), kOutputRecordLength);
    opened = true;
    // The writer's buffered records belong to the count.
    if (services.files.IsOpen(state.OutputWriteFile)) services.files.Flush(state.OutputWriteFile);
    state.OutputRecordCount = CountRecords(services.files.Length(state.OutputReadFile), kOutputRecordLength);
    state.ElementIndex = 1;
    state.Node.NodeVoltageRe = 1.0;
    state.Node.NodeVoltageIm = 0.0;
    return true;
  } catch (const RunTimeError& e) {
    if (!opened) state.OutputReadFile = 0;  // as for the writing handle
    services.messages.Show("File open error, " + std::to_string(e.Number()),
                           "Fatal Error in Opening Network Data File");
    return false;
  }
}

}  // namespace tavelin
