#include "run/runnable_step.h"

#include <type_traits>
#include <variant>

#include "core/engines/engines.h"
#include "core/run_error.h"
#include "extract/extract_engines.h"

namespace kadrel {

void RunStep(EngineIo& io, const StepParams& step) {
  std::visit(
      [&io](const auto& params) {
        using Params = std::decay_t<decltype(params)>;
        if constexpr (std::is_same_v<Params, ReplaceParams>) {
          ReplaceText(io, params);
        } else if constexpr (std::is_same_v<Params, ConvertNewlineParams>) {
          ConvertNewline(io);
        } else if constexpr (std::is_same_v<Params, EditLineEndsParams>) {
          EditLineEnds(io, params);
        } else if constexpr (std::is_same_v<Params, KeywordRangeParams>) {
          ExtractKeywordRange(io, params);
        } else if constexpr (std::is_same_v<Params, MatchingLinesParams>) {
          ExtractMatchingLines(io, params);
        } else {
          static_assert(std::is_same_v<Params, DeleteBlanksParams>);
          DeleteBlanks(io, params);
        }
      },
      step);
}

void RunnableStep::parse(CodePage codePage, const std::string& multiLineReplacement) {
  if (parsedFor_ == codePage) return;
  params_ = ParseStep(record_, multiLineReplacement, codePage);
  parsedFor_ = codePage;
}

bool RunnableStep::writableFor(Host& host, CodePage codePage,
                               const std::string& multiLineReplacement,
                               const std::string& targetPath) {
  try {
    parse(codePage, multiLineReplacement);
  } catch (const UnwritableTextError& e) {
    MessageBoxRequest box;
    box.text = std::string(e.what()) + "\r[ " + targetPath + " ]\r処理を飛ばします";
    host.showMessage(box);
    return false;
  } catch (const RunError&) {
    // shows when the step runs
  }
  return true;
}

void RunnableStep::run(EngineIo& io, CodePage codePage, const std::string& multiLineReplacement) {
  parse(codePage, multiLineReplacement);
  if (params_) RunStep(io, *params_);
}

}  // namespace kadrel
