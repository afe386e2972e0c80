#!/usr/bin/env python3
"""Measures `quillora-convert guess` against `nkf --guess` on a generated set of inputs.

The set: texts of 2 to 400 characters, cut from a fixed pool of Japanese phrases with a fixed
seed (some with half-width kana, some with the Windows characters of NEC row 13 and the IBM
extensions), each written by Python's codecs in ISO-2022-JP, EUC-JP, Shift_JIS (cp932), UTF-8,
UTF-16LE with and UTF-16BE without a byte-order mark; and the same texts as a mail, as Base64 and
as uuencode. A guess is right when it names the charset the text was written in (for the
wrapped forms: the shape and the charset inside; nkf, which knows no shapes, is given the point
when it names the charset inside).

  python3 scripts/measure_guess.py BUILD/src/quillora-convert [COUNT]
"""
import base64
import binascii
import codecs
import random
import subprocess
import sys
import tempfile
from collections import Counter
from pathlib import Path

PHRASES = [
    "今日は", "いい天気ですね", "会議の資料を送ります", "よろしくお願いします", "東京駅", "新幹線で",
    "大阪へ行きます", "ありがとうございました", "明日の予定", "確認してください", "お世話になっております",
    "株式会社", "見積書", "請求書を添付します", "ご検討ください", "アンケート", "コンピュータ", "メール",
    "プログラム", "データベース", "ネットワーク", "桜が咲きました", "春休み", "夏祭り", "紅葉", "雪景色",
    "温泉旅館", "ラーメン", "寿司", "天ぷら", "お茶", "電話番号", "住所", "郵便番号", "、", "。", "「", "」",
    "（", "）", "・", "ー", "abc", "123", " ", "OK", "Re:", "http://example.com/",
]
HALFWIDTH = ["ｶﾀｶﾅ", "ﾃｽﾄ", "ｺﾝﾋﾟｭｰﾀ", "ﾒｰﾙ", "ｱﾝｹｰﾄ", "ｻｰﾋﾞｽ"]
WINDOWS = ["①", "②", "③", "Ⅰ", "Ⅱ", "㈱", "㈲", "㍉", "㌔", "髙", "﨑", "№", "℡"]


def text_of(rng, length, pool):
    out = ""
    while len(out) < length:
        out += rng.choice(pool)
    return out[:length]


def windows_jis(text):
    """ISO-2022-JP as Windows writes it: code page 932 pairs as JIS codes."""
    out, kanji = bytearray(), False
    for ch in text:
        raw = ch.encode("cp932")
        if raw[0] >= 0xFA:  # IBM extension: its NEC-selected code
            for lead in (0xED, 0xEE):
                for trail in range(0x40, 0xFD):
                    try:
                        if bytes([lead, trail]).decode("cp932") == ch:
                            raw = bytes([lead, trail])
                    except UnicodeDecodeError:
                        pass
        if len(raw) == 1 or 0xA1 <= raw[0] <= 0xDF:
            if kanji:
                out += b"\x1b(B"
                kanji = False
            out += raw if raw[0] < 0x80 else b"\x1b(I" + bytes([raw[0] - 0x80]) + b"\x1b(B"
            continue
        if not kanji:
            out += b"\x1b$B"
            kanji = True
        lead, trail = raw
        row = (lead - 0x81) * 2 if lead < 0xA0 else (lead - 0xC1) * 2
        out += bytes([row + 0x22, trail - 0x7E]) if trail >= 0x9F else \
            bytes([row + 0x21, trail - (0x20 if trail >= 0x80 else 0x1F)])
    if kanji:
        out += b"\x1b(B"
    return bytes(out)


def encodings(text, windows):
    try:
        yield "ISO-2022-JP", codecs.encode(text, "iso2022_jp")
    except UnicodeEncodeError:  # half-width kana and the Windows characters
        yield "ISO-2022-JP", windows_jis(text)
    if not windows:
        yield "EUC-JP", codecs.encode(text, "euc_jp")
    yield "Shift_JIS", text.encode("cp932")
    yield "UTF-8", text.encode("utf-8")
    yield "UTF-16LE", codecs.BOM_UTF16_LE + text.encode("utf-16-le")
    yield "UTF-16BE", text.encode("utf-16-be")


