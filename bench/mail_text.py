#!/usr/bin/env python3
"""Peer of `quillora-convert mail` for bench/compare.sh: Python's email package reads a mail,
decodes its headers and every text part, and writes them as code page 932.

    mail_text.py MAIL > TEXT
"""
import sys
from email import policy
from email.parser import BytesParser


def main() -> None:
    with open(sys.argv[1], "rb") as mail:
        message = BytesParser(policy=policy.default).parse(mail)
    pieces = [f"{name}: {value}\n" for name, value in message.items()]
    for part in message.walk():
        if part.get_content_maintype() == "text":
            pieces.append(part.get_content())
    sys.stdout.buffer.write("".join(pieces).encode("cp932", "replace"))


if __name__ == "__main__":
    main()
