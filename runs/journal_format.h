// The bytes of a write-ahead journal (docs/journal.md describes the format): a header, then
// records, each with its length and a CRC-32, so that a record torn by a crash is recognised
// and it and everything after it are ignored. Pure functions: encoding a record, and decoding
// a whole journal's bytes or a span of them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "text/hex_text.h"
#include "platform/update_file.h"

namespace vantrel::journal {

inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 16;  // "VANTRELJ", the version, the state, padding
inline constexpr std::size_t kStateOffset = 12;
// No record is larger: a batch of regions is bounded far below it, and a length past it is torn.
inline constexpr std::uint32_t kMaxRecord = 1u << 28;

// The header's hint of what became of the run; the records are the truth.
enum class State : std::uint8_t { kOpen = 0, kFinished = 1 };

// One region about to change: its offset, the bytes it held inside the old file, and the
// length and CRC-32 of the bytes written over it (longer than old where the file grows).
struct Region {
  std::int64_t offset = 0;
  Bytes old;
  std::uint32_t new_length = 0;
  std::uint32_t new_crc = 0;
};

struct RunStarted {
  std::int64_t start_ns = 0;  // wall clock, nanoseconds since 1970
  std::string command;        // the command line, for the one who reads a journal
};
struct FileBegun {  // before a file's first write: what puts it back
  std::uint64_t file = 0;
  std::string path;  // absolute
  os::FileState before;
};
struct RegionsWritten {  // written ahead and flushed before any of them reaches the file
  std::uint64_t file = 0;
  std::vector<Region> regions;
};
struct FileKept {  // the file's last write is on the device: the file stays
  std::uint64_t file = 0;
  os::FileState after;
};
struct FilePutBack {  // the file is as it was before the run (a failure, an interrupt, a recovery)
  std::uint64_t file = 0;
};
struct BackupMade {  // --backup made this copy of this file, whole and flushed
  std::string path;
  std::string backup;
  std::int64_t size = 0;
  std::uint32_t crc = 0;
};
struct RunEnded {};
struct FileUndone {  // --undo put this kept file back
  std::uint64_t file = 0;
};
struct RunUndone {};

using Record = std::variant<RunStarted, FileBegun, RegionsWritten, FileKept, FilePutBack, BackupMade, RunEnded,
                            FileUndone, RunUndone>;

Bytes EncodeHeader(State state);
// The record framed: length, CRC-32, type, payload.
Bytes Encode(const Record& record);

struct Decoded {
  Record record;
  std::int64_t offset = 0;  // where the record begins in the bytes given
  std::int64_t size = 0;    // its framed size
};

// The records of bytes that begin at a record, up to the first torn or unknown one.
std::vector<Decoded> DecodeRecords(std::span<const std::uint8_t> bytes);
// The header's state, or nothing when bytes do not begin with a journal header.
std::optional<State> DecodeHeader(std::span<const std::uint8_t> bytes);

// A path as bytes in a journal (its native bytes on POSIX, UTF-8 on Windows), and back.
std::string PathBytes(const std::filesystem::path& path);
std::filesystem::path PathOf(const std::string& bytes);

}  // namespace vantrel::journal
