// The texts a run shows, written out in the tests as the user reads them, so that a changed
// character in the program fails a test instead of passing with the program's own constant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::testing {

// "文件\"PATH\"\n找到关键位置：0x%08X。", with "是否进行替换？" behind it when asking.
std::string FoundText(std::string_view path_text, std::int64_t offset, bool ask);

// The offset as the messages print it: "0x" and eight uppercase digits or more.
std::string OffsetText(std::int64_t offset);

}  // namespace vantrel::testing
