// Positions in decoded bytes mapped back to the input file they were decoded from.
#pragma once

#include <cstddef>
#include <vector>

namespace quillora::mail {

class SourceMap {
 public:
  enum class Scale {
    identity,  // one decoded byte per input byte
    base64,    // three decoded bytes per four input characters
    whole,     // the decoded bytes come from the piece as a whole (a quoted-printable line, a word)
  };
  struct Span {
    std::size_t offset = 0;
    std::size_t length = 0;
  };

  // Decoded bytes that are the `length` input bytes themselves.
  [[nodiscard]] static SourceMap Identity(std::size_t length) {
    SourceMap map;
    map.Add(0, 0, length, Scale::identity);
    return map;
  }

  // A piece of input starting at decoded position `decoded`; pieces are added in order.
  void Add(std::size_t decoded, std::size_t input, std::size_t input_length, Scale scale);
  // Moves every piece by `input_delta` in the input (the map was made relative to a part).
  void Shift(std::size_t input_delta);

  // The map of the decoded bytes from `decoded` on, as if they started at 0.
  [[nodiscard]] SourceMap From(std::size_t decoded) const;

  [[nodiscard]] Span Map(std::size_t decoded, std::size_t length) const;

 private:
  // A piece, or a run of `count` Base64 lines of one length that each decoded to `stride` bytes:
  // a large attachment is thousands of them, one piece each would outweigh the attachment.
  struct Piece {
    std::size_t decoded;
    std::size_t input;
    std::size_t input_length;  // of each line, for a run
    Scale scale;
    std::size_t count = 1;
    std::size_t stride = 0;

    // The line of a run that holds decoded position `at` (the last for any beyond), as a piece.
    [[nodiscard]] Piece LineAt(std::size_t at) const;
  };
  std::vector<Piece> pieces_;
};

}  // namespace quillora::mail
