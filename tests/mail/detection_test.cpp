// Detection on inputs made by Python's codecs from one known text (hex below), one per shape and
// charset, the short ones being where EUC-JP and Shift_JIS are easiest to confuse.
#include "mail/detection.h"

#include <gtest/gtest.h>

#include <string>

#include "support/hex.h"

namespace quillora::test {
using namespace mail;
namespace {

struct DetectCase {
  const char* name;
  const char* decode_type;
  const char* detected;
  const char* hex;
};

const DetectCase kCases[] = {
    {"jis", "jis", "ISO-2022-JP",
     "1b2442467c4b5c386c244e2546252d2539254824472439212324522469242c244a2448252b253f252b254a2448344"
     "13b7a21231b2842"},
    {"euc", "euc", "EUC-JP",
     "c6fccbdcb8eca4cea5c6a5ada5b9a5c8a4c7a4b9a1a3a4d2a4e9a4aca4caa4c8a5aba5bfa5aba5caa4c8b4c1bbfaa"
     "1a3"},
    {"sjis", "none", "Shift_JIS",
     "93fa967b8cea82cc8365834c8358836782c582b7814282d082e782aa82c882c6834a835e834a836982c68abf8e9a8"
     "142"},
    {"utf8", "none", "UTF-8",
     "e697a5e69cace8aa9ee381aee38386e382ade382b9e38388e381a7e38199e38082e381b2e38289e3818ce381aae38"
     "1a8e382abe382bfe382abe3838ae381a8e6bca2e5ad97e38082"},
    {"utf16le_without_bom", "utf16", "UTF-16LE",
     "4100420043002000e5652c679e8a6e30c630ad30b930c830673059300230723089304c306a306830ab30bf30ab30c"
     "a306830226f575b0230"},
    {"utf16be_with_bom", "utf16", "UTF-16BE",
     "feff65e5672c8a9e306e30c630ad30b930c830673059300230723089304c306a306830ab30bf30ab30ca30686f225"
     "b573002"},
    {"short_euc_kana", "euc", "EUC-JP", "8eb18eb28eb320a4c7a4b9"},
    {"short_sjis", "none", "Shift_JIS", "82cd82a2"},
    {"base64_of_sjis", "base64", "Base64 (Shift_JIS)",
     "6b2f715765347a71677379445a594e4d673169445a344c4667726542516f4c5167756543716f4c4967736144536f4"
     "e656730714461594c4769722b4f6d6f46436b2f715765347a71677379440a5a594e4d673169445a344c4667726542"
     "516f4c5167756543716f4c4967736144536f4e656730714461594c4769722b4f6d6f46436b2f715765347a7167737"
     "9445a594e4d673169445a344c460a67726542516f4c5167756543716f4c4967736144536f4e656730714461594c47"
     "69722b4f6d6f46430a"},
    {"uuencode_of_euc", "uuencode", "uuencode (EUC-JP)",
     "626567696e2036343420612e7478740a4d514f532b572b434c492c5a45514a364d493b4645522a3327492b4641485"
     "a3332492e46444b2a332a492c42454a5a365f493a4e45524a33284d2c265b0a600a656e640a"},
    {"mail", "mail", "mail (ISO-2022-JP)",
     "5375626a6563743a20780d0a436f6e74656e742d547970653a20746578742f706c61696e3b20636861727365743d4"
     "9534f2d323032322d4a500d0a0d0a1b2442467c4b5c386c244e2546252d2539254824472439212324522469242c24"
     "4a2448252b253f252b254a244834413b7a21231b28420d0a"},
    {"ascii", "none", "US-ASCII", "706c61696e20746578740a"},
};

TEST(detection_test, names_shape_and_charset) {
  for (const DetectCase& c : kCases) {
    const Detection detection = Detect(Hex(c.hex));
    EXPECT_EQ(DetectionName(detection), c.detected) << c.name << ": " << detection.evidence;
    EXPECT_EQ(detection.decode_type, c.decode_type) << c.name;
    EXPECT_FALSE(detection.evidence.empty()) << c.name;
  }
}

// The evidence names what decided: the escape sequence and its place, the Windows characters.
TEST(detection_test, evidence_names_the_escape_and_the_nec_row) {
  const Detection detection = Detect(Hex("414243201b24422d212d2230211b2842"));
  EXPECT_EQ(detection.charset, Charset::iso2022jp);
  EXPECT_EQ(detection.evidence, "ESC $ B at byte 4; 2 NEC row-13 characters");
}

}  // namespace
}  // namespace quillora::test
