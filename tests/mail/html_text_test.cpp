// HTML parts as text: what is shown, what is dropped, and where a place in the HTML lands.
#include "html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf8.h"

namespace quillora::test {
using namespace mail;
namespace {

std::string Shown(std::u16string_view html) {
  std::vector<std::size_t> none;
  return Utf8FromText(HtmlToText(html, none));
}

TEST(html_text_test, cases) {
  const struct {
    std::u16string html;
    const char* text;
  } cases[] = {
      {u"<p>一行目</p><p>二行目<br>三行目</p>", "一行目\r\n\r\n二行目\r\n三行目\r\n"},
      {u"<style>p{color:red}</style><script>var a = '<p>';</script>本文", "本文\r\n"},
      {u"<head><title>件名</title></head><body>本文</body>", "本文\r\n"},
      {u"a &amp; b &lt;c&gt; &#x2460;&#9312; &nbsp;x", "a & b <c> ①①  x\r\n"},
      {u"&bogus; &#xD800; &", "&bogus; \xEF\xBF\xBD &\r\n"},
      {u"1 < 2 <!-- hidden --> ok", "1 < 2 ok\r\n"},
      {u"<pre>a  b\r\n  c</pre>", "a  b\r\n  c\r\n"},
      {u"spaces   and\r\n\r\nlines", "spaces and lines\r\n"},
      {u"<div>a</div><div></div><div></div><div>b</div>", "a\r\n\r\nb\r\n"},
      {u"<script>never closed", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shown(c.html), c.text) << Utf8FromText(c.html);
  }
}

TEST(html_text_test, places_follow_the_text) {
  const std::u16string html = u"<b>ab</b>\uFFFD<i>c</i><style>\uFFFD</style>  ";
  std::vector<std::size_t> positions{3, 9, 10, 25, 34, html.size()};
  const Text text = HtmlToText(html, positions);
  EXPECT_EQ(Utf8FromText(text), "ab�c\r\n");
  // "a" at 0, the replacement at 2 and the place after it 3; what is inside <style> and the
  // trailing blanks, all dropped, land after "c", before the final line end.
  EXPECT_EQ(positions, (std::vector<std::size_t>{0, 2, 3, 4, 4, 4}));
}

}  // namespace
}  // namespace quillora::test
