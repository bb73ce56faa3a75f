#!/usr/bin/env python3
"""Builds a corpus of real Japanese text for measuring code page guesses.

usage: guess_corpus.py OUT_DIR [PER_KIND [SEED]]

The text is what Debian ships: the Japanese manual pages (manpages-ja), vim's
Japanese tutor and menus, GnuPG's Japanese help, and the Japanese message
catalogs under /usr/share/locale/ja (read straight from their .mo files). From
it come samples of seven kinds, at most PER_KIND (default 200) of each, picked
at random with a fixed seed (SEED, default 1) so that every run builds the
same corpus:

  long        a whole document (a manual page, the tutor, ...)
  lines       three consecutive lines, the middle one holding Japanese
  word        one run of Japanese characters (kana and kanji), 2 to 6 long
  kanji       one word of two kanji alone
  halfwidth   one katakana word in half-width katakana
  logline     one ASCII log line holding a short Japanese message
  mostlyascii about two kilobytes of ASCII program text with one Japanese comment
  latinline   one line of a package's copyright file holding Latin letters or
              signs beyond ASCII (names such as Möller, ©), no Japanese
  latinfile   a whole copyright file holding such lines

Each sample is written in every encoding that holds all its characters (the
Latin ones in UTF-8 and UTF-16 only: no one writes them in a Japanese code page), as
OUT_DIR/KIND/ENCODING/NNNN.txt, ENCODING one of cp932, euc-jp, utf-8, utf-8-bom,
utf-16le, utf-16be (the UTF-16 ones with their byte order mark).
"""
import gzip
import os
import random
import re
import struct
import sys
import unicodedata

ENCODINGS = {
    "cp932": lambda t: t.encode("cp932"),
    "euc-jp": lambda t: t.encode("euc_jp"),
    "utf-8": lambda t: t.encode("utf-8"),
    "utf-8-bom": lambda t: b"\xef\xbb\xbf" + t.encode("utf-8"),
    "utf-16le": lambda t: b"\xff\xfe" + t.encode("utf-16-le"),
    "utf-16be": lambda t: b"\xfe\xff" + t.encode("utf-16-be"),
}

JAPANESE = "\u3040-\u30ff\u4e00-\u9fff"
HAS_JAPANESE = re.compile("[" + JAPANESE + "]")
NON_ASCII = re.compile("[^\x00-\x7f]")
RUN = re.compile("[" + JAPANESE + "]{2,6}")
KANJI_PAIR = re.compile("(?<![\u4e00-\u9fff])[\u4e00-\u9fff]{2}(?![\u4e00-\u9fff])")
KATAKANA_WORD = re.compile("(?<![\u30a0-\u30ff])[\u30a1-\u30fa\u30fc]{2,8}(?![\u30a0-\u30ff])")


def read_text(path):
    opener = gzip.open if path.endswith(".gz") else open
    try:
        with opener(path, "rb") as f:
            data = f.read()
        return data.decode("utf-8")
    except (OSError, UnicodeDecodeError):
        return None


def documents():
    """(name, text) of every Japanese document found."""
    roots = ["/usr/share/man/ja"]
    found = []
    for root in roots:
        for folder, _, names in os.walk(root):
            for name in sorted(names):
                found.append(os.path.join(folder, name))
    vim = "/usr/share/vim"
    for folder, _, names in os.walk(vim):
        for name in sorted(names):
            if name.endswith(("ja.utf-8", "ja_jp.utf-8.vim", "ja.utf-8.vim")):
                found.append(os.path.join(folder, name))
    found.append("/usr/share/gnupg/help.ja.txt")
    docs = []
    for path in sorted(set(found)):
        if os.path.islink(path) or not os.path.isfile(path):
            continue
        text = read_text(path)
        if text and HAS_JAPANESE.search(text):
            docs.append((path, text))
    return docs


def catalog_messages(path):
    """The translations held by one .mo file, when it is UTF-8."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 28:
        return []
    magic = struct.unpack("<I", data[:4])[0]
    order = "<" if magic == 0x950412DE else ">"
    _, count, _, table = struct.unpack(order + "4I", data[4:20])
    messages = []
    for i in range(count):
        length, offset = struct.unpack(order + "2I", data[table + 8 * i:table + 8 * i + 8])
        raw = data[offset:offset + length]
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError:
            return []
        messages.extend(part for part in text.split("\0") if part)
    return messages


def messages():
    folder = "/usr/share/locale/ja/LC_MESSAGES"
    found = []
    if os.path.isdir(folder):
        for name in sorted(os.listdir(folder)):
            if name.endswith(".mo"):
                found.extend(m for m in catalog_messages(os.path.join(folder, name))
                             if HAS_JAPANESE.search(m) and "Content-Type:" not in m)
    return found


def half_width(katakana):
    """A full-width katakana word in half-width katakana; None when one has none."""
    table = {}
    for code in range(0xFF61, 0xFFA0):
        table[unicodedata.normalize("NFKC", chr(code))] = chr(code)
    out = []
    for c in unicodedata.normalize("NFD", katakana):
        if c == "\u3099":
            out.append("\uff9e")
        elif c == "\u309a":
            out.append("\uff9f")
        elif c in table:
            out.append(table[c])
        else:
            return None
    return "".join(out)


def unique(items):
    seen = set()
    return [x for x in items if not (x in seen or seen.add(x))]


def pick(rng, items, count):
    items = unique(items)
    rng.shuffle(items)
    return items[:count]


ASCII_PROGRAM = """#include <stdio.h>
#include <stdlib.h>

