#include "network/element_file.hpp"

#include <array>
#include <span>

#include "base/checked_arithmetic.hpp"
#include "base/run_time_error.hpp"

namespace tavelin {

void ReadElementRecord(RecordFiles& files, std::int16_t handle, std::int64_t n, ElementRecord& record) {
  std::array<std::byte, kElementRecordLength> bytes{};
  files.Read(handle, n, bytes);
  DecodeElementRecord(bytes, record);
}

std::int16_t CountRecords(std::int64_t lengthInBytes, int recordLength) {
  return CInt(static_cast<double>(lengthInBytes) / static_cast<double>(recordLength));
}

void DescribeElement(const ElementRecord& record, std::string& name, double& value) {
  const std::optional<std::string_view> typeName = ElementTypeName(record.ElementType);
  if (!typeName) return;
  name = *typeName;
  value = record.ElementValue;
}

void ShowElement(const Services& services, NetworkState& state, std::int16_t n) {
  ReadElementRecord(services.files, state.ElementFile, n, state.ElementRecord);
  std::string name;
  double value = 0.0;
  DescribeElement(state.ElementRecord, name, value);
  services.messages.Show("Element " + std::to_string(n) + " is type " + name + " with value = " +
                             FormatPattern(value, "#0.000#", services.locale),
                         kProgramTitle);
}

bool OpenElementFile(const Services& services, NetworkState& state, const std::optional<std::string>& fileName,
                     const std::function<void(std::int16_t)>& showCount) {
  constexpr const char* kOpenErrorTitle = "Error in Opening Archive Record File";
  if (!fileName) {
    services.messages.Show("User canceled file open!", kOpenErrorTitle);
    return false;
  }
  std::int16_t newHandle = 0;
  bool replaced = false;
  try {
    newHandle = services.files.FreeFile();
    services.files.Open(newHandle, *fileName, kElementRecordLength);
    const std::int16_t count = CountRecords(services.files.Length(newHandle), kElementRecordLength);
    // Only a file that opened and counted replaces the network that was open before.
    const std::int16_t previous = state.ElementFile;
    state.ElementFile = newHandle;
    replaced = true;
    if (previous != 0 && previous != newHandle) {
      try {
        services.files.Close(previous);
      } catch (const RunTimeError&) {
        // The old network is gone either way.
      }
    }
    state.ElementCount = count;
    showCount(count);
    for (int n = 1; n <= count; ++n) ShowElement(services, state, static_cast<std::int16_t>(n));
    return true;
  } catch (const RunTimeError& e) {
    if (!replaced && newHandle != 0) {
      try {
        services.files.Close(newHandle);
      } catch (const RunTimeError&) {
        // Nothing was read from it.
      }
    }
    services.messages.Show("File open error, " + std::to_string(e.Number()), kOpenErrorTitle);
    return false;
  }
}

}  // namespace tavelin
