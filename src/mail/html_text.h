// The text a person reads in an HTML part: no tags, nothing of <style>, <script> or <title>,
// entities decoded, blocks on lines of their own.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "text/byte_buffer.h"

namespace quillora::mail {

// `positions` (ascending, into html) are moved to the places their characters have in the text,
// never beyond its end.
[[nodiscard]] Text HtmlToText(std::u16string_view html, std::vector<std::size_t>& positions);

}  // namespace quillora::mail
