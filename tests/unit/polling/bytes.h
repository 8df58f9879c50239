// Byte fixtures for the reply decoding tests.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "polling/payload.h"

namespace vkz::test {

struct Bytes {
  std::vector<std::uint8_t> b;
  explicit Bytes(std::size_t n = 0) : b(n, 0) {}
  Bytes(std::initializer_list<int> l) {
    for (int v : l) b.push_back(static_cast<std::uint8_t>(v));
  }
  Bytes& le16(std::size_t at, std::uint32_t v) {
    b.at(at) = v & 0xFF;
    b.at(at + 1) = (v >> 8) & 0xFF;
    return *this;
  }
  Bytes& le32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + static_cast<std::size_t>(i)) = (v >> (8 * i)) & 0xFF;
    return *this;
  }
  Bytes& be16(std::size_t at, std::uint32_t v) {
    b.at(at) = (v >> 8) & 0xFF;
    b.at(at + 1) = v & 0xFF;
    return *this;
  }
  Bytes& be32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + static_cast<std::size_t>(i)) = (v >> (8 * (3 - i))) & 0xFF;
    return *this;
  }
  Bytes& set(std::size_t at, int v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    return *this;
  }
  Payload span() const { return Payload(b.data(), b.size()); }
  // The first n bytes only: a reply cut short.
  Payload cut(std::size_t n) const { return Payload(b.data(), n); }
  operator Payload() const { return span(); }
};

}  // namespace vkz::test
