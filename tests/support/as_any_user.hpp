#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <functional>

namespace tavelin::testing {

// Runs f without the capabilities that let root open any file, so that a file without permission is
// as closed to this thread as it is to everyone else (tests run as root in CI).
inline void AsAnyUser(const std::function<void()>& f) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, 2> saved{};
  const bool got = ::syscall(SYS_capget, &header, saved.data()) == 0;
  auto reduced = saved;
  reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  const bool dropped = got && ::syscall(SYS_capset, &header, reduced.data()) == 0;
  f();
  if (dropped) ::syscall(SYS_capset, &header, saved.data());
}

}  // namespace tavelin::testing
