#include "source_map.h"

#include <algorithm>

namespace quillora::mail {

SourceMap::Piece SourceMap::Piece::LineAt(std::size_t at) const {
  if (count == 1) {
    return *this;
  }
  const std::size_t line = at <= decoded ? 0 : std::min((at - decoded) / stride, count - 1);
  return {decoded + line * stride, input + line * input_length, input_length, scale};
}

void SourceMap::Add(std::size_t decoded, std::size_t input, std::size_t input_length, Scale scale) {
  if (!pieces_.empty() && scale == Scale::base64) {
    Piece& last = pieces_.back();
    // A line that follows a run of its length and starts where the run's stride puts it.
    const bool continues = last.scale == Scale::base64 && last.input_length == input_length &&
                           last.input + last.count * input_length == input &&
                           decoded > last.decoded;
    if (continues && last.count == 1) {
      last.stride = decoded - last.decoded;
      last.count = 2;
      return;
    }
    if (continues && decoded == last.decoded + last.count * last.stride) {
      ++last.count;
      return;
    }
  }
  if (!pieces_.empty() && scale == Scale::identity) {
    Piece& last = pieces_.back();
    if (last.scale == Scale::identity && last.decoded + last.input_length == decoded &&
        last.input + last.input_length == input) {
      last.input_length += input_length;  // the same stretch of input, continued
      return;
    }
  }
  pieces_.push_back({decoded, input, input_length, scale});
}

void SourceMap::Shift(std::size_t input_delta) {
  for (Piece& piece : pieces_) {
    piece.input += input_delta;
  }
}

SourceMap SourceMap::From(std::size_t decoded) const {
  SourceMap from;
  const auto add = [&](Piece piece) {
    if (piece.decoded < decoded) {
      if (piece.scale == Scale::identity) {
        const std::size_t into = std::min(decoded - piece.decoded, piece.input_length);
        piece.input += into;
        piece.input_length -= into;
      } else if (piece.scale == Scale::base64) {
        const std::size_t into = std::min((decoded - piece.decoded) / 3 * 4, piece.input_length);
        piece.input += into;
        piece.input_length -= into;
      }
      piece.decoded = decoded;
    }
    piece.decoded -= decoded;
    from.pieces_.push_back(piece);
  };
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    Piece piece = pieces_[i];
    const bool last = i + 1 == pieces_.size();
    if (!last && pieces_[i + 1].decoded <= decoded) {
      continue;  // wholly before
    }
    if (piece.count > 1 && piece.decoded < decoded) {
      // The run's line that holds `decoded` on its own, then the lines after it.
      const Piece line = piece.LineAt(decoded);
      const std::size_t through = (line.input - piece.input) / piece.input_length + 1;
      add(line);
      if (through == piece.count) {
        continue;
      }
      piece.count -= through;
      piece.decoded += through * piece.stride;
      piece.input += through * piece.input_length;
    }
    add(piece);
  }
  return from;
}

SourceMap::Span SourceMap::Map(std::size_t decoded, std::size_t length) const {
  auto after =
      std::upper_bound(pieces_.begin(), pieces_.end(), decoded,
                       [](std::size_t at, const Piece& piece) { return at < piece.decoded; });
  if (after == pieces_.begin()) {
    return pieces_.empty() ? Span{} : Span{pieces_.front().input, 0};
  }
  const Piece piece = (after - 1)->LineAt(decoded);
  const std::size_t into = decoded - piece.decoded;
  switch (piece.scale) {
    case Scale::identity: {
      const std::size_t at = std::min(into, piece.input_length);
      return {piece.input + at, std::min(length, piece.input_length - at)};
    }
    case Scale::base64: {
      // The end of the data maps to the end of the piece, never beyond it.
      const std::size_t first = std::min(into / 3 * 4, piece.input_length);
      const std::size_t end = std::min(piece.input_length, (into + length + 2) / 3 * 4);
      return {piece.input + first, end > first ? end - first : 0};
    }
    case Scale::whole:
      break;
  }
  return {piece.input, piece.input_length};
}

}  // namespace quillora::mail
