// Attachments written into a folder under names that cannot leave it or replace anything: the one
// naming rule for every place that saves them.
#pragma once

#include <filesystem>
#include <string>

#include "text/byte_buffer.h"

namespace quillora::mail {

// A file name made of a sender's name: no folder separators, no control characters, no leading
// dots, at most 200 bytes of UTF-8 with its extension kept; "attachment" when nothing is left.
[[nodiscard]] std::string SafeFileName(std::u16string_view name);

// Writes bytes into folder under `name`, or "name (2).ext" and so on when that name is taken;
// the name is claimed by creating the file exclusively, so no existing file is ever replaced.
// Returns the path written, or an empty path and `problem` set.
[[nodiscard]] std::filesystem::path SaveAttachment(const std::filesystem::path& folder,
                                                   const std::string& name, const ByteBuffer& bytes,
                                                   std::string& problem);

}  // namespace quillora::mail
