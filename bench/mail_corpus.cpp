// Generated mail text for the benchmarks: words drawn from small pools by a fixed-seed generator,
// wrapped into mail lines, then encoded by simple independent encoders (not the engine's).
#include "mail_corpus.h"

#include <array>
#include <span>
#include <string_view>

#include "text/cp932_codec.h"

namespace quillora::bench {
namespace {

// splitmix64: small, fast and the same everywhere, so the data does not depend on the library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15U);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9U;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBU;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  bool Percent(unsigned p) { return Below(100) < p; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

using Words = std::u16string_view;

// Only JIS X 0208 characters, so that ISO-2022-JP and EUC-JP peers read every one.
constexpr std::array<Words, 48> kNouns{
    u"会議", u"資料",   u"確認", u"予定", u"担当者", u"連絡",   u"会社",   u"今日",
    u"明日", u"来週",   u"問題", u"対応", u"報告書", u"添付",   u"内容",   u"修正",
    u"検討", u"開発",   u"環境", u"設定", u"時間",   u"場所",   u"東京",   u"大阪",
    u"皆様", u"先日",   u"件",   u"本日", u"見積書", u"契約",   u"部長",   u"課長",
    u"社内", u"営業部", u"品質", u"納期", u"価格",   u"変更点", u"手順",   u"結果",
    u"状況", u"準備",   u"質問", u"回答", u"案内",   u"出張",   u"新製品", u"計画"};
constexpr std::array<Words, 14> kParticles{u"の", u"は",   u"が",       u"を",    u"に",
                                           u"で", u"と",   u"も",       u"から",  u"まで",
                                           u"へ", u"より", u"について", u"として"};
constexpr std::array<Words, 16> kEndings{
    u"します",     u"しました",   u"いたします",   u"お願いします",
    u"ください",   u"です",       u"でした",       u"と思います",
    u"ありません", u"ございます", u"予定です",     u"いただけますか",
    u"確認中です", u"済みです",   u"了解しました", u"よろしくお願いいたします"};
constexpr std::array<Words, 16> kKatakana{
    u"メール",       u"ファイル", u"サーバー",     u"テスト",     u"プロジェクト", u"スケジュール",
    u"ミーティング", u"データ",   u"システム",     u"バージョン", u"ソフトウェア", u"レビュー",
    u"ドキュメント", u"サンプル", u"ネットワーク", u"パスワード"};
constexpr std::array<Words, 10> kInlineAscii{u"PDF", u"10月",  u"3日", u"v2.1", u"15時",
                                             u"URL", u"Excel", u"2件", u"ID",   u"OK"};
constexpr std::array<Words, 8> kOpenings{
    u"いつもお世話になっております。", u"お疲れ様です。",          u"ご連絡ありがとうございます。",
    u"先日はありがとうございました。", u"取り急ぎご報告します。",  u"以下の件、ご確認ください。",
    u"「資料」を添付いたします。",     u"（再送）失礼いたします。"};
// Half-width katakana with sound marks, for the widening converters only.
constexpr std::array<Words, 6> kHalfwidth{u"ｶﾞｲﾄﾞ", u"ﾃｽﾄ", u"ﾒｰﾙ", u"ﾊﾟｿｺﾝ", u"ﾃﾞｰﾀ", u"ﾌﾟﾛｸﾞﾗﾑ"};

constexpr std::array<Words, 40> kEnglish{
    u"the",    u"meeting", u"schedule", u"please", u"review",  u"attached", u"document", u"and",
    u"to",     u"for",     u"we",       u"will",   u"send",    u"update",   u"project",  u"release",
    u"today",  u"next",    u"week",     u"Tokyo",  u"office",  u"thanks",   u"team",     u"a",
    u"of",     u"is",      u"build",    u"test",   u"results", u"server",   u"version",  u"check",
    u"before", u"after",   u"customer", u"report", u"draft",   u"with",     u"notes",    u"agenda"};
constexpr std::array<Words, 6> kJapaneseInAscii{
    u"山田太郎", u"よろしくお願いします", u"東京本社", u"営業部", u"資料", u"確認"};

constexpr std::u16string_view kCrLf = u"\r\n";

// Text that tracks its approximate Shift_JIS length and wraps lines.
class Writer {
 public:
  explicit Writer(std::size_t wrap) : wrap_(wrap) {}

