#include "icu_charsets.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>

#include "decode_sink.h"

namespace quillora::mail {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr Open(std::string_view label) {
  const std::string name(label);
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name.c_str(), &status));
  return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

// ICU's own substitute is U+001A for single-byte charsets, which would pass for a control
// character; U+FFFD marks the place as a repair.
void WriteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                      UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) {
    return;
  }
  static constexpr UChar kReplacement = 0xFFFD;
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, status);
}

// Pieces of output at a time, so that no charset's growth can overrun a buffer.
constexpr std::size_t kChunkUnits = 16384;

}  // namespace

std::optional<IcuCharset> IcuCharsetFor(std::string_view label) {
  const ConverterPtr converter = Open(label);
  if (!converter) {
    return std::nullopt;
  }
  return IcuCharset{std::string(label), ucnv_getMaxCharSize(converter.get()) == 1};
}

void DecodeWithIcu(const IcuCharset& charset, std::span<const std::uint8_t> bytes, Text& text,
                   std::vector<DecodeIssue>& issues) {
  DecodeSink sink(text, issues);
  const ConverterPtr converter = Open(charset.label);
  if (!converter) {
    return;
  }
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), WriteReplacement, nullptr, nullptr, nullptr, &status);
  std::vector<UChar> units(kChunkUnits);
  std::vector<int32_t> offsets(kChunkUnits);
  const char* source = reinterpret_cast<const char*>(bytes.data());
  const char* const limit = source + bytes.size();
  char32_t high = 0;  // a lead surrogate waiting for its trail
  std::size_t high_at = 0;
  do {
    status = U_ZERO_ERROR;
    const char* const chunk_start = source;
    UChar* target = units.data();
    ucnv_toUnicode(converter.get(), &target, units.data() + units.size(), &source, limit,
                   offsets.data(), true, &status);
    const std::size_t base =
        static_cast<std::size_t>(chunk_start - reinterpret_cast<const char*>(bytes.data()));
    const std::size_t count = static_cast<std::size_t>(target - units.data());
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = base + static_cast<std::size_t>(std::max(offsets[i], int32_t{0}));
      const char16_t unit = units[i];
      if (high != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
        sink.Put(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00u), high_at, at + 1 - high_at);
        high = 0;
        continue;
      }
      if (high != 0) {
        sink.Invalid(high_at, 1);
      }
      high = 0;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        high = unit;
        high_at = at;
      } else if (unit == 0xFFFD || (unit >= 0xDC00 && unit <= 0xDFFF)) {
        sink.Invalid(at, 1);
      } else {
        sink.Put(unit, at, 1);
      }
    }
  } while (status == U_BUFFER_OVERFLOW_ERROR && source <= limit);
  if (high != 0) {
    sink.Invalid(high_at, 1);
  }
}

}  // namespace quillora::mail
