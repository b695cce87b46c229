#pragma once
// The block checksum: CRC-32 with polynomial 0x04C11DB7, most significant bit first, register
// starting at 0xFFFFFFFF, nothing reflected, no final XOR (the CRC-32/MPEG-2 parameters).

#include <array>
#include <cstddef>
#include <cstdint>

namespace flindor {

inline constexpr std::uint32_t kCrcPolynomial = 0x04C11DB7;
inline constexpr std::uint32_t kCrcInitial = 0xFFFFFFFF;

constexpr std::array<std::uint32_t, 256> buildCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t v = n << 24;
    for (int bit = 0; bit < 8; ++bit) v = (v & 0x80000000u) ? (v << 1) ^ kCrcPolynomial : v << 1;
    table[n] = v;
  }
  return table;
}

// Computed once, at compile time, so framing a block costs one look-up per byte and nothing else.
inline constexpr std::array<std::uint32_t, 256> crcTable = buildCrcTable();

// Runs `reg` over `length` bytes at `data`; the new value is stored back and returned.
constexpr std::uint32_t crcUpdate(const std::uint8_t* data, std::size_t length,
                                  std::uint32_t& reg) {
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t index = static_cast<std::uint8_t>((reg >> 24) ^ data[i]);
    reg = (reg << 8) ^ crcTable[index];
  }
  return reg;
}

static_assert(crcTable[1] == 0x04C11DB7 && crcTable[255] == 0xB1F740B4);

}  // namespace flindor
