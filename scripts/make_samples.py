#!/usr/bin/env python3
"""Writes the sample input files in samples/, one per decode type, from the texts below.

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


def main():
    SAMPLES.mkdir(exist_ok=True)
    for name, make in [
        ("jis_mail.txt", jis_mail),
        ("euc_halfwidth.txt", euc_halfwidth),
        ("uuencoded_message.txt", uuencoded_message),
        ("base64_mail.eml", base64_mail),
        ("utf16le_bom.txt", utf16le_bom),
    ]:
        (SAMPLES / name).write_bytes(make())


if __name__ == "__main__":
    main()
