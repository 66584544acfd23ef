#include "network/output_file.hpp"

#include <array>
#include <filesystem>

#include "base/run_time_error.hpp"
#include "network/element_file.hpp"

namespace tavelin {

std::string OutputFilePath(const Services& services) {
  if (!services.outputPath.empty()) return services.outputPath;
  return (std::filesystem::path(services.programFolder) / kOutputFileName).string();
}

DeleteOutcome DeleteOutputFile(const Services& services, NetworkState& state) {
  try {
    services.files.Close(state.OutputReadFile);
    services.files.Close(state.OutputWriteFile);
    // Closed numbers go to the next files opened; kept, they would read those as scan records.
    state.OutputReadFile = 0;
    state.OutputWriteFile = 0;
    state.OutputElementCount = 0;
    RecordFiles::Remove(OutputFilePath(services));
  } catch (const FileInUseError&) {
    services.messages.Show("Another Tavelin is using the scan output file " + OutputFilePath(services) +
                               ". The scan was not started.",
                           "Scan Output File in Use");
    return DeleteOutcome::kInUse;
  } catch (const RunTimeError& e) {
    switch (e.Number()) {
      case err::kPermissionDenied:
        services.messages.Show("Permission to delete output file denied - Aborting!", "Program Shutting Down");
        services.end.EndNow();
        return DeleteOutcome::kEnding;
      case err::kFileNotFound:
        services.messages.Show("Unable to find the file to be deleted! - Continuing!", "Warning");
        return DeleteOutcome::kDeleted;
      default:
        services.messages.Show("Error code " + std::to_string(e.Number()), "Program Shutting Down");
        services.end.EndNow();
        return DeleteOutcome::kEnding;
    }
  }
  return DeleteOutcome::kDeleted;
}

int CreateOutputFile(const Services& services, NetworkState& state) {
  int failure = 0;
  const auto warn = [&](const RunTimeError& e) {
    failure = e.Number();
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
    services.files.Create(state.OutputWriteFile, OutputFilePath(services), kOutputRecordLength);
    opened = true;
  } catch (const RunTimeError& e) {
    warn(e);
  }
  // A handle whose file did not open names no file of ours. Kept, its number would go to the next
  // file opened, and the next scan would close that file in place of the output file.
  if (!opened) state.OutputWriteFile = 0;
  return opened ? 0 : failure;
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
  state.Node.Advance(record.Node);
}

bool ReopenOutputFile(const Services& services, NetworkState& state, int createFailure) {
  bool opened = false;
  // Until the new file is counted, no records are there to plot, whatever the last count says.
  state.OutputElementCount = 0;
  try {
    state.OutputReadFile = services.files.FreeFile();
    // Only the file this scan created is read back: whatever else has the name now is not its records.
    if (!services.files.IsOpen(state.OutputWriteFile)) {
      throw RunTimeError(createFailure != 0 ? createFailure : err::kBadFileNumber);
    }
    services.files.OpenSame(state.OutputReadFile, state.OutputWriteFile, kOutputRecordLength);
    opened = true;
    // The writer's buffered records belong to the count.
    services.files.Flush(state.OutputWriteFile);
    state.OutputRecordCount = CountRecords(services.files.Length(state.OutputReadFile), kOutputRecordLength);
    state.OutputElementCount = state.ElementCount;
    state.ElementIndex = 1;
    state.Node.Reset();
    return true;
  } catch (const RunTimeError& e) {
    if (!opened) state.OutputReadFile = 0;  // as for the writing handle
    services.messages.Show("File open error, " + std::to_string(e.Number()),
                           "Fatal Error in Opening Network Data File");
    return false;
  }
}

}  // namespace tavelin
