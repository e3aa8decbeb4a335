// Copies of whole files: the backup made before the first write to a file, and the file made
// again from its backup. A copy is written under a temporary name beside its final one,
// flushed, and only then given its name, so a copy under its final name is always whole; an
// existing file (or link) of that name is never touched. Below a walk's tree, the copy is made,
// named and removed inside its folder's own open descriptor (handle), that folder opened below
// the tree with no link followed: a folder swapped for a link after the listing cannot send a
// copy of the user's file, or its removal, out of the tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

#include "platform/tree_root.h"
#include "platform/update_file.h"
#include "platform/result.h"

namespace vantrel::os {

// What a copy holds, to tell later whether it is still whole.
struct CopyPrint {
  std::int64_t size = 0;
  std::uint32_t crc = 0;  // CRC-32 of its bytes
};

// Asked between pieces of a copy: true when the copy is to be given up (an interrupt).
using GiveUp = std::function<bool()>;

// A regular file open for reading, with its length and modification time as it was opened.
class CopySource {
 public:
  // follow_links false: a link in place of the file is refused, not followed. A directory,
  // a FIFO, a socket or a device is refused too. With a tree, path is opened below it with
  // no link followed on the way either (see TreeRoot), whatever follow_links says.
  static Result<CopySource> Open(const std::filesystem::path& path, bool follow_links, const TreeRoot* tree = nullptr);

  CopySource(CopySource&& other) noexcept;
  CopySource& operator=(CopySource&& other) noexcept;
  CopySource(const CopySource&) = delete;
  CopySource& operator=(const CopySource&) = delete;
  ~CopySource();

  std::int64_t size() const { return size_; }
  vantrel::os::FileTime time() const { return time_; }
  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const;

 private:
  CopySource() = default;
  void Close();

  std::intptr_t file_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
  std::int64_t size_ = 0;
  vantrel::os::FileTime time_;
  unsigned mode_ = 0;  // POSIX: the permission bits a copy gets
  friend Result<CopyPrint> CopyToNewFile(const CopySource&, const std::filesystem::path&, const GiveUp&,
                                         const TreeRoot*);
};

// Copies every byte of `from` (to its end) into a new file `to` with the modification time of
// `from`: written under a temporary name in the folder of `to` whose name ends with the name
// of `to` (so a walk that skips backups skips it too), flushed to the device, then renamed to
// `to`, failing when `to` exists. The temporary is removed on any failure and when give_up
// says so; `to` then does not exist. With a tree, the folder of `to` is opened below it with no
// link followed on the way (a link there fails as IsLinkRefused says), and the temporary is
// created, named and removed relative to that open folder.
Result<CopyPrint> CopyToNewFile(const CopySource& from, const std::filesystem::path& to, const GiveUp& give_up,
                                const TreeRoot* tree = nullptr);

// True when the error says that the file to create exists already.
bool IsAlreadyExists(const SystemError& error);
// True when the error says that a link was refused where a file was to be opened.
bool IsLinkRefused(const SystemError& error);

// Removes a copy (read-only or not), and makes its removal last on the device. With a tree, the
// copy is removed from its folder opened below the tree with no link followed, as above.
Result<void> RemoveCopy(const std::filesystem::path& path, const TreeRoot* tree = nullptr);

}  // namespace vantrel::os
