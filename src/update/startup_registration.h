// The registration with the update notifier that runs at each interactive start.
#pragma once

#include <string_view>

#include "platform/registry.h"
#include "update/UpCheck.h"

namespace quillora {

inline constexpr std::u16string_view kNewerVersionNotice = u"最新バージョンが存在します";

// This program as the update notifier knows it: the product name, executable name and version of
// its identity, in the given folder (the executable's, with the platform's separators).
[[nodiscard]] ProgramInfo ThisProgram(Text folder);

// Registers the program with the update notifier when the notifier is installed and returns true
// when the notifier knows a newer build, so that the caller shows kNewerVersionNotice. Every error
// is swallowed; nothing is written when the notifier is not installed. Not for a batch run.
[[nodiscard]] bool RegisterWithUpdateNotifier(registry::Registry& registry,
                                              const ProgramInfo& program) noexcept;

}  // namespace quillora
