#pragma once

#include <string>

#include "network/network_state.hpp"

namespace tavelin {

inline constexpr const char* kOutputFileName = "TavelinOutput.dat";

// The scan output file lives in the program's folder, unless services name another path.
std::string OutputFilePath(const Services& services);

enum class DeleteOutcome {
  kDeleted,  // deleted, or there was none: the scan goes on
  kEnding,   // the deletion failed and the program has been told to end; stop at once
  kInUse,    // another running Tavelin holds the file: nothing was deleted; stop the scan
};

// Closes both output handles and deletes the old file; every outcome but kDeleted has been reported.
[[nodiscard]] DeleteOutcome DeleteOutputFile(const Services& services, NetworkState& state);

// Creates the new, empty file on OutputWriteFile, never through anything already at its name. A
// failing step is reported and the next one runs. Returns 0 when the file ended up open for
// writing; otherwise the error number of the last failing step, and OutputWriteFile is 0.
[[nodiscard]] int CreateOutputFile(const Services& services, NetworkState& state);

// Completes OutputRecord from the current element and frequency, appends it, and carries its
// voltage and current into the node state.
void WriteOutputRecord(const Services& services, NetworkState& state);

// Opens the file that OutputWriteFile created for reading on OutputReadFile and counts its records,
// then resets the record counter and the node. Returns true when all of that succeeded, so
// the plot controls can be enabled; a failure has been reported. With no file created, the failure
// is createFailure (CreateOutputFile's) and OutputReadFile stays 0. OutputElementCount is the
// element count of the scan when the file was counted, and 0 otherwise.
[[nodiscard]] bool ReopenOutputFile(const Services& services, NetworkState& state, int createFailure = 0);

}  // namespace tavelin
