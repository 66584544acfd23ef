#include "network/element_file.hpp"

#include <array>
#include <span>

#include "base/checked_arithmetic.hpp"

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
  const char* typeName = ElementTypeName(record.ElementType);
  if (typeName == nullptr) return;
  name = typeName;
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

}  // namespace tavelin
