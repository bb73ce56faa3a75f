#!/usr/bin/env python3
"""Compares code page guesses on a corpus made by guess_corpus.py.

usage: guess_table.py CORPUS_DIR GUESS_BENCH [--misses]

Runs Kadrel's guess (GUESS_BENCH, bench/guess_bench.cpp), `nkf --guess` and
`uchardet` over every file of CORPUS_DIR/KIND/ENCODING/ and prints, per kind of
text and encoding, how many files each got right. For Kadrel:

  right    its guess (the likelier code page, when undecided) is the file's
  undec.   the guess does not settle it (a rewriting step that would change the
           file skips it); "+" those whose likelier code page is right
  wrong    settled on a wrong code page: a rewrite would corrupt the file

UTF-16 counts as right for uchardet, which does not name the byte order; a UTF-8
file with a byte order mark counts as right for every tool that says UTF-8.
With --misses, the files Kadrel settled wrongly or left undecided are listed.
"""
import os
import subprocess
import sys

ACCEPTED = {
    "cp932": {"CP932", "SHIFT_JIS", "WINDOWS-31J"},
    "euc-jp": {"EUC-JP"},
    "utf-8": {"UTF-8"},
    "utf-8-bom": {"UTF-8 (BOM)", "UTF-8"},
    "utf-16le": {"UTF-16LE", "UTF-16 LE (BOM)", "UTF-16"},
    "utf-16be": {"UTF-16BE", "UTF-16 BE (BOM)", "UTF-16"},
}
KINDS = ["long", "lines", "word", "kanji", "halfwidth", "logline", "mostlyascii", "latinline",
         "latinfile"]


def run_tool(command, paths):
    """PATH -> the tool's answer for each path ("PATH: ANSWER" lines)."""
    answers = {}
    for start in range(0, len(paths), 500):
        batch = paths[start:start + 500]
        out = subprocess.run(command + batch, capture_output=True, check=False).stdout
        for line in out.decode("utf-8", "replace").splitlines():
            path, _, answer = line.partition(": ")
            answers[path] = answer.strip()
    return answers


def nkf_answer(answer):
    for suffix in (" (LF)", " (CRLF)", " (CR)", " (MIXED NL)"):
        answer = answer.replace(suffix, "")
    return answer.upper() if answer != "UTF-8 (BOM)" else answer


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    corpus, bench = sys.argv[1], sys.argv[2]
    show_misses = "--misses" in sys.argv[3:]
    files = {}
    for kind in KINDS:
        for encoding in ACCEPTED:
            folder = os.path.join(corpus, kind, encoding)
            if os.path.isdir(folder):
                files[(kind, encoding)] = sorted(os.path.join(folder, n) for n in os.listdir(folder))
    paths = [p for group in files.values() for p in group]
    kadrel = run_tool([bench], paths)
    nkf = run_tool(["nkf", "--guess"], paths)
    uchardet = run_tool(["uchardet"], paths)

    header = "%-11s %-9s %5s | %6s %6s %6s | %6s | %8s" % (
        "kind", "encoding", "files", "Kadrel", "undec.", "wrong", "nkf", "uchardet")
    print(header)
    print("-" * len(header))
    totals = [0] * 6
    misses = []
    for (kind, encoding), group in files.items():
        accepted = ACCEPTED[encoding]
        right = undecided = undecided_right = wrong = nkf_right = uchardet_right = 0
        for path in group:
            answer = kadrel.get(path, "")
            guess, _, rival = answer.partition(" ?")
            is_right = guess in accepted or (encoding == "utf-8-bom" and guess == "UTF-8 (BOM)")
            right += is_right
            if rival:
                undecided += 1
                undecided_right += is_right
                misses.append((path, answer))
            elif not is_right:
                wrong += 1
                misses.append((path, answer))
            nkf_right += nkf_answer(nkf.get(path, "")) in accepted
            uchardet_right += uchardet.get(path, "").upper() in accepted
        counts = [len(group), right, undecided, wrong, nkf_right, uchardet_right]
        totals = [t + c for t, c in zip(totals, counts)]
        print("%-11s %-9s %5d | %6d %6s %6d | %6d | %8d" % (
            kind, encoding, counts[0], right, "%d+%d" % (undecided - undecided_right,
                                                          undecided_right) if undecided else "0",
            wrong, nkf_right, uchardet_right))
    print("-" * len(header))
    print("%-21s %5d | %6d %6d %6d | %6d | %8d" % ("all", *totals))
    if show_misses:
        print()
        for path, answer in misses:
            print("%s: %s" % (path, answer))


if __name__ == "__main__":
    main()
