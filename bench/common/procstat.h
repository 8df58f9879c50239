// What the benchmarks read of their own process: elapsed time and the
// memory fields of /proc/self/status.
#pragma once

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A field of /proc/self/status in kB, the key with its colon ("VmHWM:" the
// peak resident size, "VmRSS:" the current one); 0 when it is missing.
inline long statusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return 0;
}

}  // namespace bench
