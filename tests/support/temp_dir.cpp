#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel::testing {

TempDir::TempDir() {
  std::random_device seed;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("vantrel-test-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(seed()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  ADD_FAILURE() << "cannot create a temporary directory";
}

namespace {

#ifdef _WIN32
// libstdc++'s removal goes through the C runtime, which knows neither long-path names nor
// read-only attributes, and tests build trees deeper than MAX_PATH: remove through Win32.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const HANDLE listing = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD kind = entry.dwFileAttributes;
      if ((kind & FILE_ATTRIBUTE_DIRECTORY) && (kind & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirectoryW(child.c_str());  // a link: remove it, never what it points to
      } else if (kind & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
  }
  RemoveDirectoryW(path.c_str());
}

void RemoveTempDir(const std::filesystem::path& path) {
  // Windows keeps a directory the process stands in, and the file dialog moves the current
  // directory to where a file was chosen.
  std::error_code error;
  if (std::filesystem::current_path(error).native().starts_with(path.native())) {
    std::filesystem::current_path(std::filesystem::temp_directory_path(error), error);
  }
  const std::wstring long_path = L"\\\\?\\" + path.native();
  // The shell may hold a file it just looked at for a moment longer (a shortcut after it was
  // resolved): try again briefly before leaving the directory behind.
  for (int attempt = 0; attempt < 5; ++attempt) {
    RemoveTree(long_path);
    if (GetFileAttributesW(long_path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    Sleep(100);
  }
}
#else
void RemoveTempDir(const std::filesystem::path& path) {
  std::error_code error;
  // Tests may leave read-only files or directories behind; make them removable first.
  for (auto it = std::filesystem::recursive_directory_iterator(path, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, error);
  }
  std::filesystem::remove_all(path, error);
}
#endif

}  // namespace

TempDir::~TempDir() {
  if (!path_.empty()) RemoveTempDir(path_);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void WriteFile(const std::filesystem::path& path, std::string_view text) { WriteFile(path, ToBytes(text)); }

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::filesystem::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

void WriteSparseFile(const std::filesystem::path& path, std::int64_t length,
                     std::initializer_list<std::pair<std::int64_t, Bytes>> pieces) {
  { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
  std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length));
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [offset, bytes] : pieces) {
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ASSERT_TRUE(out.good()) << "cannot write the sparse file " << path;
}

Bytes ReadAt(const std::filesystem::path& path, std::int64_t offset, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  Bytes bytes(count);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace vantrel::testing
