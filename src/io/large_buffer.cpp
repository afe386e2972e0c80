// Room for large buffers, backed by huge pages where the system offers them.
#include "io/large_buffer.h"

#include <algorithm>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quillora {

void AdviseLargeBuffer([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes,
                       [[maybe_unused]] std::size_t populate) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Below a few huge pages the advice costs more than the faults it saves.
  constexpr std::size_t kThreshold = std::size_t{4} << 20;
  if (bytes < kThreshold) {
    return;
  }
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + page - 1) & ~(page - 1);
  const std::uintptr_t end = (start + bytes) & ~(page - 1);
  if (end <= first) {
    return;
  }
  // Addresses from the buffer's own pointer, offset to the page bounds.
  char* const base = static_cast<char*>(data) + (first - start);
  ::madvise(base, end - first, MADV_HUGEPAGE);
#if defined(MADV_POPULATE_WRITE)
  // Mapping the pages in one call avoids a fault per page (Linux 5.14; older kernels refuse it).
  const std::uintptr_t populate_end =
      std::min(end, (start + std::min(bytes, populate)) & ~(page - 1));
  if (populate_end > first) {
    ::madvise(base, populate_end - first, MADV_POPULATE_WRITE);
  }
#endif
#endif
}

}  // namespace quillora
