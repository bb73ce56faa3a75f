#include "run/undo/journal_index.h"

#include <charconv>
#include <cstdio>

namespace kadrel {

namespace {

// Version 1 had no folders, no link count and no written file's id.
constexpr std::string_view kMagic1 = "Kadrel undo journal 1 ";
constexpr std::string_view kMagic2 = "Kadrel undo journal 2 ";
constexpr std::string_view kDrop = "drop ";
constexpr std::string_view kGap = "gap";
constexpr std::string_view kUnnamed = "more ";

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

std::optional<std::string> TakePath(std::string_view text) {
  std::optional<std::string> path = Unescape(text);
  if (!path || path->empty() || path->front() != '/') return std::nullopt;
  return path;
}

std::optional<JournalEntry> ParseEntry(std::string_view line, int version) {
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
      !Take(line, e.keptSize) || !Take(line, e.keptModified))
    return std::nullopt;
  if (version >= 2 && !Take(line, e.keptLinks)) return std::nullopt;
  if (!Take(line, e.writtenSize) || !Take(line, e.writtenHash, 16)) return std::nullopt;
  if (version >= 2 && (!Take(line, e.written.device) || !Take(line, e.written.inode)))
    return std::nullopt;
  std::optional<std::string> path = TakePath(line);
  if (!path) return std::nullopt;
  e.path = std::move(*path);
  return e;
}

// One line after the header into index; false when it is none of ours.
bool ParseLine(std::string_view line, int version, JournalIndex& index) {
  if (version >= 2) {
    if (line.starts_with(kDrop) && index.entries.empty() && !index.gap) {
      std::optional<std::string> folder = TakePath(line.substr(kDrop.size()));
      if (!folder || !folder->ends_with('/')) return false;
      index.dropFolders.push_back(std::move(*folder));
      return true;
    }
    if (line == kGap) {
      index.gap = true;
      return true;
    }
    if (line.starts_with(kUnnamed) && index.gap) {
      std::string_view count = line.substr(kUnnamed.size());
      const auto r = std::from_chars(count.data(), count.data() + count.size(), index.unnamed);
      return r.ec == std::errc() && r.ptr == count.data() + count.size();
    }
  }
  std::optional<JournalEntry> entry = ParseEntry(line, version);
  // After the gap the journal names files only: it kept nothing of them.
  if (!entry || (index.gap && entry->kept != Kept::None)) return false;
  index.entries.push_back(std::move(*entry));
  return true;
}

}  // namespace

std::string JournalHeader(int64_t runTime, std::string_view description,
                          const std::vector<std::string>& dropFolders) {
  std::string header = std::string(kMagic2) + std::to_string(runTime);
  if (!description.empty()) header += " " + Escape(description);
  header += "\n";
  for (const std::string& folder : dropFolders)
    header += std::string(kDrop) + Escape(folder) + "\n";
  return header;
}

std::string JournalLine(const JournalEntry& e) {
  char hash[20];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(e.writtenHash));
  const char* kind = e.kept == Kept::Link ? "link " : e.kept == Kept::Copy ? "copy " : "none ";
  return kind + std::to_string(e.number) + " " + std::to_string(e.previous.device) + " " +
         std::to_string(e.previous.inode) + " " + std::to_string(e.keptSize) + " " +
         std::to_string(e.keptModified) + " " + std::to_string(e.keptLinks) + " " +
         std::to_string(e.writtenSize) + " " + hash + " " + std::to_string(e.written.device) + " " +
         std::to_string(e.written.inode) + " " + Escape(e.path) + "\n";
}

std::string JournalGapLine() {
  return std::string(kGap) + "\n";
}

std::string JournalUnnamedLine(uint64_t count) {
  return std::string(kUnnamed) + std::to_string(count) + "\n";
}

std::optional<JournalIndex> ParseJournal(std::string_view text) {
  int version = 0;
  if (text.starts_with(kMagic1)) {
    version = 1;
  } else if (text.starts_with(kMagic2)) {
    version = 2;
  } else {
    return std::nullopt;
  }
  text.remove_prefix(kMagic2.size());
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
    if (!ParseLine(text.substr(0, end), version, index)) return std::nullopt;
    text.remove_prefix(end + 1);
  }
  return index;
}

bool InDrop(const JournalIndex& index, const std::string& path) {
  return InDrop(index.dropFolders, path);
}

bool InDrop(const std::vector<std::string>& dropFolders, const std::string& path) {
  // A path that climbs out of a folder, or names one twice, is no path of ours.
  if (path.find("/../") != std::string::npos || path.find("/./") != std::string::npos ||
      path.find("//") != std::string::npos || path.ends_with("/..") || path.ends_with("/."))
    return false;
  if (dropFolders.empty()) return true;
  for (const std::string& folder : dropFolders) {
    if (path.size() > folder.size() && path.starts_with(folder)) return true;
  }
  return false;
}

}  // namespace kadrel
