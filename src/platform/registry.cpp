// The registry of this platform.
#include "platform/registry.h"

#ifdef _WIN32
#include "platform/registry_win32.h"
#else
#include "platform/registry_sqlite.h"
#endif

namespace quillora::registry {

std::unique_ptr<Registry> OpenPlatformRegistry() {
#ifdef _WIN32
  return OpenWin32Registry();
#else
  return std::make_unique<SqliteRegistry>(DefaultUserHivePath(), DefaultMachineHivePath());
#endif
}

}  // namespace quillora::registry
