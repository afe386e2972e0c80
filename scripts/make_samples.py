#!/usr/bin/env python3
"""Writes the sample input files in samples/, one per decode type and three whole mails, from the
texts below.

Run from anywhere: python3 scripts/make_samples.py
"""
import base64
import binascii
import codecs
from pathlib import Path

SAMPLES = Path(__file__).resolve().parent.parent / "samples"
CRLF = "\r\n"


def lines(*rows):
    return CRLF.join(rows) + CRLF


def jis_mail():
    header = lines(
        "From: Hanako Sato <hanako@example.com>",
        "To: Taro Suzuki <taro@example.com>",
        "Subject: Picnic on Saturday",
        "Date: Sat, 04 Apr 2026 09:30:00 +0900",
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=ISO-2022-JP",
        "Content-Transfer-Encoding: 7bit",
        "",
    )
    body = [
        "太郎さん",
        "",
        "こんにちは。今週の土曜日、公園でお花見をしませんか。",
        "お弁当とお茶はこちらで用意します。",
        "午前十時に北口の大きな桜の木の下で待っています。",
        "",
        "花子",
    ]
    # Each line is encoded on its own, so that every line ends in ASCII (ESC ( B).
    encoded = b"".join(codecs.encode(row, "iso2022_jp") + b"\r\n" for row in body)
    return header.encode("ascii") + encoded


def euc_halfwidth():
    text = "\n".join([
        "お知らせ",
        "ｺｰﾋｰﾊｳｽ「ｷﾉｺﾉﾓﾘ」は来週から新しいﾒﾆｭｰを出します。",
        "ｼｮｰﾄｹｰｷとｶﾌｪﾗﾃをどうぞ。",
    ]) + "\n"
    data = codecs.encode(text, "euc_jp")
    assert b"\x8e" in data
    return data


def uuencoded_message():
    recipe = lines(
        "抹茶クッキーの作り方",
        "材料：小麦粉百グラム、バター五十グラム、砂糖四十グラム、抹茶小さじ二杯",
        "一、バターと砂糖をよく混ぜる。",
        "二、小麦粉と抹茶をふるって加え、さっくり混ぜる。",
        "三、百七十度のオーブンで十二分焼く。",
    )
    data = codecs.encode(recipe, "cp932")
    block = [b"begin 644 recipe.txt"]
    for start in range(0, len(data), 45):
        block.append(binascii.b2a_uu(data[start:start + 45], backtick=True).rstrip(b"\n"))
    block += [b"`", b"end"]
    # A data line holding "end" would end the block early.
    assert not any(b"end" in row for row in block[1:-1])
    head = lines(
        "From: Kenji Mori <kenji@example.com>",
        "To: Yuki Ito <yuki@example.com>",
        "Subject: The recipe",
        "",
        "Hi Yuki, here is the recipe I promised.",
        "",
    )
    tail = lines("", "See you at the tea party!", "Kenji")
    return head.encode("ascii") + b"\r\n".join(block) + b"\r\n" + tail.encode("ascii")


def base64_mail():
    body = lines(
        "蓮さん",
        "",
        "来月の読書会の本が決まりました。",
        "宮沢賢治の「銀河鉄道の夜」です。",
        "感想を一つ持って、駅前の図書館に集まりましょう。",
        "",
        "葵",
    )
    encoded = base64.encodebytes(codecs.encode(body, "cp932")).decode("ascii")
    header = lines(
        "From: Aoi Kato <aoi@example.com>",
        "To: Ren Nakamura <ren@example.com>",
        "Subject: Book club",
        "Date: Fri, 10 Apr 2026 18:05:00 +0900",
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=Shift_JIS",
        "Content-Transfer-Encoding: Base64",
        "",
    )
    return (header + encoded.replace("\n", CRLF)).encode("ascii")


