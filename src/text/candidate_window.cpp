#include "text/candidate_window.h"

#include <algorithm>

namespace kadrel {

void CandidateWindow::decode(std::string_view text, size_t from, size_t known, size_t to,
                             bool textEnds, bool withOffsets) {
  begin_ = codec_.charStartAtOrBefore(text, from, known);
  // The bytes that decide the characters beginning before `to`.
  const size_t stop = std::min(text.size(), std::max(to, begin_) + codec_.maxCodeLength() - 1);
  chars_.clear();
  offsets_.clear();
  const std::string_view bytes = text.substr(begin_, stop - begin_);
  end_ = begin_ + codec_.decodePart(bytes, chars_, textEnds && stop == text.size(),
                                    withOffsets ? &offsets_ : nullptr);
  if (rule_ == CaseRule::Fold) {
    FoldCaseInPlace(chars_);
  } else if (rule_ == CaseRule::Upper) {
    ToUpperInPlace(chars_);
  }
}

}  // namespace kadrel
