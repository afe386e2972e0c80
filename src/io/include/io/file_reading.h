// Reading a whole input into memory: a named file or standard input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace quillora {

// The whole file, with capacity for one byte more (a converter's guard byte); nullopt when it
// cannot be opened or read, is a folder, or is larger than the memory there is. A regular file is
// read at its length in one read; a pipe, or a file that reports no length (/proc), until it ends.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadWholeFile(
    const std::filesystem::path& path);

// Standard input until it ends, in the same form.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadStandardInput();

}  // namespace quillora
