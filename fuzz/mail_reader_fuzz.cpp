// ReadMail on any bytes: it never fails, every repair event points inside the input and inside
// the text, at what it says it produced, and read as code page 932 it gives the text's bytes,
// the same events and, not keeping them, the attachments' sizes.
#include "fuzz_check.h"
#include "mail/mail_reader.h"
#include "text/cp932_codec.h"

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
    if (reading.text[i] == u'\n') {
      FUZZ_CHECK(i > 0 && reading.text[i - 1] == u'\r');
    }
    if (reading.text[i] == u'\r') {
      FUZZ_CHECK(i + 1 < reading.text.size() && reading.text[i + 1] == u'\n');
    }
  }
  const MailReading cp932 = ReadMail(input, {MailProduct::cp932, false});
  FUZZ_CHECK(cp932.attachments.size() == reading.attachments.size());
  for (std::size_t i = 0; i < reading.attachments.size(); ++i) {
    FUZZ_CHECK(cp932.attachments[i].size == reading.attachments[i].data.size());
  }
  FUZZ_CHECK(cp932.cp932 == quillora::TextToBytes(reading.text));
  FUZZ_CHECK(cp932.events.size() == reading.events.size());
  for (std::size_t i = 0; i < reading.events.size(); ++i) {
    FUZZ_CHECK(cp932.events[i].text_offset == reading.events[i].text_offset);
    FUZZ_CHECK(cp932.events[i].input_offset == reading.events[i].input_offset);
    FUZZ_CHECK(cp932.events[i].kind == reading.events[i].kind);
  }
  return 0;
}
