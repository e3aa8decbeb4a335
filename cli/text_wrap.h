// Paragraphs broken into lines for a terminal, as --help shows them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::cli {

// The columns a UTF-8 text takes on a terminal: two for a wide (East Asian) character.
std::size_t DisplayWidth(std::string_view text);

// The paragraph in lines of at most `width` columns, broken at spaces (a word longer than a
// line stays whole); the first line follows text already `first_column` wide, the others
// start with `indent` spaces. Every line ends with '\n'.
std::string Wrap(std::string_view paragraph, std::size_t first_column, std::size_t indent, std::size_t width);

}  // namespace vantrel::cli
