#include "cp932_output.h"

#include <utility>

namespace quillora::mail {

Cp932Output::Cp932Output(ByteBuffer& buffer, Deliver deliver)
    : buffer_(buffer), deliver_(std::move(deliver)) {}

void Cp932Output::Settle() {
  constexpr std::size_t kHandOn = std::size_t{1} << 20;
  if (deliver_ && buffer_.size() >= kHandOn) {
    Finish();
  }
}

void Cp932Output::Finish() {
  if (!deliver_ || buffer_.empty()) {
    return;
  }
  deliver_(buffer_);
  handed_ += buffer_.size();
  last_handed_[0] = buffer_.size() >= 2 ? buffer_[buffer_.size() - 2] : last_handed_[1];
  last_handed_[1] = buffer_.back();
  buffer_.clear();
}

bool Cp932Output::EndsWithLineEnd() const {
  // Code page 932 encodes CR LF as itself, and no trail byte is CR or LF.
  const std::uint8_t last = buffer_.empty() ? last_handed_[1] : buffer_.back();
  const std::uint8_t before = buffer_.size() >= 2   ? buffer_[buffer_.size() - 2]
                              : buffer_.size() == 1 ? last_handed_[1]
                                                    : last_handed_[0];
  return before == '\r' && last == '\n';
}

}  // namespace quillora::mail