def utf16le_bom():
    text = lines(
        "旅行のしおり",
        "一日目：京都駅に集合して清水寺を見学",
        "二日目：嵐山で竹林の小道を散歩",
        "持ち物：カメラ、傘、歩きやすい靴",
    )
    return codecs.BOM_UTF16_LE + codecs.encode(text, "utf-16-le")


def b_word(data, charset="ISO-2022-JP"):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(data).decode("ascii"))


def multipart_mail():
    """A mail as a current mailer sends it: an encoded subject, plain text beside HTML, and a
    Shift_JIS CSV attached under a Japanese RFC 2231 name."""
    text = lines(
        "各位",
        "",
        "来週の定例会議の議事次第をお送りします。",
        "出席者の一覧を添付しましたので、ご確認ください。",
        "",
        "総務部 山本",
    )
    html = ("<html><head><style>p { margin: 0 }</style></head><body>"
            "<p>各位</p><p>来週の定例会議の議事次第をお送りします。</p></body></html>")
    attachment = codecs.encode(lines("氏名,部署", "山本,総務部", "田中,営業部"), "cp932")
    name = "出席者一覧.csv"
    rfc2231 = "".join("%%%02X" % b for b in name.encode("utf-8"))
    parts = [
        "--mixed", "Content-Type: multipart/alternative; boundary=alt", "",
        "--alt", "Content-Type: text/plain; charset=ISO-2022-JP", "Content-Transfer-Encoding: 7bit", "",
    ]
    body = lines(*parts).encode("ascii")
    body += b"".join(codecs.encode(row, "iso2022_jp") + b"\r\n" for row in text.split(CRLF)[:-1])
    body += lines(
        "--alt", "Content-Type: text/html; charset=UTF-8", "Content-Transfer-Encoding: base64", "",
        *base64.encodebytes(html.encode("utf-8")).decode("ascii").split(), "--alt--",
        "--mixed", "Content-Type: text/csv; charset=Shift_JIS",
        "Content-Disposition: attachment; filename*=UTF-8''" + rfc2231,
        "Content-Transfer-Encoding: base64", "",
        *base64.encodebytes(attachment).decode("ascii").split(), "--mixed--").encode("ascii")
    header = lines(
        "From: " + b_word(codecs.encode("山本 一郎", "iso2022_jp")) + " <yamamoto@example.com>",
        "To: team@example.com",
        "Subject: " + b_word(codecs.encode("定例会議の議事次第", "iso2022_jp")),
        "Date: Mon, 13 Apr 2026 10:00:00 +0900",
        "MIME-Version: 1.0",
        "Content-Type: multipart/mixed; boundary=mixed",
        "",
    )
    return header.encode("ascii") + body


def windows_jis(text):
    """ISO-2022-JP as Windows writes it (code page 50220): every code page 932 pair as its JIS
    code, the IBM extensions first moved to their NEC-selected codes; half-width kana by ESC ( I."""
    out = bytearray()
    mode = "ascii"
    for ch in text:
        raw = ch.encode("cp932")
        if raw[0] >= 0xFA:
            raw = next(bytes([lead, trail]) for lead in (0xED, 0xEE) for trail in range(0x40, 0xFD)
                       if bytes([lead, trail]).decode("cp932", "replace") == ch)
        if len(raw) == 1 and raw[0] >= 0xA1:
            want, data = "kana", bytes([raw[0] - 0x80])
        elif len(raw) == 1:
            want, data = "ascii", raw
        else:
            lead, trail = raw
            row = (lead - 0x81) * 2 if lead < 0xA0 else (lead - 0xC1) * 2
            data = (bytes([row + 0x22, trail - 0x7E]) if trail >= 0x9F
                    else bytes([row + 0x21, trail - (0x20 if trail >= 0x80 else 0x1F)]))
            want = "kanji"
        if want != mode:
            out += {"ascii": b"\x1b(B", "kana": b"\x1b(I", "kanji": b"\x1b$B"}[want]
            mode = want
        out += data
    if mode != "ascii":
        out += b"\x1b(B"
    return bytes(out)


