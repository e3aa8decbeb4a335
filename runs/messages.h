// The texts a run shows, UTF-8. They are the program's own words: hosts show them unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::messages {

inline constexpr std::string_view kOpenFailed = "打开文件失败！";
inline constexpr std::string_view kNotFound = "没有找到你要搜索的内容。";
inline constexpr std::string_view kReplacedGoOn = "字符替换成功，是否继续替换？";
inline constexpr std::string_view kWriteFailed = "写入文件失败！";
inline constexpr std::string_view kFileChanged = "文件内容已改变，未进行替换。";
// Shown when a walk of a directory tree has ended.
inline constexpr std::string_view kSearchFinished = "搜索完毕";

// "0x%08X" for any offset: eight uppercase digits at least, more above 0xFFFFFFFF.
std::string FormatOffset(std::int64_t offset);

// "文件\"%s\"\n找到关键位置：0x%08X。", and with "是否进行替换？" behind it when asking.
std::string Found(std::string_view path_text, std::int64_t offset, bool ask_to_replace);

}  // namespace vantrel::messages