def wrapped(charset, data):
    label = {"UTF-16LE": "UTF-16", "UTF-16BE": "UTF-16BE"}.get(charset, charset)
    if charset.startswith("UTF-16"):
        return
    yield "mail", (b"From: a@example.com\r\nSubject: test\r\nMIME-Version: 1.0\r\n"
                   b"Content-Type: text/plain; charset=" + label.encode() + b"\r\n"
                   b"Content-Transfer-Encoding: base64\r\n\r\n" + base64.encodebytes(data))
    yield "Base64", base64.encodebytes(data)
    rows = [b"begin 644 a.txt"] + [binascii.b2a_uu(data[i:i + 45]).rstrip(b"\n")
                                  for i in range(0, len(data), 45)] + [b"`", b"end"]
    yield "uuencode", b"\n".join(rows) + b"\n"


NKF_NAMES = {"ISO-2022-JP": "ISO-2022-JP", "EUC-JP": "EUC-JP", "Shift_JIS": "Shift_JIS",
             "CP932": "Shift_JIS", "Windows-31J": "Shift_JIS", "UTF-8": "UTF-8",
             "UTF-16": "UTF-16", "UTF-16LE": "UTF-16", "UTF-16BE": "UTF-16", "CP50221": "ISO-2022-JP",
             "CP51932": "EUC-JP", "eucJP-ms": "EUC-JP"}


def nkf_guess(path):
    out = subprocess.run(["nkf", "--guess", str(path)], capture_output=True, text=True).stdout
    name = out.split(" ")[0].split("(")[0].strip()
    return NKF_NAMES.get(name, name)


def quillora_guess(tool, path):
    out = subprocess.run([tool, "guess", str(path)], capture_output=True, text=True).stdout
    return out.split("\t")[0]


def main():
    tool = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    rng = random.Random(2026)
    right = Counter()
    total = Counter()
    misses = Counter()
    examples = {}
    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "input"
        for n in range(count):
            length = [2, 3, 5, 8, 12, 20, 40, 100, 400][n % 9]
            kind = n % 3
            pool = PHRASES + (HALFWIDTH if kind == 1 else []) + (WINDOWS if kind == 2 else [])
            text = text_of(rng, length, pool)
            if text.isascii():
                continue  # the same bytes in every charset: nothing to tell apart
            for charset, data in encodings(text, kind == 2):
                cases = [("text", charset, data)] + [(shape, charset, wrapped_data)
                                                     for shape, wrapped_data in wrapped(charset, data)]
                for shape, truth, content in cases:
                    path.write_bytes(content)
                    expected = truth if shape == "text" else "%s (%s)" % (shape, truth)
                    ours = quillora_guess(tool, path)
                    theirs = nkf_guess(path)
                    nkf_truth = "UTF-16" if truth.startswith("UTF-16") else truth
                    group = "bare text" if shape == "text" else "mail/Base64/uuencode"
                    total[group] += 1
                    right[("quillora", group)] += ours == expected
                    right[("nkf", group)] += theirs == nkf_truth
                    if ours != expected:
                        misses[(expected, ours)] += 1
                        examples.setdefault((expected, ours), text)
    for group in ("bare text", "mail/Base64/uuencode"):
        print("%-22s %4d inputs: quillora %5.1f%%  nkf --guess %5.1f%%" % (
            group, total[group], 100.0 * right[("quillora", group)] / total[group],
            100.0 * right[("nkf", group)] / total[group]))
    for (expected, ours), times in misses.most_common(8):
        print("  quillora miss: %s read as %s (%d), e.g. %r" % (expected, ours, times,
                                                                examples[(expected, ours)]))


if __name__ == "__main__":
    main()
