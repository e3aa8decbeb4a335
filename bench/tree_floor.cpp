// The floor of a walk: what the system calls alone cost. One thread lists a tree depth first
// (links not followed) and opens, reads to the end and closes every regular file, into one
// buffer, doing nothing else. bench/compare.sh measures the walks against it.
//   tree_floor DIR
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<char> buffer(std::size_t{1} << 20);
unsigned long long files = 0;
unsigned long long bytes = 0;

void ReadFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return;
  for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) > 0;) bytes += static_cast<unsigned long long>(got);
  close(fd);
  ++files;
}

void Walk(const std::string& dir) {
  DIR* stream = opendir(dir.c_str());
  if (stream == nullptr) return;
  std::vector<std::pair<std::string, unsigned char>> entries;
  while (const dirent* entry = readdir(stream)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.emplace_back(dir + "/" + name, entry->d_type);
  }
  closedir(stream);
  for (const auto& [path, type] : entries) {
    if (type == DT_DIR) Walk(path);
    if (type == DT_REG) ReadFile(path);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tree_floor DIR\n");
    return 2;
  }
  Walk(argv[1]);
  std::printf("%llu files, %llu bytes\n", files, bytes);
  return 0;
}
