// The Win32 registry behind the registry interface (Windows only).
#pragma once

#ifdef _WIN32

#include <memory>

#include "platform/registry.h"

namespace quillora::registry {

[[nodiscard]] std::unique_ptr<Registry> OpenWin32Registry();

}  // namespace quillora::registry

#endif
