#include "runs/journal_format.h"

#include <cstring>

#include "platform/crc32.h"

namespace vantrel::journal {
namespace {

constexpr char kMagic[8] = {'V', 'A', 'N', 'T', 'R', 'E', 'L', 'J'};

class Writer {
 public:
  void U8(std::uint8_t v) { out.push_back(v); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I64(std::int64_t v) { U64(static_cast<std::uint64_t>(v)); }
  void Text(const std::string& text) {
    U32(static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
  }
  void Blob(const Bytes& bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  void State(const os::FileState& state) {
    U64(state.id.volume);
    U64(state.id.index);
    I64(state.length);
    I64(state.time.ticks);
  }
  Bytes out;
};

// Reads the payload of one record; any read past its end marks the record bad.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool ok() const { return ok_ && at_ == bytes_.size(); }
  std::uint8_t U8() { return Take(1) ? bytes_[at_ - 1] : 0; }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
  std::uint64_t U64() { return Little(8); }
  std::int64_t I64() { return static_cast<std::int64_t>(Little(8)); }
  std::string Text() {
    const std::uint32_t size = U32();
    if (!Take(size)) return {};
    return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(at_ - size), bytes_.begin() + static_cast<std::ptrdiff_t>(at_));
  }
  Bytes Blob() {
    const std::uint32_t size = U32();
    if (!Take(size)) return {};
    return Bytes(bytes_.begin() + static_cast<std::ptrdiff_t>(at_ - size), bytes_.begin() + static_cast<std::ptrdiff_t>(at_));
  }
  os::FileState State() {
    os::FileState state;
    state.id.volume = U64();
    state.id.index = U64();
    state.length = I64();
    state.time.ticks = I64();
    return state;
  }
  std::size_t left() const { return ok_ ? bytes_.size() - at_ : 0; }

 private:
  bool Take(std::size_t n) {
    if (!ok_ || bytes_.size() - at_ < n) return ok_ = false;
    at_ += n;
    return true;
  }
  std::uint64_t Little(int n) {
    if (!Take(static_cast<std::size_t>(n))) return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(bytes_[at_ - static_cast<std::size_t>(n) + static_cast<std::size_t>(i)]) << (8 * i);
    return v;
  }
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

void Payload(Writer& w, const RunStarted& r) { w.I64(r.start_ns), w.Text(r.command); }
void Payload(Writer& w, const FileBegun& r) { w.U64(r.file), w.Text(r.path), w.State(r.before); }
void Payload(Writer& w, const RegionsWritten& r) {
  w.U64(r.file);
  w.U32(static_cast<std::uint32_t>(r.regions.size()));
  for (const Region& region : r.regions) {
    w.I64(region.offset);
    w.U32(region.new_length);
    w.U32(region.new_crc);
    w.Blob(region.old);
  }
}
void Payload(Writer& w, const FileKept& r) { w.U64(r.file), w.State(r.after); }
void Payload(Writer& w, const FilePutBack& r) { w.U64(r.file); }
void Payload(Writer& w, const BackupMade& r) { w.Text(r.path), w.Text(r.backup), w.I64(r.size), w.U32(r.crc); }
void Payload(Writer&, const RunEnded&) {}
void Payload(Writer& w, const FileUndone& r) { w.U64(r.file); }
void Payload(Writer&, const RunUndone&) {}

std::optional<Record> Parse(std::uint8_t type, Reader& r) {
  switch (type) {
    case 0: { RunStarted x; x.start_ns = r.I64(); x.command = r.Text(); return x; }
    case 1: { FileBegun x; x.file = r.U64(); x.path = r.Text(); x.before = r.State(); return x; }
    case 2: {
      RegionsWritten x;
      x.file = r.U64();
      const std::uint32_t count = r.U32();
      // Each region takes at least 20 bytes: a count beyond what is left is a bad record.
      if (count > r.left() / 20) return std::nullopt;
      x.regions.resize(count);
      for (Region& region : x.regions) {
        region.offset = r.I64();
        region.new_length = r.U32();
        region.new_crc = r.U32();
        region.old = r.Blob();
      }
      return x;
    }
    case 3: { FileKept x; x.file = r.U64(); x.after = r.State(); return x; }
    case 4: { FilePutBack x; x.file = r.U64(); return x; }
    case 5: { BackupMade x; x.path = r.Text(); x.backup = r.Text(); x.size = r.I64(); x.crc = r.U32(); return x; }
    case 6: return RunEnded{};
    case 7: { FileUndone x; x.file = r.U64(); return x; }
    case 8: return RunUndone{};
    default: return std::nullopt;
  }
}

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

Bytes EncodeHeader(State state) {
  Writer w;
  w.out.assign(kMagic, kMagic + sizeof kMagic);
  w.U32(kVersion);
  w.U8(static_cast<std::uint8_t>(state));
  w.U8(0), w.U8(0), w.U8(0);
  return std::move(w.out);
}

Bytes Encode(const Record& record) {
  Writer body;
  body.U8(static_cast<std::uint8_t>(record.index()));
  std::visit([&body](const auto& r) { Payload(body, r); }, record);
  Writer framed;
  framed.U32(static_cast<std::uint32_t>(body.out.size()));
  framed.U32(Crc32(body.out));
  framed.out.insert(framed.out.end(), body.out.begin(), body.out.end());
  return std::move(framed.out);
}

std::vector<Decoded> DecodeRecords(std::span<const std::uint8_t> bytes) {
  std::vector<Decoded> records;
  std::size_t at = 0;
  while (bytes.size() - at >= 9) {
    const std::uint32_t size = Le32(bytes.data() + at);
    const std::uint32_t crc = Le32(bytes.data() + at + 4);
    if (size == 0 || size > kMaxRecord || size > bytes.size() - at - 8) break;
    const auto body = bytes.subspan(at + 8, size);
    if (Crc32(body) != crc) break;
    Reader reader(body.subspan(1));
    std::optional<Record> record = Parse(body[0], reader);
    if (!record || !reader.ok()) break;
    records.push_back({std::move(*record), static_cast<std::int64_t>(at), static_cast<std::int64_t>(size) + 8});
    at += 8 + size;
  }
  return records;
}

std::optional<State> DecodeHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
  if (Le32(bytes.data() + 8) != kVersion) return std::nullopt;
  return bytes[kStateOffset] == 1 ? State::kFinished : State::kOpen;
}

std::string PathBytes(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.native();
#endif
}

std::filesystem::path PathOf(const std::string& bytes) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
#else
  return std::filesystem::path(bytes);
#endif
}

}  // namespace vantrel::journal