static int parse_line(const char *line, long *value)
{
    char *end;
    *value = strtol(line, &end, 10);
    return end != line;
}

int main(int argc, char **argv)
{
    char line[256];
    long total = 0, value;
    FILE *in = argc > 1 ? fopen(argv[1], "r") : stdin;
    if (in == NULL) {
        perror(argv[1]);
        return 1;
    }
    /* %s */
    while (fgets(line, sizeof line, in) != NULL) {
        if (parse_line(line, &value))
            total += value;
    }
    printf("%%ld\\n", total);
    return 0;
}
"""


def samples(per_kind, seed):
    rng = random.Random(seed)
    docs = documents()
    msgs = messages()
    corpus_text = [text for _, text in docs] + msgs
    lines = [line for text in corpus_text for line in text.split("\n")]
    jlines = [line.strip() for line in lines if HAS_JAPANESE.search(line)]

    kinds = {}
    kinds["long"] = pick(rng, [text for _, text in docs if len(text.encode()) >= 2048], per_kind)

    triples = []
    for _, text in docs:
        doc_lines = text.split("\n")
        for i in range(1, len(doc_lines) - 1):
            if HAS_JAPANESE.search(doc_lines[i]):
                triples.append("\n".join(doc_lines[i - 1:i + 2]) + "\n")
    kinds["lines"] = pick(rng, triples, per_kind)

    all_runs = [m.group(0) for line in jlines for m in RUN.finditer(line)]
    kinds["word"] = pick(rng, all_runs, per_kind)
    kinds["kanji"] = pick(rng, [m.group(0) for line in jlines for m in KANJI_PAIR.finditer(line)],
                          per_kind)
    katakana = [m.group(0) for line in jlines for m in KATAKANA_WORD.finditer(line)]
    kinds["halfwidth"] = pick(rng, [h for h in map(half_width, katakana) if h], per_kind)

    short = [m for m in unique(msgs) if len(m) <= 16 and "\n" not in m and "%" not in m]
    levels = ["ERROR", "WARN", "INFO"]
    log = []
    for i, message in enumerate(pick(rng, short, per_kind)):
        log.append("2024-05-%02d %02d:%02d:%02d %s [worker-%d] %s (code=%d)\n" %
                   (1 + i % 28, i % 24, i % 60, (7 * i) % 60, levels[i % 3], i % 8, message, i))
    kinds["logline"] = log
    comments = [l[:60] for l in jlines if "*/" not in l and HAS_JAPANESE.search(l[:60])]
    kinds["mostlyascii"] = [ASCII_PROGRAM % line for line in pick(rng, comments, per_kind)]
    latin_files = []
    doc = "/usr/share/doc"
    for name in sorted(os.listdir(doc)):
        path = os.path.join(doc, name, "copyright")
        if os.path.isfile(path) and not os.path.islink(path):
            text = read_text(path)
            if text and NON_ASCII.search(text) and not HAS_JAPANESE.search(text):
                latin_files.append(text)
    kinds["latinfile"] = pick(rng, latin_files, per_kind)
    kinds["latinline"] = pick(rng, [line.strip(" \t\ufeff") + "\n" for text in latin_files
                                    for line in text.split("\n") if NON_ASCII.search(line.strip(" \t\ufeff"))],
                              per_kind)
    return kinds


def main():
    if len(sys.argv) not in (2, 3, 4):
        sys.exit(__doc__)
    out = sys.argv[1]
    per_kind = int(sys.argv[2]) if len(sys.argv) >= 3 else 200
    seed = int(sys.argv[3]) if len(sys.argv) >= 4 else 1
    for kind, texts in samples(per_kind, seed).items():
        for encoding, encode in ENCODINGS.items():
            if kind.startswith("latin") and not encoding.startswith("utf"):
                continue
            folder = os.path.join(out, kind, encoding)
            os.makedirs(folder, exist_ok=True)
            for i, text in enumerate(texts):
                try:
                    data = encode(text)
                except UnicodeEncodeError:
                    continue
                with open(os.path.join(folder, "%04d.txt" % i), "wb") as f:
                    f.write(data)


if __name__ == "__main__":
    main()
