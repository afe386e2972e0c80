// A small RTF reader. Groups are kept on an explicit stack, so nesting depth costs heap memory
// only, and runs of groups that change nothing share one stack entry.
#include "platform/rtf_reader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "text/cp932_codec.h"

namespace quillora::rtf {
namespace {

// Where the text of the current group goes.
enum class Destination : std::uint8_t { body, font_table, colour_table, skip };

struct State {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::optional<std::int32_t> font;    // the font number of \fN
  std::int32_t half_points = 0;        // 0: not given
  std::optional<std::int32_t> colour;  // the colour table index of \cfN
  std::int32_t uc = 1;                 // fallback characters after each \uN
  Destination destination = Destination::body;

  friend bool operator==(const State&, const State&) = default;
};

enum class Op : std::uint8_t {
  ignore,
  paragraph,
  text,
  bold,
  italic,
  underline,
  underline_none,
  plain,
  font,
  default_font,
  font_size,
  colour,
  red,
  green,
  blue,
  unicode,
  unicode_skip,
  font_table,
  colour_table,
  skip_destination,
  binary,
};

struct Word {
  std::string_view name;
  Op op;
  std::u16string_view text = {};  // for Op::text
};

// Sorted by name for binary search. The skip_destination words name destinations whose text is
// not part of the document.
constexpr std::array kWords = {
    Word{"b", Op::bold},
    Word{"bin", Op::binary},
    Word{"blue", Op::blue},
    Word{"bullet", Op::text, u"\u2022"},
    Word{"cell", Op::text, u"\t"},
    Word{"cf", Op::colour},
    Word{"colortbl", Op::colour_table},
    Word{"deff", Op::default_font},
    Word{"emdash", Op::text, u"\u2014"},
    Word{"emspace", Op::text, u"\u2003"},
    Word{"endash", Op::text, u"\u2013"},
    Word{"enspace", Op::text, u"\u2002"},
    Word{"f", Op::font},
    Word{"filetbl", Op::skip_destination},
    Word{"fldinst", Op::skip_destination},
    Word{"fonttbl", Op::font_table},
    Word{"footer", Op::skip_destination},
    Word{"footerf", Op::skip_destination},
    Word{"footerl", Op::skip_destination},
    Word{"footerr", Op::skip_destination},
    Word{"footnote", Op::skip_destination},
    Word{"fs", Op::font_size},
    Word{"green", Op::green},
    Word{"header", Op::skip_destination},
    Word{"headerf", Op::skip_destination},
    Word{"headerl", Op::skip_destination},
    Word{"headerr", Op::skip_destination},
    Word{"i", Op::italic},
    Word{"info", Op::skip_destination},
    Word{"ldblquote", Op::text, u"\u201C"},
    Word{"line", Op::text, u"\u2028"},
    Word{"listoverridetable", Op::skip_destination},
    Word{"listtable", Op::skip_destination},
    Word{"lquote", Op::text, u"\u2018"},
    Word{"nonshppict", Op::skip_destination},
    Word{"object", Op::skip_destination},
    Word{"page", Op::paragraph},
    Word{"par", Op::paragraph},
    Word{"pict", Op::skip_destination},
    Word{"plain", Op::plain},
    Word{"rdblquote", Op::text, u"\u201D"},
    Word{"red", Op::red},
    Word{"revtbl", Op::skip_destination},
    Word{"row", Op::paragraph},
    Word{"rquote", Op::text, u"\u2019"},
    Word{"sect", Op::paragraph},
    Word{"stylesheet", Op::skip_destination},
    Word{"tab", Op::text, u"\t"},
    Word{"tc", Op::skip_destination},
    Word{"u", Op::unicode},
    Word{"uc", Op::unicode_skip},
    Word{"ul", Op::underline},
    Word{"uld", Op::underline},
    Word{"uldash", Op::underline},
    Word{"uldb", Op::underline},
    Word{"ulnone", Op::underline_none},
    Word{"ulth", Op::underline},
    Word{"ulw", Op::underline},
    Word{"ulwave", Op::underline},
    Word{"xe", Op::skip_destination},
};
static_assert(std::is_sorted(kWords.begin(), kWords.end(),
                             [](const Word& a, const Word& b) { return a.name < b.name; }));

// Word's largest font size, 1638 points.
constexpr std::int32_t kMaxHalfPoints = 3276;

bool IsLetter(std::uint8_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(std::uint8_t c) {
  return c >= '0' && c <= '9';
}

int HexValue(std::uint8_t c) {
  if (IsDigit(c)) {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> input) : in_(input) {
    document_.paragraphs.emplace_back();
  }

  Document Read() && {
    while (pos_ < in_.size()) {
      const std::uint8_t c = in_[pos_++];
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        if (!CloseGroup()) {
          break;
        }
      } else if (c == '\\') {
        Control();
      } else if (c >= 0x20 || c == '\t') {
        TextByte(c);
      }
      // Other control characters, line ends among them, are not text in RTF.
    }
    Flush();
    return std::move(document_);
  }

 private:
  struct Saved {
    State state;
    std::size_t repeat;  // the number of nested groups this entry stands for
  };

  void OpenGroup() {
    Flush();
    skip_ = 0;
    if (!saved_.empty() && saved_.back().state == state_) {
      ++saved_.back().repeat;
    } else {
      saved_.push_back({state_, 1});
    }
  }

  // False at the end of the outermost group, where the document ends.
  bool CloseGroup() {
    Flush();
    skip_ = 0;
    if (state_.destination == Destination::font_table) {
      CommitFontName();
    }
    if (saved_.empty()) {
      return false;
    }
    state_ = saved_.back().state;
    if (--saved_.back().repeat == 0) {
      saved_.pop_back();
    }
    return !saved_.empty();
  }

  void Control() {
    if (pos_ >= in_.size()) {
      return;
    }
    const std::uint8_t c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      Symbol(c);
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) {
      ++pos_;
    }
    const std::string_view name(reinterpret_cast<const char*>(in_.data() + start), pos_ - start);
    const std::optional<std::int32_t> parameter = Parameter();
    if (pos_ < in_.size() && in_[pos_] == ' ') {
      ++pos_;
    }
    ControlWord(name, parameter);
  }

