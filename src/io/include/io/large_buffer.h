// Room for large buffers, backed by huge pages where the system offers them.
#pragma once

#include <cstddef>

namespace quillora {

// Asks the system to back [data, data + bytes) with huge pages and to map the first `populate`
// bytes of it now. On a virtual machine a first touch of a 4 KiB page can cost microseconds, so a
// 64 MB buffer filled page by page spends far longer in the kernel than in the conversion. Only
// advice: the contents are unchanged, small buffers are left alone, and failure is harmless.
void AdviseLargeBuffer(void* data, std::size_t bytes, std::size_t populate) noexcept;

// Reserves room for `count` elements, of which about `expected` will be written.
template <typename Buffer>
void ReserveLarge(Buffer& buffer, std::size_t count, std::size_t expected) {
  buffer.reserve(count);
  constexpr std::size_t kUnit = sizeof(typename Buffer::value_type);
  AdviseLargeBuffer(buffer.data(), buffer.capacity() * kUnit, expected * kUnit);
}

template <typename Buffer>
void ReserveLarge(Buffer& buffer, std::size_t count) {
  ReserveLarge(buffer, count, count);
}

}  // namespace quillora
