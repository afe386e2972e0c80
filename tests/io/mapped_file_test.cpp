// Files read in place: the bytes as they are, a zero byte after them whatever the size, and a
// file cut short meanwhile reported rather than a crash.
#include "io/mapped_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <string>

#include "support/temp_folder.h"

namespace quillora::test {
namespace {

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t k = 0; k < size; ++k) {
    bytes[k] = static_cast<char>(k * 7 + 1);
  }
  return bytes;
}

// Sizes around page ends, where the byte after the file is no longer in its last page.
TEST(mapped_file_test, gives_the_bytes_followed_by_a_zero) {
  const TempFolder folder;
  for (const std::size_t size : {1U, 4095U, 4096U, 4097U, 8192U, 3U * 4096U + 5U}) {
    const std::string bytes = Pattern(size);
    std::optional<MappedFile> mapped = MappedFile::Open(WriteBytes(folder / "in", bytes));
    ASSERT_TRUE(mapped) << size;
    const MappedFile moved = std::move(*mapped);
    mapped.reset();  // the moved-from one must not unmap what `moved` reads
    const auto view = moved.bytes();
    EXPECT_EQ(std::string(view.begin(), view.end()), bytes) << size;
    EXPECT_EQ(view.data()[size], 0) << size;
  }
}

TEST(mapped_file_test, leaves_to_the_usual_read_what_it_cannot_map) {
  const TempFolder folder;
  EXPECT_FALSE(MappedFile::Open(WriteBytes(folder / "empty", "")));
  EXPECT_FALSE(MappedFile::Open(folder / "missing"));
  EXPECT_FALSE(MappedFile::Open(folder.path));
}

TEST(mapped_file_test, a_file_cut_short_meanwhile_ends_the_process_with_the_status_given) {
  const TempFolder folder;
  const auto file = WriteBytes(folder / "in", Pattern(std::size_t{3} * 4096));
  EXPECT_EXIT(
      {
        ExitWhenMappedFileShrinks(7, "cut short\n");
        const std::optional<MappedFile> mapped = MappedFile::Open(file);
        (void)::truncate(file.c_str(), 0);
        volatile std::uint8_t last = mapped->bytes()[std::size_t{2} * 4096];
        (void)last;
      },
      testing::ExitedWithCode(7), "cut short");
}

}  // namespace
}  // namespace quillora::test
