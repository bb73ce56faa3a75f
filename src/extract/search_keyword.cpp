#include "extract/search_keyword.h"

#include "core/engine_loop.h"
#include "text/case_fold.h"
#include "text/utf.h"

namespace kadrel {

std::string IllFormedKeywordMessage(const std::u32string& keyword, const PatternIssue& issue,
                                    const std::string& targetPath) {
  return "キーワードの指定に誤りがあります\r" + PatternIssueText(issue) + "\rキーワード[ " +
         U32ToUtf8(keyword) + "]\r[ " + targetPath + "]\r処理を飛ばします";
}

std::optional<WildcardPattern> CompileKeyword(EngineLoop& loop, const std::u32string& keyword) {
  std::u32string pattern = keyword;
  if (!loop.options().caseSensitive) ToUpperInPlace(pattern);
  PatternIssue issue;
  std::optional<WildcardPattern> compiled = WildcardPattern::compile(pattern, &issue);
  if (!compiled) {
    // Name the problem as the user wrote it where the keyword itself shows it.
    PatternIssue asWritten;
    if (!WildcardPattern::compile(keyword, &asWritten)) issue = asWritten;
    loop.fail("", IllFormedKeywordMessage(keyword, issue, loop.io().readPath));
  }
  return compiled;
}

}  // namespace kadrel
