// Where the user's own files belong, by the XDG base-directory rules.
#pragma once

#include <filesystem>
#include <optional>

namespace quillora {

// The user's configuration folder: $XDG_CONFIG_HOME when it is absolute (a relative one is to be
// ignored), else $HOME/.config; nullopt when neither is set.
[[nodiscard]] std::optional<std::filesystem::path> UserConfigFolder();

}  // namespace quillora
