// ReadMail on any bytes: it never fails, and every repair event points inside the input and inside
// the text, at what it says it produced.
#include "fuzz_check.h"
#include "mail/mail_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora::mail;
  const std::span<const std::uint8_t> input(data, size);
  const MailReading reading = ReadMail(input);
  for (const RepairEvent& event : reading.events) {
    FUZZ_CHECK(event.input_offset <= size && event.input_length <= size - event.input_offset);
    FUZZ_CHECK(event.text_offset <= reading.text.size() &&
               event.text_length <= reading.text.size() - event.text_offset);
    if (event.kind == RepairKind::replaced_invalid_byte && event.more == 0) {
      FUZZ_CHECK(reading.text.compare(event.text_offset, event.text_length, event.produced) == 0);
    }
  }
  for (std::size_t i = 0; i < reading.text.size(); ++i) {
    // Every line end is CR LF.
    if (reading.text[i] == u'\n') FUZZ_CHECK(i > 0 && reading.text[i - 1] == u'\r');
    if (reading.text[i] == u'\r')
      FUZZ_CHECK(i + 1 < reading.text.size() && reading.text[i + 1] == u'\n');
  }
  return 0;
}
