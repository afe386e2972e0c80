// The RTF reader on any bytes: the document model keeps the promises its header makes.
#include "fuzz_check.h"
#include "platform/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillora::rtf;
  const Document document = ReadRtf({data, size});
  FUZZ_CHECK(!document.paragraphs.empty());
  for (const Paragraph& paragraph : document.paragraphs) {
    for (std::size_t k = 0; k < paragraph.runs.size(); ++k) {
      const Run& run = paragraph.runs[k];
      FUZZ_CHECK(!run.text.empty());
      FUZZ_CHECK(k == 0 || !(paragraph.runs[k - 1].format == run.format));
      FUZZ_CHECK(run.format.font >= -1 &&
                 run.format.font < static_cast<int>(document.fonts.size()));
      FUZZ_CHECK(run.format.half_points >= 0 && run.format.half_points <= 3276);
      FUZZ_CHECK(!run.format.colour || *run.format.colour <= 0xFFFFFF);
    }
  }
  return 0;
}
