// The batch run.
#include "app/batch_run.h"

#include <new>
#include <optional>

#include "app/decode_file.h"
#include "app/paths.h"
#include "app/settings.h"
#include "convert/decode_types.h"
#include "convert/front_door.h"
#include "io/atomic_file.h"
#include "io/file_reading.h"
#include "io/mapped_file.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora {
namespace {

BatchOutcome Failed(std::string message) {
  return {1, std::move(message)};
}

std::string Quoted(const Text& path) {
  return std::string("'").append(NativePath(path).string()).append("'");
}

}  // namespace

BatchOutcome RunBatch(const AppState& state) {
  const Text& file = state.CommandFile;
  const std::optional<int> decode_type = DefaultDecodeTypeSetting(state);
  if (!decode_type) {
    return Failed("the setting DefaultDecodeType=" + Utf8FromText(state.DefaultDecodeType) +
                  " is not a decode type (0 to " + std::to_string(kDecodeTypeCount - 1) +
                  "); nothing was written");
  }
  const DecodeType type = *DecodeTypeAt(*decode_type);
  const std::optional<std::string> native = FileNameToUtf8(file);
  // Modes that read their input once are given the file's pages as they are, not a copy.
  std::optional<MappedFile> mapped;
  if (native && !type.whole_mail && ConvertsView(type.mode, Product::cp932_text)) {
    mapped = MappedFile::Open(*native);
    ExitWhenMappedFileShrinks(1, "quillora: the input was cut short while it was read\n");
  }
  std::optional<ByteBuffer> input = native && !mapped ? ReadWholeFile(*native) : std::nullopt;
  if (!input && !mapped) {
    return Failed("cannot read " + Quoted(file));
  }
  try {
    AtomicFile output(NativePath(BatchOutputPath(file, state.CommandOutput.value_or(Text()))));
    if (!output.Write({})) {
      return Failed(output.Commit());  // known before any work is done
    }
    std::size_t written = 0;
    StreamOutput out([&](std::span<const std::uint8_t> piece) {
      written += piece.size();
      return output.Write(piece);
    });
    Text name = file;
    if (type.whole_mail) {
      // The readable mail, as quillora-convert mail writes it.
      (void)output.Write(DecodeBytes(std::move(*input), name, *decode_type));
      std::string problem = output.Commit();
      return problem.empty() ? BatchOutcome{} : Failed(std::move(problem));
    }
    const Conversion conversion =
        mapped ? ConvertView(mapped->bytes(), type.mode, Product::cp932_text, out)
               : ConvertBytes(std::move(*input), name, type.mode, 0, Product::cp932_text, out);
    out.Finish();
    // A decoding that gives nothing leaves the input's own text as the result. That is rare (a
    // failure before any output, a file of a byte-order mark alone), so the input is read again
    // for it rather than kept in memory throughout.
    const bool nothing_decoded = written == 0;
    if (nothing_decoded) {
      if (!mapped) {
        input = ReadWholeFile(*native);
        if (!input) {
          return Failed("cannot read " + Quoted(file));
        }
      }
      out.Reencode(mapped ? mapped->bytes() : std::span<const std::uint8_t>(*input));
      out.Finish();
    }
    if (std::string problem = output.Commit(); !problem.empty()) {
      return Failed(std::move(problem));
    }
    if (conversion.stopped_at) {
      return {0, "warning: the decoding of " + Quoted(file) + " stopped at byte " +
                     std::to_string(*conversion.stopped_at) +
                     (nothing_decoded ? "; the output holds the input's own text"
                                      : "; the output holds what came before it")};
    }
    return {};
  } catch (const std::bad_alloc&) {
    return Failed("not enough memory to convert " + Quoted(file));
  }
}

}  // namespace quillora
