#include "run/preview/stream_diff.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "io/spill_text.h"
#include "run/preview/line_diff.h"

namespace kadrel {

namespace {

constexpr size_t kReadPiece = size_t{1} << 16;
// The added lines of a change held until its removed lines are all walked:
// beyond this, in a temporary file.
constexpr size_t kAddedInMemory = size_t{8} << 20;

// The lines of a text read ahead of the comparison.
class LineWindow {
 public:
  LineWindow(InputFile& in, const DiffWindow& bound) : in_(in), bound_(bound) {}

  // Reads on until the window holds its bound or the rest of the text. False
  // on a read failure.
  bool fill() {
    while (!eof_ && (ends_.empty() ||
                     (ends_.size() < bound_.lines && buffer_.size() - start_ < bound_.bytes))) {
      if (start_ > 0 && start_ >= buffer_.size() / 2) compact();
      const size_t at = buffer_.size();
      buffer_.resize(at + kReadPiece);
      const long r = in_.read(buffer_.data() + at, kReadPiece);
      buffer_.resize(at + static_cast<size_t>(std::max(r, 0L)));
      if (r < 0) return false;
      if (r == 0) {
        eof_ = true;
        if (buffer_.size() > lastEnd()) ends_.push_back(buffer_.size());  // no LF at its end
        break;
      }
      for (size_t from = at; from < buffer_.size();) {
        const void* lf = std::memchr(buffer_.data() + from, '\n', buffer_.size() - from);
        if (lf == nullptr) break;
        from = static_cast<size_t>(static_cast<const char*>(lf) - buffer_.data()) + 1;
        ends_.push_back(from);
      }
    }
    return true;
  }
  // True when the window holds the rest of the text.
  bool complete() const { return eof_ && lastEnd() == buffer_.size(); }
  std::vector<std::string_view> lines() const {
    std::vector<std::string_view> lines;
    lines.reserve(ends_.size());
    size_t begin = start_;
    for (size_t end : ends_) {
      lines.emplace_back(buffer_.data() + begin, end - begin);
      begin = end;
    }
    return lines;
  }
  void drop(size_t count) {
    if (count == 0) return;
    start_ = ends_[count - 1];
    ends_.erase(ends_.begin(), ends_.begin() + static_cast<long>(count));
  }

 private:
  size_t lastEnd() const { return ends_.empty() ? start_ : ends_.back(); }
  void compact() {
    buffer_.erase(0, start_);
    for (size_t& end : ends_) end -= start_;
    start_ = 0;
  }

  InputFile& in_;
  DiffWindow bound_;
  std::string buffer_;
  size_t start_ = 0;          // where the first line of the window begins
  std::vector<size_t> ends_;  // where each line of the window ends
  bool eof_ = false;
};

// Passes the lines on in the order of a diff: the added lines of a change after
// all its removed ones, however many windows the change spans.
class OrderedWalk {
 public:
  explicit OrderedWalk(LineWalk& walk) : walk_(walk) {}
  void equal(std::string_view line) {
    finishChange();
    walk_.line(' ', line);
  }
  void removed(std::string_view line) { walk_.line('-', line); }
  void added(std::string_view line) { added_.append(line); }
  // The added lines held, walked. False when they could not be read back.
  bool finishChange() {
    if (added_.empty()) return true;
    std::unique_ptr<InputFile> in = added_.read();
    std::string carry;
    std::vector<char> piece(kReadPiece);
    for (;;) {
      const long r = in->read(piece.data(), piece.size());
      if (r < 0) return false;
      if (r == 0) break;
      std::string_view bytes(piece.data(), static_cast<size_t>(r));
      for (size_t lf; (lf = bytes.find('\n')) != std::string_view::npos;) {
        if (carry.empty()) {
          walk_.line('+', bytes.substr(0, lf + 1));
        } else {
          carry.append(bytes.substr(0, lf + 1));
          walk_.line('+', carry);
          carry.clear();
        }
        bytes.remove_prefix(lf + 1);
      }
      carry.append(bytes);
    }
    if (!carry.empty()) walk_.line('+', carry);  // the last line, without its LF
    added_.clear();
    return true;
  }

 private:
  LineWalk& walk_;
  SpillText added_{kAddedInMemory};
};

// The lines of a window whose changes are taken: at least one.
size_t TakenOf(size_t lines) {
  return lines - lines / 4;
}

}  // namespace

bool DiffStreams(InputFile& oldText, InputFile& newText, LineWalk& walk, DiffWindow window) {
  LineWindow a(oldText, window), b(newText, window);
  OrderedWalk out(walk);
  for (;;) {
    if (!a.fill() || !b.fill()) return false;
    const std::vector<std::string_view> la = a.lines(), lb = b.lines();
    const std::vector<LineChange> changes = DiffLines(la, lb);
    size_t i = 0, j = 0;
    auto equalUpTo = [&](size_t oldEnd) {
      for (; i < oldEnd; ++i, ++j) out.equal(la[i]);
    };
    auto change = [&](size_t oldEnd, size_t newEnd) {
      for (; i < oldEnd; ++i) out.removed(la[i]);
      for (; j < newEnd; ++j) out.added(lb[j]);
    };
    if (a.complete() && b.complete()) {
      for (const LineChange& c : changes) {
        equalUpTo(c.oldStart);
        change(c.oldStart + c.oldCount, c.newStart + c.newCount);
      }
      equalUpTo(la.size());
      return out.finishChange();
    }
    // Only the first three quarters of each window are taken: near its end a
    // change may only seem one for want of the lines after it.
    const size_t takenA = TakenOf(la.size()), takenB = TakenOf(lb.size());
    bool cut = false;
    for (const LineChange& c : changes) {
      equalUpTo(c.oldStart);
      if ((c.oldStart > 0 || c.newStart > 0) && (c.oldStart >= takenA || c.newStart >= takenB)) {
        cut = true;
        break;
      }
      const size_t oldEnd = c.oldStart + c.oldCount, newEnd = c.newStart + c.newCount;
      if (oldEnd <= takenA && newEnd <= takenB) {
        change(oldEnd, newEnd);
        continue;
      }
      // The change up to there: the rest is compared again with what follows.
      change(std::min(oldEnd, std::max(takenA, c.oldStart)),
             std::min(newEnd, std::max(takenB, c.newStart)));
      cut = true;
      break;
    }
    if (!cut) equalUpTo(la.size());  // the rest of both windows is equal
    a.drop(i);
    b.drop(j);
  }
}

}  // namespace kadrel
