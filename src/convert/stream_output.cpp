// A conversion's output, handed on a piece at a time.
#include "convert/stream_output.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "byte_output.h"
#include "text/cp932_codec.h"

namespace quillora {

StreamOutput::StreamOutput(Deliver deliver, std::size_t piece)
    : StreamOutput(std::move(deliver), TakeBack(), piece) {}

StreamOutput::StreamOutput(Deliver deliver, TakeBack take_back, std::size_t piece)
    : deliver_(std::move(deliver)),
      take_back_(std::move(take_back)),
      size_(std::max<std::size_t>(piece, 64)),
      buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(size_)) {}

void StreamOutput::Flush() {
  if (used_ > 0 && ok_) {
    ok_ = deliver_(std::span(buffer_.get(), used_));
  }
  used_ = 0;
}

std::size_t StreamOutput::Reencode(std::span<const std::uint8_t> bytes, bool last) {
  // A quarter of a buffer of input at a time, since it may grow to twice its size; a lead byte
  // cut off at the end of a stretch starts the next one.
  const std::size_t stretch = size_ / 4;
  std::size_t taken = 0;
  while (taken < bytes.size()) {
    const std::size_t take = std::min(stretch, bytes.size() - taken);
    const bool whole = last && taken + take == bytes.size();
    std::uint8_t* to = Room(2 * take);
    const ReencodeProgress progress = ReencodeBytes(bytes.subspan(taken, take), to, whole);
    used_ += progress.written;
    taken += progress.read;
    if (progress.read == 0) {
      break;  // a lone lead byte at the end, waiting for what follows
    }
  }
  return taken;
}

void StreamOutput::Encode(std::u16string_view text) {
  // A surrogate pair is one character: a stretch never ends between its halves.
  const std::size_t stretch = size_ / 4;
  ByteBuffer scratch;
  while (!text.empty()) {
    std::size_t take = std::min(stretch, text.size());
    if (take < text.size() && text[take - 1] >= 0xD800 && text[take - 1] <= 0xDBFF) {
      ++take;
    }
    scratch.clear();
    AppendTextAsBytes(text.substr(0, take), scratch);
    Copy(scratch);
    text.remove_prefix(take);
  }
}

static_assert(ByteOutput<StreamOutput>);

void StreamOutput::Copy(std::span<const std::uint8_t> bytes) {
  Append(*this, bytes, size_);
}

StreamOutput::Deliver StreamOutput::AppendTo(ByteBuffer& bytes) {
  return [&bytes](std::span<const std::uint8_t> piece) {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return true;
  };
}

StreamOutput::TakeBack StreamOutput::TakeBackFrom(ByteBuffer& bytes) {
  return [&bytes, before = bytes.size()] {
    bytes.resize(before);
    return true;
  };
}

void StreamOutput::WithdrawAll() {
  assert(CanWithdraw());
  used_ = 0;
  ok_ = take_back_();
}

bool StreamOutput::Finish() {
  Flush();
  return ok_;
}

}  // namespace quillora
