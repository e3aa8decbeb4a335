// A directory of the test's own under the system's temporary directory, removed afterwards,
// with small helpers to write and read whole files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/hex_text.h"

namespace vantrel::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
void WriteFile(const std::filesystem::path& path, std::string_view text);
Bytes ReadFile(const std::filesystem::path& path);
// The whole file as a string of its bytes.
std::string ReadText(const std::filesystem::path& path);
Bytes ToBytes(std::string_view text);

// Makes a sparse file of `length` bytes (zeros) and writes `bytes` at each given offset.
void WriteSparseFile(const std::filesystem::path& path, std::int64_t length,
                     std::initializer_list<std::pair<std::int64_t, Bytes>> pieces);
// Reads `count` bytes at offset.
Bytes ReadAt(const std::filesystem::path& path, std::int64_t offset, std::size_t count);

}  // namespace vantrel::testing
