#include "tests/support/expected_texts.h"

#include <cinttypes>
#include <cstdio>

namespace vantrel::testing {

std::string OffsetText(std::int64_t offset) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08" PRIX64, static_cast<std::uint64_t>(offset));
  return text;
}

std::string FoundText(std::string_view path_text, std::int64_t offset, bool ask) {
  return "文件\"" + std::string(path_text) + "\"\n找到关键位置：" + OffsetText(offset) + (ask ? "。是否进行替换？" : "。");
}

}  // namespace vantrel::testing
