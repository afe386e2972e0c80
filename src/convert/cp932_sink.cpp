// Code page 932 output made straight from bytes and text, handed on a piece at a time.
#include "convert/cp932_sink.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/cp932_codec.h"

namespace quillora {

Cp932Sink::Cp932Sink(Deliver deliver, std::size_t piece)
    : deliver_(std::move(deliver)), buffer_(std::max<std::size_t>(piece, 64)) {}

std::uint8_t* Cp932Sink::Room(std::size_t n) {
  if (buffer_.size() - used_ < n) {
    Flush();
  }
  return buffer_.data() + used_;
}

void Cp932Sink::Flush() {
  if (used_ > 0 && ok_) {
    ok_ = deliver_(std::span(buffer_).first(used_));
  }
  used_ = 0;
}

std::size_t Cp932Sink::Reencode(std::span<const std::uint8_t> bytes, bool last) {
  // A quarter of a buffer of input at a time, since it may grow to twice its size; a lead byte
  // cut off at the end of a stretch starts the next one.
  const std::size_t stretch = buffer_.size() / 4;
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

void Cp932Sink::Encode(std::u16string_view text) {
  // A surrogate pair is one character: a stretch never ends between its halves.
  const std::size_t stretch = buffer_.size() / 4;
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

void Cp932Sink::Copy(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const std::size_t take = std::min(bytes.size(), buffer_.size());
    std::memcpy(Room(take), bytes.data(), take);
    used_ += take;
    bytes = bytes.subspan(take);
  }
}

bool Cp932Sink::Finish() {
  Flush();
  return ok_;
}

}  // namespace quillora
