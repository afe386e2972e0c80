// The start-up registration with the update notifier.
#include "update/startup_registration.h"

#include <utility>

#include "app/identity.h"

namespace quillora {

ProgramInfo ThisProgram(Text folder) {
  return {std::move(folder),
          Text(identity::kExecutableBaseName),
          Text(identity::kProductName),
          identity::kVersionMajor,
          identity::kVersionMinor,
          identity::kVersionRevision};
}

bool RegisterWithUpdateNotifier(registry::Registry& registry, const ProgramInfo& program) noexcept {
  try {
    UpCheck upcheck(registry, program);
    if (!upcheck.InstalledUpCheck()) {
      return false;
    }
    upcheck.MailAddress(Text(identity::kMailAddress));
    upcheck.Author(Text(identity::kAuthor));
    upcheck.Build(0);
    upcheck.DisplayHost(Text(identity::kWebHost));
    upcheck.DisplayName(Text(identity::kTitle));
    upcheck.FilePath(true);
    upcheck.InfoURL(identity::kUpdateInfoUrl, 1);
    // A record that cannot be written now may still hold a newer build from an earlier start, so
    // the question is asked either way.
    try {
      upcheck.WriteData();
    } catch (...) {  // start-up goes on, as for every error here
    }
    return upcheck.CheckNewVer();
  } catch (...) {
    return false;
  }
}

}  // namespace quillora
