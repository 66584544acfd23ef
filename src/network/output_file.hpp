#pragma once

#include <string>

#include "network/network_state.hpp"

namespace tavelin {

inline constexpr const char* kOutputFileName = "TavelinOutput.dat";

// The scan output file lives in the program's folder, unless services name another path.
std::string OutputFilePath(const Services& services);

// Closes both output handles and deletes the old file. Returns false when the program has been
// told to end (the deletion was refused); the caller must then stop at once.
bool DeleteOutputFile(const Services& services, NetworkState& state);

// Creates the new, empty file on OutputWriteFile. A failing step is reported and the next one
// runs; returns whether the file ended up open for writing. When it did not, OutputWriteFile is 0.
bool CreateOutputFile(const Services& services, NetworkState& state);

// Completes OutputRecord from the current element and frequency, appends it, and carries its
// voltage and current into the node state.
void WriteOutputRecord(const Services& services, NetworkState& state);

// Opens the file for reading on OutputReadFile and counts its records, then resets the record
// counter and the node voltage. Returns true when all of that succeeded, so the plot controls can
// be enabled; a failure has been reported. A file that did not open leaves OutputReadFile 0.
bool ReopenOutputFile(const Services& services, NetworkState& state);

}  // namespace tavelin
