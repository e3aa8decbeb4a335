#include "runs/messages.h"

#include <cinttypes>
#include <cstdio>

namespace vantrel::messages {

std::string FormatOffset(std::int64_t offset) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08" PRIX64, static_cast<std::uint64_t>(offset));
  return text;
}

std::string Found(std::string_view path_text, std::int64_t offset, bool ask_to_replace) {
  std::string text = "文件\"";
  text += path_text;
  text += "\"\n找到关键位置：";
  text += FormatOffset(offset);
  text += "。";
  if (ask_to_replace) text += "是否进行替换？";
  return text;
}

}  // namespace vantrel::messages