  // The numeric parameter after a control word, saturated to 32 bits however many digits follow.
  std::optional<std::int32_t> Parameter() {
    const bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1]);
    if (negative) {
      ++pos_;
    }
    if (pos_ >= in_.size() || !IsDigit(in_[pos_])) {
      return std::nullopt;
    }
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      value = std::min(value * 10 + (in_[pos_] - '0'), kLimit);
      ++pos_;
    }
    return static_cast<std::int32_t>(negative ? -value : std::min(value, kLimit - 1));
  }

  void Symbol(std::uint8_t c) {
    if (c == '\'') {
      const int high = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
      const int low = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) {
        return;
      }
      pos_ += 2;
      TextByte(static_cast<std::uint8_t>(high * 16 + low));
      return;
    }
    if (c == '\\' || c == '{' || c == '}') {
      TextByte(c);
      return;
    }
    if (SkipFallback()) {
      return;
    }
    switch (c) {
      case '~':
        AppendText(u"\u00A0");
        break;
      case '_':
        AppendText(u"\u2011");
        break;
      case '*':
        Flush();
        state_.destination = Destination::skip;
        break;
      case '\r':
      case '\n':
        NewParagraph();
        break;
      default:
        break;  // \- (optional hyphen), \| and the rest show nothing
    }
  }

  void ControlWord(std::string_view name, std::optional<std::int32_t> parameter) {
    const auto* word =
        std::lower_bound(kWords.begin(), kWords.end(), name,
                         [](const Word& w, std::string_view wanted) { return w.name < wanted; });
    const Op op = word != kWords.end() && word->name == name ? word->op : Op::ignore;
    if (op == Op::binary) {
      // The data of \binN is raw bytes, never markup, even in a skipped destination.
      const std::size_t length = static_cast<std::size_t>(std::max(parameter.value_or(0), 0));
      pos_ += std::min(length, in_.size() - pos_);
    }
    if (SkipFallback() || state_.destination == Destination::skip) {
      return;
    }
    Flush();
    const std::int32_t value = parameter.value_or(1);
    switch (op) {
      case Op::ignore:
      case Op::binary:
        break;
      case Op::paragraph:
        NewParagraph();
        break;
      case Op::text:
        AppendText(word->text);
        break;
      case Op::bold:
        state_.bold = value != 0;
        break;
      case Op::italic:
        state_.italic = value != 0;
        break;
      case Op::underline:
        state_.underline = value != 0;
        break;
      case Op::underline_none:
        state_.underline = false;
        break;
      case Op::plain:
        state_.bold = state_.italic = state_.underline = false;
        state_.font = default_font_;
        state_.half_points = 0;
        state_.colour.reset();
        break;
      case Op::font:
        if (state_.destination == Destination::font_table) {
          CommitFontName();
          font_entry_ = parameter.value_or(0);
        } else {
          state_.font = parameter.value_or(0);
        }
        break;
      case Op::default_font:
        default_font_ = state_.font = parameter.value_or(0);
        break;
      case Op::font_size: {
        const std::int32_t half_points = parameter.value_or(24);
        if (half_points > 0 && half_points <= kMaxHalfPoints) {
          state_.half_points = half_points;
        }
        break;
      }
      case Op::colour:
        state_.colour = parameter.value_or(0);
        break;
      case Op::red:
        SetComponent(16, value);
        break;
      case Op::green:
        SetComponent(8, value);
        break;
      case Op::blue:
        SetComponent(0, value);
        break;
      case Op::unicode:
        if (parameter) {
          AppendCodePoint(*parameter);
        }
        skip_ = state_.uc;
        break;
      case Op::unicode_skip:
        state_.uc = std::max(value, 0);
        break;
      case Op::font_table:
        state_.destination = Destination::font_table;
        break;
      case Op::colour_table:
        state_.destination = Destination::colour_table;
        colours_.clear();
        colour_.reset();
        break;
      case Op::skip_destination:
        state_.destination = Destination::skip;
        break;
    }
  }

  // True when this token is one of the fallback characters that follow \uN, and so is dropped.
  bool SkipFallback() {
    if (skip_ == 0) {
      return false;
    }
    --skip_;
    return true;
  }

  void TextByte(std::uint8_t c) {
    if (SkipFallback()) {
      return;
    }
    switch (state_.destination) {
      case Destination::body:
        pending_.push_back(c);
        break;
      case Destination::font_table:
        if (c == ';') {
          CommitFontName();
        } else {
          pending_.push_back(c);
        }
        break;
      case Destination::colour_table:
        if (c == ';') {
          colours_.push_back(colour_);
          colour_.reset();
        }
        break;
      case Destination::skip:
        break;
    }
  }

  // Negative values stand for the upper half of the 16-bit range, as writers emit them.
  void AppendCodePoint(std::int32_t value) {
    if (value < 0) {
      value += 0x10000;
    }
    if (value < 0 || value > 0x10FFFF) {
      return;
    }
    if (value <= 0xFFFF) {
      AppendText(Text(1, static_cast<char16_t>(value)));
      return;
    }
    const std::int32_t offset = value - 0x10000;
    AppendText(Text{static_cast<char16_t>(0xD800 + (offset >> 10)),
                    static_cast<char16_t>(0xDC00 + (offset & 0x3FF))});
  }

  void SetComponent(int shift, std::int32_t value) {
    if (state_.destination != Destination::colour_table) {
      return;
    }
    const auto component = static_cast<std::uint32_t>(std::clamp(value, 0, 255));
    colour_ = (colour_.value_or(0) & ~(0xFFu << shift)) | (component << shift);
  }

  // Decodes the text bytes gathered so far: consecutive bytes form one code page 932 string, so
  // a lead byte and its trail byte make one character however they were written.
  void Flush() {
    if (pending_.empty()) {
      return;
    }
    const Text text = BytesToText(pending_);
    pending_.clear();
    AppendText(text);
  }

  void AppendText(std::u16string_view text) {
    Flush();
    if (text.empty()) {
      return;
    }
    if (state_.destination == Destination::font_table) {
      font_name_ += text;
      return;
    }
    if (state_.destination != Destination::body) {
      return;
    }
    std::vector<Run>& runs = document_.paragraphs.back().runs;
    const CharFormat format = CurrentFormat();
    if (!runs.empty() && runs.back().format == format) {
      runs.back().text += text;
    } else {
      runs.push_back({Text(text), format});
    }
  }

  void NewParagraph() {
    Flush();
    if (state_.destination == Destination::body) {
      document_.paragraphs.emplace_back();
    }
  }

  void CommitFontName() {
    Flush();
    const std::size_t first = font_name_.find_first_not_of(u' ');
    if (first != Text::npos) {
      const std::size_t last = font_name_.find_last_not_of(u' ');
      font_index_[font_entry_] = static_cast<int>(document_.fonts.size());
      document_.fonts.push_back(font_name_.substr(first, last - first + 1));
    }
    font_name_.clear();
  }

  [[nodiscard]] CharFormat CurrentFormat() const {
    CharFormat format;
    format.bold = state_.bold;
    format.italic = state_.italic;
    format.underline = state_.underline;
    if (state_.font) {
      const auto found = font_index_.find(*state_.font);
      if (found != font_index_.end()) {
        format.font = found->second;
      }
    }
    format.half_points = state_.half_points;
    if (state_.colour && *state_.colour >= 0 &&
        static_cast<std::size_t>(*state_.colour) < colours_.size()) {
      format.colour = colours_[static_cast<std::size_t>(*state_.colour)];
    }
    return format;
  }

  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
  State state_;
  std::vector<Saved> saved_;
  std::int32_t skip_ = 0;  // fallback characters still to drop after \uN
  ByteBuffer pending_;     // text bytes not yet decoded
  std::optional<std::int32_t> default_font_;
  std::int32_t font_entry_ = 0;  // the font number of the font table entry being read
  Text font_name_;
  std::unordered_map<std::int32_t, int> font_index_;  // font number -> Document::fonts index
  std::vector<std::optional<std::uint32_t>> colours_;
  std::optional<std::uint32_t> colour_;  // the colour table entry being read
  Document document_;
};

}  // namespace

Document ReadRtf(std::span<const std::uint8_t> bytes) {
  return Reader(bytes).Read();
}

}  // namespace quillora::rtf
