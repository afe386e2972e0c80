// BytesToText on any bytes, with ReencodeBytes as its documented shortcut, whole and in pieces.
#include <algorithm>
#include <vector>

#include "text/cp932_codec.h"
#include "fuzz_check.h"

namespace {

using namespace quillora;

// ReencodeBytes fed in pieces that end at the given cuts, as a reader fed by a stream would call
// it.
ByteBuffer ReencodeInPieces(std::span<const std::uint8_t> bytes,
                            const std::vector<std::size_t>& cuts) {
  ByteBuffer out(2 * bytes.size());
  std::size_t read = 0;
  std::size_t written = 0;
  for (const std::size_t cut : cuts) {
    if (cut <= read) {
      continue;
    }
    const bool last = cut == bytes.size();
    const ReencodeProgress progress =
        ReencodeBytes(bytes.subspan(read, cut - read), out.data() + written, last);
    FUZZ_CHECK(progress.read <= cut - read);
    FUZZ_CHECK(progress.written <= 2 * progress.read);
    // Only a lead byte at the very end of a piece may stay unread.
    FUZZ_CHECK(last ? progress.read == cut - read : progress.read + 1 >= cut - read);
    read += progress.read;
    written += progress.written;
  }
  FUZZ_CHECK(read == bytes.size());
  out.resize(written);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  std::vector<std::size_t> cuts;
  for (std::uint8_t pieces = choices.Byte() % 8; pieces > 0; --pieces) {
    cuts.push_back(choices.Byte());
  }
  const std::span<const std::uint8_t> bytes = choices.Rest();
  for (std::size_t& cut : cuts) {
    cut = bytes.empty() ? 0 : cut % bytes.size();
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.push_back(bytes.size());

  const Text text = BytesToText(bytes);
  FUZZ_CHECK(text.size() <= bytes.size());  // one character for each byte or pair, never more
  const ByteBuffer encoded = TextToBytes(text);
  FUZZ_CHECK(ReencodeInPieces(bytes, {bytes.size()}) == encoded);
  FUZZ_CHECK(ReencodeInPieces(bytes, cuts) == encoded);
  // Decoding what was encoded from decoded text gives that text again.
  FUZZ_CHECK(BytesToText(encoded) == text);
  return 0;
}
