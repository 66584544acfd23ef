#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/number_text.hpp"
#include "base/record_files.hpp"
#include "network/element_record.hpp"
#include "network/network_state.hpp"

namespace tavelin {

// Reads record n (from 1) of the element record file open on handle into record, field by field.
void ReadElementRecord(RecordFiles& files, std::int16_t handle, std::int64_t n, ElementRecord& record);

// Number of whole records in a file: length / record length, to the nearest integer with halves to
// even; more than 32767 is an overflow (6).
std::int16_t CountRecords(std::int64_t lengthInBytes, int recordLength);

// Type name and value of a listed element; an unlisted code sets neither.
void DescribeElement(const ElementRecord& record, std::string& name, double& value);

// Reads element n into state.ElementRecord and shows its one-line description.
void ShowElement(const Services& services, NetworkState& state, std::int16_t n);

// File > Open once the dialog has closed, with no name when it was cancelled, which is reported as
// such and changes nothing. Otherwise opens the file on a new handle, counts its records,
// reports the count through showCount, lists every element, and returns true when all of that
// succeeded. A failure is reported in a message box. A file that cannot be opened or counted
// leaves the network that was open before untouched; otherwise the new file replaces it.
[[nodiscard]] bool OpenElementFile(const Services& services, NetworkState& state,
                                   const std::optional<std::string>& fileName,
                                   const std::function<void(std::int16_t)>& showCount);

}  // namespace tavelin
