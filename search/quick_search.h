// Sunday's quick search: the reference search of the engine. Every faster path must return
// exactly what QuickSearch returns, and the tests hold them to it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vantrel {

// Shift per byte value: how far the window moves when that byte lies just past it.
// 257 entries as the algorithm has always had; the last one is filled but never read.
using ShiftTable = std::array<std::int32_t, 257>;

// n + 1 for bytes absent from the pattern; n - j for the last position j of a byte.
ShiftTable BuildShiftTable(std::span<const std::uint8_t> pattern);

// Offset of the first occurrence of pattern in text, or -1. Never reads outside text.
// An empty pattern is found at 0 of any non-empty text; nothing is found in an empty text.
std::int64_t QuickSearch(std::span<const std::uint8_t> text, std::span<const std::uint8_t> pattern,
                         const ShiftTable& table);

}  // namespace vantrel
