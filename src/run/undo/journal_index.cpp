#include "run/undo/journal_index.h"

#include <charconv>
#include <cstdio>

namespace kadrel {

namespace {

constexpr std::string_view kMagic = "Kadrel undo journal 1 ";

// A text on one line, between blanks: bytes that are no graphic ASCII (and "%")
// as %XX.
std::string Escape(std::string_view path) {
  std::string out;
  for (unsigned char c : path) {
    if (c <= ' ' || c == '%' || c == 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size() ||
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr !=
            text.data() + i + 3)
      return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

// Reads the next blank-separated word of line as a number (base 10 or 16).
template <typename T>
bool Take(std::string_view& line, T& value, int base = 10) {
  const size_t end = line.find(' ');
  if (end == std::string_view::npos) return false;
  const auto r = std::from_chars(line.data(), line.data() + end, value, base);
  if (r.ec != std::errc() || r.ptr != line.data() + end) return false;
  line.remove_prefix(end + 1);
  return true;
}

std::optional<JournalEntry> ParseEntry(std::string_view line) {
  JournalEntry e;
  const std::string_view kind = line.substr(0, 5);
  if (kind == "link ") {
    e.kept = Kept::Link;
  } else if (kind == "copy ") {
    e.kept = Kept::Copy;
  } else if (kind == "none ") {
    e.kept = Kept::None;
  } else {
    return std::nullopt;
  }
  line.remove_prefix(5);
  if (!Take(line, e.number) || !Take(line, e.previous.device) || !Take(line, e.previous.inode) ||
      !Take(line, e.keptSize) || !Take(line, e.keptModified) || !Take(line, e.writtenSize) ||
      !Take(line, e.writtenHash, 16))
    return std::nullopt;
  std::optional<std::string> path = Unescape(line);
  if (!path || path->empty()) return std::nullopt;
  e.path = std::move(*path);
  return e;
}

}  // namespace

std::string JournalHeader(int64_t runTime, std::string_view description) {
  std::string header = std::string(kMagic) + std::to_string(runTime);
  if (!description.empty()) header += " " + Escape(description);
  return header + "\n";
}

std::string JournalLine(const JournalEntry& e) {
  char hash[20];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(e.writtenHash));
  const char* kind = e.kept == Kept::Link ? "link " : e.kept == Kept::Copy ? "copy " : "none ";
  return kind + std::to_string(e.number) + " " + std::to_string(e.previous.device) + " " +
         std::to_string(e.previous.inode) + " " + std::to_string(e.keptSize) + " " +
         std::to_string(e.keptModified) + " " + std::to_string(e.writtenSize) + " " + hash + " " +
         Escape(e.path) + "\n";
}

std::optional<JournalIndex> ParseJournal(std::string_view text) {
  if (!text.starts_with(kMagic)) return std::nullopt;
  text.remove_prefix(kMagic.size());
  JournalIndex index;
  size_t end = text.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  const char* lineEnd = text.data() + end;
  const auto r = std::from_chars(text.data(), lineEnd, index.runTime);
  if (r.ec != std::errc()) return std::nullopt;
  if (r.ptr != lineEnd) {
    if (*r.ptr != ' ') return std::nullopt;
    std::optional<std::string> description = Unescape({r.ptr + 1, lineEnd});
    if (!description) return std::nullopt;
    index.description = std::move(*description);
  }
  text.remove_prefix(end + 1);
  // Only whole lines: the last one may have been cut short by a kill.
  while ((end = text.find('\n')) != std::string_view::npos) {
    std::optional<JournalEntry> entry = ParseEntry(text.substr(0, end));
    if (!entry) return std::nullopt;
    index.entries.push_back(std::move(*entry));
    text.remove_prefix(end + 1);
  }
  return index;
}

}  // namespace kadrel
