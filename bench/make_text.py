#!/usr/bin/env python3
"""Writes a CP932 text file of about SIZE bytes for the rewriting benchmarks.

usage: make_text.py PATH SIZE_MB {lf|crlf}

Lines mix ASCII words and hiragana, some with leading or trailing half-width and
full-width spaces, some empty or spaces only. A pool of distinct blocks is built
once and written round-robin, so that large files are quick to make.
"""
import random
import sys

SPACES = [" ", "\u3000"]
HIRAGANA = [chr(c) for c in range(0x3041, 0x3094)]


def word(rng):
    if rng.random() < 0.3:
        return "".join(rng.choice(HIRAGANA) for _ in range(rng.randint(1, 6)))
    return "".join(rng.choice("abcdefghijklmnopqrstuvwxyz0123456789") for _ in range(rng.randint(1, 10)))


def line(rng):
    r = rng.random()
    if r < 0.08:
        return ""
    if r < 0.12:
        return "".join(rng.choice(SPACES) for _ in range(rng.randint(1, 6)))
    text = " ".join(word(rng) for _ in range(rng.randint(1, 12)))
    if rng.random() < 0.3:
        text = "".join(rng.choice(SPACES) for _ in range(rng.randint(1, 8))) + text
    if rng.random() < 0.3:
        text += "".join(rng.choice(SPACES) for _ in range(rng.randint(1, 4)))
    return text


def main():
    path, size_mb, ending = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    eol = {"lf": "\n", "crlf": "\r\n"}[ending]
    rng = random.Random(20240601)
    blocks = []
    for _ in range(16):
        lines = [line(rng) for _ in range(16000)]
        blocks.append((eol.join(lines) + eol).encode("cp932"))
    target = size_mb * 1000 * 1000
    written = 0
    with open(path, "wb") as f:
        i = 0
        while written < target:
            block = blocks[i % len(blocks)]
            f.write(block)
            written += len(block)
            i += 1


if __name__ == "__main__":
    main()
