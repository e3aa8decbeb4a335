#include "cli/output.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kBufferLimit = 64 * 1024;

// Columns a UTF-8 text takes, counting each character as one (progress lines are ASCII).
std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (char ch : text) columns += (static_cast<unsigned char>(ch) & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

}  // namespace

Output::Output(Console& console, Channel messages)
    : console_(console),
      messages_(messages),
      output_is_terminal_(console.IsTerminal(Channel::kOutput)),
      progress_allowed_(console.IsTerminal(Channel::kError)) {}

void Output::Result(std::string_view line) {
  if (closed_ || failed_) return;
  buffer_ += line;
  buffer_ += '\n';
  if (output_is_terminal_ || buffer_.size() >= kBufferLimit) Flush();
}

void Output::Message(std::string_view text) {
  Flush();
  Send(messages_, text);
}

void Output::Error(std::string_view line) {
  Flush();
  std::string text(line);
  text += '\n';
  Send(Channel::kError, text);
}

void Output::ShowProgress(std::string_view line) {
  if (!progress_allowed_) return;
  const std::size_t width = Columns(line);
  std::string text = "\r";
  text += line;
  // Blank what is left of a longer line before, then come back behind the new one.
  if (width < progress_width_) text += std::string(progress_width_ - width, ' ') + "\r" + std::string(line);
  (void)console_.Write(Channel::kError, text);
  progress_width_ = width;
}

void Output::EraseProgress() {
  if (progress_width_ == 0) return;
  (void)console_.Write(Channel::kError, "\r" + std::string(progress_width_, ' ') + "\r");
  progress_width_ = 0;
}

void Output::Flush() {
  if (buffer_.empty()) return;
  std::string text;
  text.swap(buffer_);
  Send(Channel::kOutput, text);
}

void Output::Send(Channel channel, std::string_view text) {
  EraseProgress();
  if (channel == Channel::kOutput && (closed_ || failed_)) return;
  const os::WriteResult written = console_.Write(channel, text);
  if (channel != Channel::kOutput) return;  // standard error failing leaves no one to tell
  if (written.status == os::WriteStatus::kBrokenPipe) closed_ = true;
  if (written.status == os::WriteStatus::kFailed) {
    failed_ = true;
    error_ = written.error;
  }
}

}  // namespace vantrel::cli
