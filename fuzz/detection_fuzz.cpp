// Detect on any bytes, and each charset decoder on them: a name and evidence always; the decoders
// account for every byte (at most two UTF-16 units, or one line end, per byte).
#include "fuzz_check.h"
#include "mail/charset.h"
#include "mail/detection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora::mail;
  quillora::fuzz::Choices choices(data, size);
  const auto charset = static_cast<Charset>(choices.Byte() % 8);
  const std::span<const std::uint8_t> bytes = choices.Rest();
  const Detection detection = Detect(bytes);
  FUZZ_CHECK(!DetectionName(detection).empty() && !detection.evidence.empty());
  quillora::Text text;
  std::vector<DecodeIssue> issues;
  DecodeCharset(charset, bytes, text, issues);
  FUZZ_CHECK(text.size() <= 2 * bytes.size());
  for (const DecodeIssue& issue : issues) {
    FUZZ_CHECK(issue.at <= bytes.size() && issue.length <= bytes.size() - issue.at);
    FUZZ_CHECK(issue.text_at + issue.text_length <= text.size());
  }
  return 0;
}
