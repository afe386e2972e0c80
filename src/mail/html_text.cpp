#include "html_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

namespace quillora::mail {
namespace {

constexpr std::array<std::pair<std::u16string_view, char16_t>, 20> kEntities{{
    {u"amp", u'&'},        {u"lt", u'<'},          {u"gt", u'>'},          {u"quot", u'"'},
    {u"apos", u'\''},      {u"nbsp", u' '},        {u"yen", u'\u00A5'},    {u"copy", u'\u00A9'},
    {u"reg", u'\u00AE'},   {u"hellip", u'\u2026'}, {u"mdash", u'\u2014'},  {u"ndash", u'\u2013'},
    {u"times", u'\u00D7'}, {u"divide", u'\u00F7'}, {u"middot", u'\u30FB'}, {u"laquo", u'\u00AB'},
    {u"raquo", u'\u00BB'}, {u"rarr", u'\u2192'},   {u"larr", u'\u2190'},   {u"trade", u'\u2122'},
}};

// Tags that start a line of their own.
constexpr std::array<std::u16string_view, 22> kBlocks{
    u"br", u"p",  u"div", u"tr",      u"li",         u"h1",     u"h2",  u"h3",
    u"h4", u"h5", u"h6",  u"table",   u"blockquote", u"hr",     u"pre", u"ul",
    u"ol", u"dd", u"dt",  u"section", u"article",    u"address"};

// Elements whose content is not text for a reader.
constexpr std::array<std::u16string_view, 4> kHidden{u"style", u"script", u"title", u"head"};

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool IsAsciiAlnum(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

template <std::size_t N>
bool Contains(const std::array<std::u16string_view, N>& names, std::u16string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

class HtmlReader {
 public:
  HtmlReader(std::u16string_view html, std::vector<std::size_t>& positions)
      : html_(html), positions_(positions) {}

  Text Read() {
    text_.reserve(html_.size());
    while (i_ < html_.size()) {
      MovePositions();
      const char16_t c = html_[i_];
      if (c == u'<') {
        Tag();
      } else if (!hidden_.empty()) {
        ++i_;
      } else if (c == u'&') {
        Entity();
      } else if (IsSpace(c) && pre_ == 0) {
        if (!text_.empty() && !IsSpace(text_.back())) {
          text_ += u' ';
        }
        ++i_;
      } else {
        text_ += c;
        ++i_;
      }
    }
    MovePositions();
    while (!text_.empty() && IsSpace(text_.back())) {
      text_.pop_back();
    }
    // Blanks dropped after a place was taken may have left it beyond the text.
    for (std::size_t& position : positions_) {
      position = std::min(position, text_.size());
    }
    if (!text_.empty()) {
      text_ += u"\r\n";
    }
    return std::move(text_);
  }

 private:
  void MovePositions() {
    while (next_ < positions_.size() && positions_[next_] <= i_) {
      positions_[next_++] = text_.size();
    }
  }

  void LineBreak() {
    while (!text_.empty() && (text_.back() == u' ' || text_.back() == u'\t')) {
      text_.pop_back();
    }
    // At most one empty line in a row.
    if (text_.size() >= 4 && text_.ends_with(u"\r\n\r\n")) {
      return;
    }
    if (!text_.empty()) {
      text_ += u"\r\n";
    }
  }

  void Tag() {
    if (html_.substr(i_).starts_with(u"<!--")) {
      const std::size_t end = html_.find(u"-->", i_ + 4);
      i_ = end == std::u16string_view::npos ? html_.size() : end + 3;
      return;
    }
    std::size_t j = i_ + 1;
    const bool closing = j < html_.size() && html_[j] == u'/';
    if (closing) {
      ++j;
    }
    std::u16string name;
    while (j < html_.size() && IsAsciiAlnum(html_[j])) {
      name += Lower(html_[j++]);
    }
    if (name.empty() && !closing && (j >= html_.size() || html_[j] != u'!')) {
      if (hidden_.empty()) {
        text_ += u'<';  // a lone "<" is text
      }
      ++i_;
      return;
    }
    const std::size_t end = html_.find(u'>', j);
    i_ = end == std::u16string_view::npos ? html_.size() : end + 1;
    if (Contains(kHidden, name)) {
      if (closing) {
        if (!hidden_.empty() && hidden_.back() == name) {
          hidden_.pop_back();
        }
      } else if (end == std::u16string_view::npos || html_[end - 1] != u'/') {
        hidden_.push_back(name);
      }
      return;
    }
    if (name == u"pre") {
      pre_ = closing ? std::max(pre_, 1) - 1 : pre_ + 1;
    }
    if (hidden_.empty() && Contains(kBlocks, name)) {
      LineBreak();
    }
  }

  void Entity() {
    // Entities are short; looking further would make a text of lone "&" quadratic.
    const std::size_t end = html_.substr(0, std::min(html_.size(), i_ + 12)).find(u';', i_);
    if (end != std::u16string_view::npos) {
      const std::u16string_view name = html_.substr(i_ + 1, end - i_ - 1);
      if (const auto c = Decode(name)) {
        AppendCodePoint(*c);
        i_ = end + 1;
        return;
      }
    }
    text_ += u'&';
    ++i_;
  }

  static std::optional<char32_t> Decode(std::u16string_view name) {
    if (name.size() >= 2 && name[0] == u'#') {
      const bool hex = name[1] == u'x' || name[1] == u'X';
      char32_t value = 0;
      const std::size_t digits_from = hex ? 2 : 1;
      if (name.size() == digits_from) {
        return std::nullopt;
      }
      for (std::size_t k = digits_from; k < name.size(); ++k) {
        const char16_t d = Lower(name[k]);
        const int digit = d >= u'0' && d <= u'9'          ? d - u'0'
                          : hex && d >= u'a' && d <= u'f' ? d - u'a' + 10
                                                          : -1;
        if (digit < 0 || value > 0x10FFFF) {
          return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
      }
      const bool valid = value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
      return valid ? std::optional(value) : std::optional(char32_t{0xFFFD});
    }
    for (const auto& [entity, c] : kEntities) {
      if (entity == name) {
        return c;
      }
    }
    return std::nullopt;
  }

  void AppendCodePoint(char32_t c) {
    if (c > 0xFFFF) {
      text_ += static_cast<char16_t>(0xD7C0 + (c >> 10));
      text_ += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    } else {
      text_ += static_cast<char16_t>(c);
    }
  }

  std::u16string_view html_;
  std::vector<std::size_t>& positions_;
  std::size_t next_ = 0;
  std::size_t i_ = 0;
  int pre_ = 0;
  std::vector<std::u16string> hidden_;
  Text text_;
};

}  // namespace

Text HtmlToText(std::u16string_view html, std::vector<std::size_t>& positions) {
  return HtmlReader(html, positions).Read();
}

}  // namespace quillora::mail