  void Word(Words w) {
    if (column_ + Width(w) > wrap_ && column_ > 0) {
      EndLine();
    }
    text_ += w;
    column_ += Width(w);
    bytes_ += Width(w);
  }
  void Space() {
    if (column_ > 0) {
      Word(u" ");
    }
  }
  void EndLine() {
    text_ += kCrLf;
    column_ = 0;
    bytes_ += 2;
  }
  void Line(Words w) {
    if (column_ > 0) {
      EndLine();
    }
    text_ += w;
    bytes_ += Width(w);
    EndLine();
  }
  [[nodiscard]] std::size_t Bytes() const { return bytes_; }
  Text Take() { return std::move(text_); }

 private:
  static std::size_t Width(Words w) {
    std::size_t n = 0;
    for (const char16_t c : w) {
      n += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    }
    return n;
  }

  Text text_;
  std::size_t wrap_;
  std::size_t column_ = 0;
  std::size_t bytes_ = 0;
};

Text JapaneseText(const CorpusSpec& spec, Random& random) {
  Writer w(72);  // 36 full-width characters
  while (w.Bytes() < spec.bytes) {
    const bool quoted = random.Percent(15);
    w.Line(random.Pick(kOpenings));
    const std::size_t sentences = 2 + random.Below(5);
    for (std::size_t s = 0; s < sentences; ++s) {
      if (quoted) {
        w.Word(u"> ");
      }
      const std::size_t phrases = 2 + random.Below(4);
      for (std::size_t p = 0; p < phrases; ++p) {
        const std::size_t kind = random.Below(100);
        if (kind < 8) {
          w.Word(random.Pick(kInlineAscii));
        } else if (kind < 22) {
          w.Word(random.Pick(kKatakana));
        } else if (spec.halfwidth_kana && kind < 26) {
          w.Word(random.Pick(kHalfwidth));
        } else {
          w.Word(random.Pick(kNouns));
        }
        w.Word(random.Pick(kParticles));
        if (random.Percent(25)) {
          w.Word(u"、");
        }
      }
      w.Word(random.Pick(kEndings));
      w.Word(u"。");
      if (quoted || random.Percent(30)) {
        w.EndLine();
      }
    }
    w.EndLine();
    if (random.Percent(10)) {
      w.Line(u"--");
      w.Line(u"山田 太郎 <taro.yamada@example.com>");
    }
    w.EndLine();
  }
  return w.Take();
}

Text AsciiText(const CorpusSpec& spec, Random& random) {
  Writer w(72);
  std::size_t message = 0;
  while (w.Bytes() < spec.bytes) {
    ++message;
    w.Line(u"From: Taro Yamada <taro.yamada@example.com>");
    w.Line(u"To: Release Team <release@example.com>");
    w.Line(u"Subject: Re: release notes and test results");
    w.Line(u"Date: Mon, 07 Dec 2026 09:30:00 +0900");
    w.Line(u"Message-ID: <" + Text(1, static_cast<char16_t>(u'a' + message % 26)) +
           u"20261207093000@example.com>");
    w.Line(u"Content-Type: text/plain; charset=ISO-2022-JP");
    w.EndLine();
    const std::size_t paragraphs = 2 + random.Below(4);
    for (std::size_t p = 0; p < paragraphs; ++p) {
      const bool quoted = random.Percent(30);
      const std::size_t words = 20 + random.Below(50);
      for (std::size_t k = 0; k < words; ++k) {
        if (quoted && k % 12 == 0) {
          w.EndLine();
          w.Word(u"> ");
        }
        w.Space();
        w.Word(random.Percent(4) ? random.Pick(kJapaneseInAscii) : random.Pick(kEnglish));
        if (spec.halfwidth_kana && random.Percent(1)) {
          w.Word(random.Pick(kHalfwidth));
        }
      }
      w.Word(u".");
      w.EndLine();
      w.EndLine();
    }
    w.Line(u"-- ");
    w.Line(u"Taro Yamada / 山田 太郎");
    w.EndLine();
  }
  return w.Take();
}

bool IsLead(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Shift_JIS lead and trail to JIS X 0208 row and cell (0x21-0x7E each).
std::array<std::uint8_t, 2> SjisToJisPair(std::uint8_t lead, std::uint8_t trail) {
  int a = lead >= 0xE0 ? lead - 0x40 : lead;
  int row = (a - 0x81) * 2 + 0x21;
  int cell = 0;
  if (trail >= 0x9F) {
    row += 1;
    cell = trail - 0x7E;
  } else {
    cell = trail - 0x1F - (trail >= 0x80 ? 1 : 0);
  }
  return {static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(cell)};
}

ByteBuffer ToJis(std::span<const std::uint8_t> sjis) {
  ByteBuffer out;
  out.reserve(sjis.size() + sjis.size() / 4);
  bool kanji = false;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const std::uint8_t b = sjis[i];
    if (IsLead(b) && i + 1 < sjis.size()) {
      if (!kanji) {
        out.insert(out.end(), {0x1B, 0x24, 0x42});
        kanji = true;
      }
      const auto pair = SjisToJisPair(b, sjis[++i]);
      out.insert(out.end(), pair.begin(), pair.end());
    } else {
      if (kanji) {
        out.insert(out.end(), {0x1B, 0x28, 0x42});
        kanji = false;
      }
      out.push_back(b);  // half-width katakana stay 8-bit bytes, as some mailers sent them
    }
  }
  if (kanji) {
    out.insert(out.end(), {0x1B, 0x28, 0x42});
  }
  return out;
}

ByteBuffer ToEuc(std::span<const std::uint8_t> sjis) {
  ByteBuffer out;
  out.reserve(sjis.size() + sjis.size() / 8);
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const std::uint8_t b = sjis[i];
    if (IsLead(b) && i + 1 < sjis.size()) {
      const auto pair = SjisToJisPair(b, sjis[++i]);
      out.push_back(pair[0] | 0x80);
      out.push_back(pair[1] | 0x80);
    } else if (b >= 0xA1 && b <= 0xDF) {
      out.push_back(0x8E);
      out.push_back(b);
    } else {
      out.push_back(b);
    }
  }
  return out;
}

ByteBuffer ToUtf16Le(const Text& text) {
  ByteBuffer out{0xFF, 0xFE};
  out.reserve(2 * text.size() + 2);
  for (const char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

void Append(ByteBuffer& out, std::string_view ascii) {
  out.insert(out.end(), ascii.begin(), ascii.end());
}

// Base64 body lines of 76 symbols, each ended by LF (mail saved on a POSIX system).
ByteBuffer Base64Lines(std::span<const std::uint8_t> data) {
  static constexpr std::string_view kSymbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  ByteBuffer out;
  out.reserve(data.size() / 57 * 78 + 80);
  for (std::size_t line = 0; line < data.size(); line += 57) {
    const std::size_t end = std::min(data.size(), line + 57);
    for (std::size_t k = line; k < end; k += 3) {
      const std::size_t n = std::min<std::size_t>(3, end - k);
      const std::uint32_t v = (std::uint32_t{data[k]} << 16) |
                              (n > 1 ? std::uint32_t{data[k + 1]} << 8 : 0U) |
                              (n > 2 ? std::uint32_t{data[k + 2]} : 0U);
      out.push_back(static_cast<std::uint8_t>(kSymbols[(v >> 18) & 0x3F]));
      out.push_back(static_cast<std::uint8_t>(kSymbols[(v >> 12) & 0x3F]));
      out.push_back(n > 1 ? static_cast<std::uint8_t>(kSymbols[(v >> 6) & 0x3F]) : '=');
      out.push_back(n > 2 ? static_cast<std::uint8_t>(kSymbols[v & 0x3F]) : '=');
    }
    out.push_back('\n');
  }
  return out;
}

// uuencode as GNU sharutils writes it: 45 bytes a line, "`" for the value 0, LF line ends.
ByteBuffer Uuencoded(std::span<const std::uint8_t> data) {
  const auto symbol = [](std::uint32_t v) {
    return static_cast<std::uint8_t>(v == 0 ? '`' : v + 0x20);
  };
  ByteBuffer out;
  out.reserve(data.size() / 45 * 62 + 200);
  Append(out, "Here is the mail archive you asked for.\n\nbegin 644 mail.txt\n");
  for (std::size_t line = 0; line < data.size(); line += 45) {
    const std::size_t end = std::min(data.size(), line + 45);
    out.push_back(symbol(static_cast<std::uint32_t>(end - line)));
    for (std::size_t k = line; k < end; k += 3) {
      const std::uint32_t v = (std::uint32_t{data[k]} << 16) |
                              (k + 1 < end ? std::uint32_t{data[k + 1]} << 8 : 0U) |
                              (k + 2 < end ? std::uint32_t{data[k + 2]} : 0U);
      for (const int shift : {18, 12, 6, 0}) {
        out.push_back(symbol((v >> shift) & 0x3F));
      }
    }
    out.push_back('\n');
  }
  Append(out, "`\nend\n");
  return out;
}

}  // namespace

const char* StyleName(Style style) {
  return style == Style::japanese ? "japanese" : "ascii";
}

Corpus MakeCorpus(const CorpusSpec& spec) {
  Random random(spec.seed ^ (spec.style == Style::japanese ? 0U : 0xA5C11U));
  Corpus c;
  c.text = spec.style == Style::japanese ? JapaneseText(spec, random) : AsciiText(spec, random);
  c.sjis = TextToBytes(c.text);
  c.jis = ToJis(c.sjis);
  c.euc = ToEuc(c.sjis);
  c.utf16le = ToUtf16Le(c.text);
  c.base64_body = Base64Lines(c.sjis);
  Append(c.base64,
         "From: Taro Yamada <taro.yamada@example.com>\n"
         "To: Hanako Sato <hanako@example.com>\n"
         "Subject: archive\n"
         "MIME-Version: 1.0\n"
         "Content-Type: text/plain; charset=Shift_JIS\n"
         "Content-Transfer-Encoding: base64\n\n");
  c.base64.insert(c.base64.end(), c.base64_body.begin(), c.base64_body.end());
  c.uuencoded = Uuencoded(c.sjis);
  return c;
}

ByteBuffer MakeMail(CorpusSpec spec) {
  const std::size_t total = spec.bytes;
  spec.bytes = total / 4;
  const Corpus corpus = MakeCorpus(spec);
  constexpr std::string_view kHeader =
      "From: =?ISO-2022-JP?B?GyRCOzNLXBsoQg==?= <yamamoto@example.com>\r\n"
      "To: team@example.com\r\nSubject: =?ISO-2022-JP?B?GyRCRGpOYzJxNUQbKEI=?=\r\n"
      "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=part\r\n\r\n"
      "--part\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n";
  ByteBuffer mail(kHeader.begin(), kHeader.end());
  mail.reserve(total + 4096);
  mail.insert(mail.end(), corpus.jis.begin(), corpus.jis.end());
  Append(mail,
         "\r\n--part\r\nContent-Type: text/plain; charset=Shift_JIS\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\n");
  mail.insert(mail.end(), corpus.base64_body.begin(), corpus.base64_body.end());
  Append(mail,
         "\r\n--part\r\nContent-Type: application/octet-stream; name=data.bin\r\n"
         "Content-Disposition: attachment; filename=data.bin\r\nContent-Transfer-Encoding: "
         "base64\r\n\r\n");
  mail.insert(mail.end(), corpus.base64_body.begin(), corpus.base64_body.end());
  Append(mail, "\r\n--part--\r\n");
  return mail;
}

}  // namespace quillora::bench
