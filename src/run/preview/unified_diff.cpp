#include "run/preview/unified_diff.h"

#include <cstdio>

namespace kadrel {

namespace {

// "START,COUNT" as diff -u gives a range: COUNT 1 is left out; an empty range
// starts at the line before it.
std::string Range(size_t start, size_t count) {
  const size_t first = count == 0 ? start : start + 1;
  if (count == 1) return std::to_string(first);
  return std::to_string(first) + "," + std::to_string(count);
}

constexpr const char* kColorEnd = "\033[m";

const char* ColorOf(char kind, DiffColors colors) {
  if (colors == DiffColors::None) return nullptr;
  if (kind == '-') return "\033[31m";
  if (kind == '+') return "\033[32m";
  if (kind == '@') return "\033[36m";
  return nullptr;
}

}  // namespace

std::string DiffPath(std::string_view path) {
  bool plain = true;
  for (unsigned char c : path) plain = plain && c > ' ' && c != 0x7F && c != '"' && c != '\\';
  if (plain) return std::string(path);
  std::string out = "\"";
  for (unsigned char c : path) {
    switch (c) {
      case '"':
      case '\\':
        out += '\\';
        out += static_cast<char>(c);
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (c < ' ' || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\%03o", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string HunkHeader(const Hunk& hunk) {
  return "@@ -" + Range(hunk.oldStart, hunk.oldCount) + " +" + Range(hunk.newStart, hunk.newCount) +
         " @@";
}

std::string UnifiedDiffHeader(const ChangedFile& file) {
  const std::string path = DiffPath(file.path);
  return "--- " + (file.newFile ? std::string("/dev/null") : path) + "\n+++ " + path + "\n";
}

void AppendHunkHeader(const Hunk& hunk, DiffColors colors, std::string& out) {
  const char* color = ColorOf('@', colors);
  if (color != nullptr) out += color;
  out += HunkHeader(hunk);
  if (color != nullptr) out += kColorEnd;
  out += '\n';
}

void AppendHunkLine(char kind, std::string_view line, CodePage codePage, Controls controls,
                    DiffColors colors, std::string& out) {
  const std::string_view end = LineEndOf(line);
  const char* color = ColorOf(kind, colors);
  if (color != nullptr) out += color;
  out += kind;
  AppendShownLine(line.substr(0, line.size() - end.size()), codePage, controls, out);
  if (color != nullptr) out += kColorEnd;
  if (end.empty()) {
    out += "\n\\ No newline at end of file\n";
  } else {
    out += end;
  }
}

}  // namespace kadrel
