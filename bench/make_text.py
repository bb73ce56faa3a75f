#!/usr/bin/env python3
"""Writes a CP932 text file of about SIZE bytes for the benchmarks.

usage: make_text.py PATH SIZE_MB {lf|crlf|none|mb} [mixed|prose|log]

mixed (the default): lines mix ASCII words and hiragana, some with leading or
trailing half-width and full-width spaces, some empty or spaces only.

prose: Japanese prose (kanji, kana, full-width punctuation, letters and digits)
with ASCII lines among it: English sentences (one in about thirty holds "lazy
dog"), log lines, and rarely a line holding ERROR (about one in two thousand),
error or Error.

log: log lines, each but the ERROR lines (about one in two thousand) holding
"done": the end keyword of a range on nearly every line.

With the ending none the lines are joined without line ends: one long line; with
mb they are joined by spaces into lines of about a megabyte (10^6 bytes), each
ended by CR LF.
A pool of distinct blocks is built once and written round-robin, so that large
files are quick to make. A prose file is cut to SIZE_MB * 10^6 bytes at most, after
a line end (or, one line, after an ASCII character).
"""
import random
import sys

SPACES = [" ", "\u3000"]
HIRAGANA = [chr(c) for c in range(0x3041, 0x3094)]

KANJI_WORDS = ("日本 東京 会社 社員 会議 資料 報告 確認 作業 処理 結果 問題 対応 連絡 予定 "
               "今日 明日 昨日 午前 午後 時間 場所 担当 部長 課長 顧客 注文 出荷 在庫 品番 "
               "請求 契約 変更 追加 削除 登録 更新 設定 管理 運用 障害 復旧 調査 原因 表示 "
               "機能 画面 文字 変換 入力 出力 送信 受信 完了 開始 終了 検討 提案 説明 意見").split()
KATAKANA_WORDS = ("データ システム サーバー ファイル メール プロジェクト スケジュール "
                  "ミーティング レポート バックアップ ネットワーク ユーザー パスワード "
                  "テスト ログ エラー メッセージ").split()
PARTICLES = "は が を に で と の も へ から まで より".split()
ENDINGS = ["です", "でした", "します", "しました", "しています", "ではありません", "となります",
           "をお願いします", "と思います", "が必要です"]
FULL_WIDTH = ["ＡＢＣ", "ＸＹＺ", "１２３", "２０２４年", "第３章", "ＯＫ", "ＰＣ", "①", "②", "Ⅲ"]
ENGLISH = ["The quick brown fox jumps over the lazy dog.",
           "Please check the attached file and reply by Friday.",
           "All systems are running normally at this time.",
           "Meeting notes were sent to the project members.",
           "Backup finished without problems on server node two."]


def word(rng):
    if rng.random() < 0.3:
        return "".join(rng.choice(HIRAGANA) for _ in range(rng.randint(1, 6)))
    return "".join(rng.choice("abcdefghijklmnopqrstuvwxyz0123456789") for _ in range(rng.randint(1, 10)))


def mixed_line(rng):
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


def sentence(rng):
    parts = []
    for _ in range(rng.randint(2, 5)):
        r = rng.random()
        if r < 0.6:
            parts.append(rng.choice(KANJI_WORDS))
        elif r < 0.8:
            parts.append(rng.choice(KATAKANA_WORDS))
        elif r < 0.9:
            parts.append(rng.choice(FULL_WIDTH))
        else:
            parts.append(" %d " % rng.randint(1, 999))
        parts.append(rng.choice(PARTICLES))
        if rng.random() < 0.3:
            parts.append("、")
    text = "".join(parts) + rng.choice(KANJI_WORDS) + rng.choice(ENDINGS) + "。"
    if rng.random() < 0.1:
        text = "「" + text + "」"
    return text


def prose_line(rng):
    r = rng.random()
    if r < 0.0005:
        return "2024-06-01 12:%02d:%02d ERROR request %d failed: disk full" % (
            rng.randint(0, 59), rng.randint(0, 59), rng.randint(1, 99999))
    if r < 0.001:
        return rng.choice(["an error was logged", "Error: retry later"]) + " " + sentence(rng)
    if r < 0.034:
        return "The quick brown fox jumps over the lazy dog."
    if r < 0.15:
        return rng.choice(ENGLISH)
    if r < 0.25:
        return "2024-06-01 12:%02d:%02d INFO request %d done in %d ms" % (
            rng.randint(0, 59), rng.randint(0, 59), rng.randint(1, 99999), rng.randint(1, 999))
    if r < 0.28:
        return ""
    return "".join(sentence(rng) for _ in range(rng.randint(1, 3)))


def log_line(rng):
    stamp = "2024-06-01 12:%02d:%02d" % (rng.randint(0, 59), rng.randint(0, 59))
    request = rng.randint(1, 99999)
    if rng.random() < 0.0005:
        return "%s ERROR request %d failed: disk full" % (stamp, request)
    level = "WARN" if rng.random() < 0.05 else "INFO"
    return "%s %s request %d done in %d ms (%s)" % (stamp, level, request, rng.randint(1, 999),
                                                   sentence(rng))


def main():
    path, size_mb, ending = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    kind = sys.argv[4] if len(sys.argv) > 4 else "mixed"
    megabyte_lines = ending == "mb"
    eol = {"lf": "\n", "crlf": "\r\n", "none": "", "mb": " "}[ending]
    make_line = {"mixed": mixed_line, "prose": prose_line, "log": log_line}[kind]
    rng = random.Random(20240601)
    blocks = []
    for _ in range(16):
        lines = [make_line(rng) for _ in range(16000)]
        blocks.append((eol.join(lines) + eol).encode("cp932"))
    target = size_mb * 1000 * 1000
    written = 0
    if megabyte_lines:
        write_megabyte_lines(path, blocks, target)
        return
    with open(path, "wb") as f:
        i = 0
        while written < target:
            block = blocks[i % len(blocks)]
            if kind != "mixed" and written + len(block) > target:
                # Cut at the size: after a line end, or (one line) after an ASCII character.
                block = block[:target - written]
                cut = block.rfind(eol.encode()) + len(eol) if eol else len(block)
                while not eol and cut > 0 and block[cut - 1] >= 0x80:
                    cut -= 1
                f.write(block[:cut])
                break
            f.write(block)
            written += len(block)
            i += 1


def write_megabyte_lines(path, blocks, target):
    """The blocks (lines joined by spaces) cut into lines of about 10^6 bytes, each
    at a space (which the CR LF replaces); the file ends with a line end."""
    line_bytes = 1000 * 1000
    written = 0
    line = 0  # bytes of the current line so far
    with open(path, "wb") as f:
        i = 0
        while written < target:
            block = blocks[i % len(blocks)]
            i += 1
            at = 0
            while at < len(block) and written < target:
                cut = block.find(b" ", at + max(0, line_bytes - line))
                if cut < 0:
                    f.write(block[at:])
                    line += len(block) - at
                    written += len(block) - at
                    break
                f.write(block[at:cut] + b"\r\n")
                written += cut - at + 2
                line = 0
                at = cut + 1
        if line > 0:
            f.write(b"\r\n")


if __name__ == "__main__":
    main()
