#include "base/vector_state.hpp"

namespace tavelin {

void ClearVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  // Checked at run time: the program runs on x86-64 processors without AVX too. The instruction
  // zeroes the upper halves only, so no value the compiler keeps in the lower halves is lost; the
  // clobbers cover a build that keeps wider values there.
  if (__builtin_cpu_supports("avx")) {
    __asm__ __volatile__("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                         "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
  }
#endif
}

}  // namespace tavelin