def windows_jis_mail():
    """ISO-2022-JP from a Windows mailer: NEC row 13, the IBM extensions and half-width kana,
    which ISO-2022-JP proper does not have and most converters refuse."""
    body = [
        "髙橋様",
        "",
        "①見積書（㈱山﨑商事様向け）",
        "②納期：３営業日、数量：５０㌔",
        "ｶﾀﾛｸﾞは別便でお送りします。",
        "",
        "№２０２６－０４１",
    ]
    header = lines(
        "From: Sales <sales@example.com>",
        "To: Takahashi <takahashi@example.com>",
        "Subject: " + b_word(windows_jis("①お見積りの件（髙橋様）")),
        "Date: Tue, 14 Apr 2026 15:20:00 +0900",
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=ISO-2022-JP",
        "Content-Transfer-Encoding: 7bit",
        "",
    )
    return header.encode("ascii") + b"".join(windows_jis(row) + b"\r\n" for row in body)


def broken_mail():
    """A mail as it arrives damaged: kanji runs that a line end cuts off without ESC ( B, a part
    labelled ISO-2022-JP that is UTF-8 and holds a character code page 932 lacks, an EUC-JP part
    with a byte lost in transit, and an attachment whose Base64 stops short."""
    def jis_without_return(row):
        raw = codecs.encode(row, "iso2022_jp")
        return raw[:-3] if raw.endswith(b"\x1b(B") else raw
    first = [
        "山田様",
        "",
        "先日の打ち合わせの資料を再送します。",
        "文字化けがあればお知らせください。",
    ]
    second = lines("追伸：よろしくお願いします🙏", "山本")
    third = codecs.encode(lines("請求書番号：２０２６―１１", "金額は別紙のとおりです。"), "euc_jp")
    lost = third.index(codecs.encode("別紙", "euc_jp")) + 1
    third = third[:lost] + b"\xff" + third[lost + 1:]
    attachment = base64.b64encode(codecs.encode(lines("日付,件名", "11/30,打ち合わせ"), "cp932"))
    header = lines(
        "From: " + b_word(codecs.encode("山本 一郎", "iso2022_jp")) + " <yamamoto@example.com>",
        "To: yamada@example.com",
        "Subject: " + b_word(codecs.encode("資料の再送", "iso2022_jp")),
        "Date: Mon, 30 Nov 2026 09:15:00 +0900",
        "MIME-Version: 1.0",
        "Content-Type: multipart/mixed; boundary=part",
        "",
        "--part",
        "Content-Type: text/plain; charset=ISO-2022-JP",
        "",
    )
    out = header.encode("ascii")
    out += b"".join(jis_without_return(row) + b"\r\n" for row in first)
    out += lines("--part", "Content-Type: text/plain; charset=ISO-2022-JP",
                 "Content-Transfer-Encoding: 8bit", "").encode("ascii") + second.encode("utf-8")
    out += lines("--part", "Content-Type: text/plain; charset=EUC-JP",
                 "Content-Transfer-Encoding: 8bit", "").encode("ascii") + third
    out += lines("--part", "Content-Type: text/csv; charset=Shift_JIS; name=schedule.csv",
                 "Content-Disposition: attachment; filename=schedule.csv",
                 "Content-Transfer-Encoding: base64", "",
                 attachment[:-6].decode("ascii"), "--part--").encode("ascii")
    return out


def main():
    SAMPLES.mkdir(exist_ok=True)
    for name, make in [
        ("jis_mail.txt", jis_mail),
        ("euc_halfwidth.txt", euc_halfwidth),
        ("uuencoded_message.txt", uuencoded_message),
        ("base64_mail.eml", base64_mail),
        ("utf16le_bom.txt", utf16le_bom),
        ("multipart_mail.eml", multipart_mail),
        ("windows_jis_mail.eml", windows_jis_mail),
        ("broken_mail.eml", broken_mail),
    ]:
        (SAMPLES / name).write_bytes(make())


if __name__ == "__main__":
    main()
