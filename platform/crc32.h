// CRC-32 (the polynomial of zlib, gzip and PNG), for the journal's records and for the
// bytes a write left: a table-driven loop of a few lines, written here rather than taking a
// compression library into a program that compresses nothing.
#pragma once

#include <cstdint>
#include <span>

namespace vantrel {

// The CRC-32 of bytes, continuing from crc (0 to start).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace vantrel
