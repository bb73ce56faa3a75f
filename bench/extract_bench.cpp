// Benchmarks of the extraction engines and the wildcard matcher.
//
//   extract_bench gen FILE MEGABYTES         writes a CP932 log-like text file
//   extract_bench matcher                    the matcher on pathological star patterns
//
// CASE is CompMode: 1 tells upper and lower case apart, 0 does not. The run
// commands print the wall-clock and the CPU seconds (user + system) of the whole
// run: check, open, engine, close.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "core/host.h"
#include "extract/wildcard.h"
#include "io/file_layer.h"
#include "text/code_page.h"
#include "text/utf.h"

using namespace kadrel;

namespace {

double Seconds(const std::function<void()>& work) {
  auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A small deterministic generator, so that every run writes the same file.
struct Lcg {
  uint64_t state = 0x2545F4914F6CDD1DULL;
  uint32_t next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  }
  uint32_t below(uint32_t n) { return next() % n; }
};

int Generate(const std::string& path, long megabytes) {
  const TextCodec& sjis = CodecFor(CodePage::CP932);
  const char* infos[] = {
      "受注処理 No.%06u を登録しました（顧客コード C%04u、担当：山田）",
      "出荷指示 %06u を倉庫 %u に送信しました",
      "request id=%u user=%u path=/api/v1/orders status=200 time=12ms",
      "ﾊﾞｯﾁ処理 %u 件目 完了 残り %u 件",
      "在庫照会 品番 A-%05u 数量 %u 個　問題なし",
  };
  const char* warns[] = {"ディスク残量が少なくなっています: /data/vol%u 残り %u%%",
                         "応答が遅延しています（%u ms）接続 %u"};
  const char* errors[] = {"データベース接続に失敗しました code=%u 再試行 %u 回目",
                          "ファイル書込みエラー：容量不足 (errno %u, 対象 %u)"};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    std::cerr << "cannot write " << path << "\n";
    return 1;
  }
  Lcg random;
  const long target = megabytes * 1000L * 1000L;
  long written = 0;
  long lineNo = 0;
  long batch = 0;
  long rangeLeft = -1;  // lines until END of the open batch; -1 when none is open
  std::string chunk;
  char text[512];
  while (written < target) {
    ++lineNo;
    std::string line;
    uint32_t a = random.below(1000000);
    uint32_t b = random.below(100);
    snprintf(text, sizeof text, "2024-06-%02ld %02ld:%02ld:%02ld.%03u ", 1 + lineNo / 3000000 % 28,
             lineNo / 36000 % 24, lineNo / 600 % 60, lineNo / 10 % 60, a % 1000);
    line = text;
    if (rangeLeft < 0 && random.below(1000) == 0) {
      ++batch;
      snprintf(text, sizeof text, "=== START バッチ %04ld 開始 ===", batch);
      line += text;
      rangeLeft = 20 + random.below(80);
    } else if (rangeLeft == 0) {
      snprintf(text, sizeof text, "=== END バッチ %04ld 終了 ===", batch);
      line += text;
      rangeLeft = -1;
    } else {
      uint32_t kind = random.below(100);
      if (kind == 0) {
        line += "[ERROR] ";
        snprintf(text, sizeof text, errors[random.below(2)], a, b);
      } else if (kind < 4) {
        line += "[WARN ] ";
        snprintf(text, sizeof text, warns[random.below(2)], a, b);
      } else {
        line += "[INFO ] ";
        snprintf(text, sizeof text, infos[random.below(5)], a, b);
      }
      line += text;
      if (rangeLeft > 0) --rangeLeft;
    }
    line += "\r\n";
    chunk += sjis.encode(Utf8ToU32(line));
    if (chunk.size() > (1 << 20)) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      written += static_cast<long>(chunk.size());
      chunk.clear();
    }
  }
  out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  written += static_cast<long>(chunk.size());
  std::cout << written << " bytes, " << lineNo << " lines, " << batch << " ranges\n";
  return out ? 0 : 1;
}

// Backtracking over "*" and letters: what a naive matcher does.
bool Backtrack(const char32_t* p, const char32_t* t) {
  if (*p == 0) return *t == 0;
  if (*p == U'*') {
    for (;; ++t) {
      if (Backtrack(p + 1, t)) return true;
      if (*t == 0) return false;
    }
  }
  return *t != 0 && *p == *t && Backtrack(p + 1, t + 1);
}

int Matcher() {
  // Containment, as the engines test lines: the text matches "*" pattern "*".
  const std::u32string pattern = U"*a*a*a*a*b";
  const std::u32string contains = U"*" + pattern + U"*";
  auto compiled = WildcardPattern::compile(pattern);
  printf("%s in lines of 'a' without a 'b' (no match), seconds per line\n",
         U32ToUtf8(pattern).c_str());
  printf("%10s %14s %14s\n", "length", "compiled", "backtracking");
  for (size_t n : {25, 50, 100, 1000, 100000, 10000000}) {
    std::u32string text(n, U'a');
    int repeat = n <= 1000 ? 10000 : n <= 100000 ? 100 : 3;
    bool found = false;
    double ours = Seconds([&] {
                    for (int i = 0; i < repeat; ++i) found |= compiled->foundIn(text);
                  }) /
                  repeat;
    std::string naive = "-";
    if (n <= 100) {
      double t = Seconds([&] { found |= Backtrack(contains.c_str(), text.c_str()); });
      char buf[64];
      snprintf(buf, sizeof buf, "%.3e", t);
      naive = buf;
    }
    printf("%10zu %14.3e %14s%s\n", n, ours, naive.c_str(), found ? " (!)" : "");
  }

  // Containment of plain and starred keywords in 80-character upper-cased lines.
  const std::u32string alphabet = U"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
  std::vector<std::u32string> lines;
  Lcg random;
  for (int i = 0; i < 100000; ++i) {
    std::u32string line;
    for (int k = 0; k < 80; ++k) line += alphabet[random.below(alphabet.size())];
    lines.push_back(line);
  }
  for (std::u32string keyword : {U"START", U"ERR*DISK", U"[A-C]#?X", U"*A*A*A*A*B", U"A?B?C"}) {
    auto p = WildcardPattern::compile(keyword);
    long hits = 0;
    double best = 1e9;  // the best of several passes: the machine may be shared
    for (int pass = 0; pass < 7; ++pass) {
      hits = 0;
      best = std::min(best, Seconds([&] {
                        for (const auto& line : lines) hits += p->foundIn(line);
                      }));
    }
    printf("contains %-12s %7.1f M lines/s (%ld hits)\n", U32ToUtf8(keyword).c_str(),
           lines.size() / best / 1e6, hits);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() == 3 && a[0] == "gen") return Generate(a[1], std::atol(a[2].c_str()));
  if (a.size() == 1 && a[0] == "matcher") return Matcher();
  std::cerr << "usage: extract_bench gen FILE MB | matcher\n";
  return 2;
}
