// Where the user's own files belong.
#include "io/user_folders.h"

#include <cstdlib>

namespace quillora {

std::optional<std::filesystem::path> UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    return std::filesystem::path(config);
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    return std::nullopt;
  }
  return std::filesystem::path(home) / ".config";
}

}  // namespace quillora
