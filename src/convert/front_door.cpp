// The front door: reads a file whole and runs the converter that belongs to the conversion mode.
#include "convert/front_door.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "converter_support.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora {
namespace {

// A name with a lone surrogate names no file.
std::optional<ByteBuffer> ReadNamedFile(const Text& name) {
  const std::optional<std::string> native = FileNameToUtf8(name);
  return native ? ReadWholeFile(*native) : std::nullopt;
}

bool HoldsKanjiIn(std::span<const std::uint8_t> bytes) {
  static constexpr std::string_view kEscDollarB = "\x1B$B";
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return text.find(kEscDollarB) != std::string_view::npos;
}

// The bytes a converter produced: its whole output on success; after a failure only those it
// produced, not the zero bytes that merely pad its buffer.
ByteBuffer Produced(ByteBuffer output, ConvertResult result) {
  if (!result.ok()) {
    output.resize(std::min(result.count, output.size()));
  }
  return output;
}

// Where each mode's result goes: bytes re-encoded as code page 932 text, or handed on as they are.
class Emit {
 public:
  Emit(Product product, StreamOutput& out) : product_(product), out_(out) {}

  [[nodiscard]] Product product() const { return product_; }
  [[nodiscard]] bool WantsText() const { return product_ == Product::cp932_text; }
  StreamOutput& Out() { return out_; }

  // Bytes whose text is the result.
  void Bytes(std::span<const std::uint8_t> bytes) {
    if (WantsText()) {
      out_.Reencode(bytes);
    } else {
      out_.Copy(bytes);
    }
  }
  // Bytes that are already the result's code page 932 text.
  void Encoded(std::span<const std::uint8_t> bytes) { out_.Copy(bytes); }

 private:
  Product product_;
  StreamOutput& out_;
};

// Where a failed converter stopped; none after a success.
std::optional<std::size_t> StoppedAt(const ConvertResult& result) {
  return result.ok() ? std::nullopt : std::optional(result.stopped_at);
}

// Mode 10 on a whole buffer of input, which it decodes in place.
std::optional<std::size_t> Uudecode(ByteBuffer input, Text& strFileName, Emit emit) {
  ByteBuffer output{0};
  const std::optional<ConvertResult> block = UuencodedFile(input, output, strFileName);
  if (!block) {
    emit.Bytes(input);
    return std::nullopt;
  }
  emit.Bytes(Produced(std::move(output), *block));
  return StoppedAt(*block);
}

// Mode 10 on input that stays the caller's. An ASCII file is decoded straight to the output
// where a failed block can withdraw what was handed on; anything else on a copy.
std::optional<std::size_t> UudecodeView(std::span<const std::uint8_t> input, Emit emit) {
  if (emit.Out().CanWithdraw() && IsAscii(input)) {
    const std::optional<ConvertResult> block =
        UuencodedAsciiToSink(input, emit.Out(), emit.WantsText());
    if (!block) {
      emit.Bytes(input);
      return std::nullopt;
    }
    return StoppedAt(*block);
  }
  ByteBuffer copy;
  ReserveLarge(copy, input.size() + 1);
  copy.assign(input.begin(), input.end());
  Text name;
  return Uudecode(std::move(copy), name, emit);
}

// The modes of ConvertsView, on input followed by a zero byte.
std::optional<std::size_t> DispatchView(std::span<const std::uint8_t> input,
                                        std::int16_t intConversionMode, Emit emit) {
  switch (intConversionMode) {
    case 1:
      if (!HoldsKanjiIn(input)) {
        emit.Bytes(input);
        return std::nullopt;
      }
      return StoppedAt(JisToSjisAsCp932(input, emit.Out()));
    case 8:
      EucToSjisAsCp932(input, emit.Out());
      return std::nullopt;
    case 9: {
      // Mail is mostly ASCII throughout, and then its bytes can stand for the text.
      if (IsAscii(input)) {
        Base64AsciiToCp932(input, emit.Out());
        return std::nullopt;
      }
      Text record = BytesToText(input);
      ByteBuffer output{0};
      clsConvert().Base64ToSJis(output, record);
      emit.Encoded(output);
      return std::nullopt;
    }
    case 10:
      return UudecodeView(input, emit);
    default:  // 11
      if (input.empty() || input[0] != 0xFF) {
        emit.Bytes(input);
      } else {
        Utf16LeToCp932(input, emit.Out());
      }
      return std::nullopt;
  }
}

std::optional<std::size_t> Dispatch(ByteBuffer input, Text& strFileName,
                                    std::int16_t intConversionMode, std::int16_t intOption,
                                    Emit emit) {
  // Mode 10 also names the file after its begin line, which the view's form does not.
  if (intConversionMode != 10 && ConvertsView(intConversionMode, emit.product())) {
    const std::size_t n = input.size();
    detail::AppendGuardByte(input);
    return DispatchView(std::span<const std::uint8_t>(input).first(n), intConversionMode, emit);
  }
  clsConvert convert;
  ByteBuffer output{0};
  const bool booHankakuKana = intOption != 0;
  ConvertResult result;
  switch (intConversionMode) {
    case 1:
      if (!HoldsKanjiIn(input)) {
        emit.Bytes(input);
        return std::nullopt;
      }
      result = convert.JisToSJis(output, input);
      break;
    case 2:
      result = convert.JisToEuc(output, input);
      break;
    case 4:
      result = convert.SjisToJis(output, input, booHankakuKana);
      break;
    case 5: {
      // The second stage sees only what the first produced; a first stage that failed is where
      // the conversion stopped.
      const ConvertResult first = convert.SjisToJis(output, input, booHankakuKana);
      input = Produced(output, first);
      result = convert.JisToEuc(output, input);
      emit.Bytes(Produced(std::move(output), result));
      return StoppedAt(first.ok() ? result : first);
    }
    case 7:
      result = convert.EucToJis(output, input, booHankakuKana);
      break;
    case 10:
      return Uudecode(std::move(input), strFileName, emit);
    default:
      return std::nullopt;
  }
  emit.Bytes(Produced(std::move(output), result));
  return StoppedAt(result);
}

}  // namespace

