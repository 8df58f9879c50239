// Whole files as bytes, for the tests that write or check files.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vkz::test {

// The file's bytes; empty when it cannot be read.
inline std::string readBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes `bytes` as the whole file.
inline void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

}  // namespace vkz::test
