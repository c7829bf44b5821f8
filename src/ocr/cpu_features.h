// What the processor offers beyond x86-64's SSE2, asked once, for the engine's vector paths.
#pragma once

namespace ocr {

#if defined(__x86_64__)
inline bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3") != 0;
  return has;
}

inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") != 0;
  return has;
}
#endif

}  // namespace ocr
