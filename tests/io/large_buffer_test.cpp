// Room for large buffers: the huge-page advice must never change what a buffer holds.
#include "io/large_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillora::test {
namespace {

// Sizes below, at and above the point where the advice starts, for bytes and for text.
TEST(large_buffer_test, advice_keeps_contents_and_gives_the_room_asked_for) {
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{100}, std::size_t{4} << 20, (std::size_t{9} << 20) + 3}) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t k = 0; k < size; ++k) {
      bytes[k] = static_cast<std::uint8_t>(k * 7 + 1);
    }
    const std::vector<std::uint8_t> before = bytes;
    ReserveLarge(bytes, bytes.capacity());  // advice over what the buffer already holds
    EXPECT_EQ(bytes, before) << size;
    ReserveLarge(bytes, 2 * size + 1, size);  // a new allocation, mapped in part
    EXPECT_EQ(bytes, before) << size;
    EXPECT_GE(bytes.capacity(), 2 * size + 1);
    bytes.resize(2 * size + 1);  // the new room is there and zero-filled as usual
    EXPECT_EQ(bytes.back(), 0);

    std::u16string text(size / 2, u'あ');
    const std::u16string text_before = text;
    ReserveLarge(text, size + 7);
    EXPECT_EQ(text, text_before) << size;
    EXPECT_GE(text.capacity(), size + 7);
  }
}

}  // namespace
}  // namespace quillora::test
