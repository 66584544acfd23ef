#pragma once

#include <string_view>

#include "network/network_state.hpp"

namespace tavelin {

enum class ScanOutcome {
  kEnded,         // the old output file could not be deleted; the program is ending
  kReopened,      // the output file was reopened and counted: the plot controls can be enabled
  kReopenFailed,  // reopening failed and has been reported
  kInUse,         // another Tavelin holds the output file: reported, nothing deleted or written
};

// Begin Scan: deletes and recreates the output file, checks the bounds typed by the user and the
// element count, walks the network at StepCount frequencies, and reopens the output file.
ScanOutcome BeginScan(const Services& services, NetworkState& state, std::string_view upperText,
                      std::string_view lowerText);

}  // namespace tavelin