Conversion ConvertBytes(ByteBuffer input, Text& strFileName, std::int16_t intConversionMode,
                        std::int16_t intOption, Product product, StreamOutput& out) {
  return {true, Dispatch(std::move(input), strFileName, intConversionMode, intOption,
                         Emit(product, out))};
}

bool ConvertsView(std::int16_t intConversionMode, Product product) {
  return intConversionMode == 8 || intConversionMode == 9 || intConversionMode == 10 ||
         intConversionMode == 11 || (intConversionMode == 1 && product == Product::cp932_text);
}

Conversion ConvertView(std::span<const std::uint8_t> input, std::int16_t intConversionMode,
                       Product product, StreamOutput& out) {
  return {true, DispatchView(input, intConversionMode, Emit(product, out))};
}

Conversion ConvertFile(Text& strFileName, std::int16_t intConversionMode, std::int16_t intOption,
                       Product product, StreamOutput& out) {
  std::optional<ByteBuffer> input = ReadNamedFile(strFileName);
  if (!input) {
    return {false, std::nullopt};
  }
  return ConvertBytes(std::move(*input), strFileName, intConversionMode, intOption, product, out);
}

Text clsConvert::KanjiConv(Text& strFileName, std::int16_t intConversionMode,
                           std::int16_t intOption) {
  ByteBuffer cp932;
  StreamOutput out(StreamOutput::AppendTo(cp932));
  if (!ConvertFile(strFileName, intConversionMode, intOption, Product::cp932_text, out).read) {
    return {};
  }
  out.Finish();
  // Every character the codec decodes encodes back to a code that decodes to it again, so the
  // text of the code page 932 result is the text the converters' bytes stand for.
  return BytesToText(cp932);
}

}  // namespace quillora
