#include "extraction_fixture.h"

#include "core/file_routines.h"

namespace kadrel::test {

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\r\n";
  return out;
}

ExtractionTest::ExtractionTest() {
  ctx.options.codePage = CodePage::UTF8;
}

std::string ExtractionTest::extract(const std::string& inputBytes,
                                    const std::function<void()>& engine, const std::string& name) {
  ctx.TargetPath = dir.file(name);
  ctx.SelPath = dir.file(name + "_SEL");
  if (ctx.targets.empty()) ctx.targets = {ctx.TargetPath};
  WriteFile(ctx.TargetPath, inputBytes);
  ctx.ErrFlag = false;
  if (!OpenInOut(ctx, ctx.TargetPath, ctx.SelPath)) return "<open failed>";
  engine();
  CloseRunFiles(ctx, ctx.SelPath);
  return ReadFile(ctx.SelPath);
}

std::string ExtractionTest::extractJoint(const std::vector<std::string>& inputs,
                                         const std::function<void()>& engine) {
  ctx.targets.clear();
  for (size_t i = 0; i < inputs.size(); ++i) {
    ctx.targets.push_back(dir.file("in" + std::to_string(i + 1) + ".txt"));
    WriteFile(ctx.targets.back(), inputs[i]);
  }
  ctx.SelPath = dir.file("in1.txt_SEL");
  if (!CreateEmpty(ctx, ctx.SelPath)) return "<create failed>";
  for (const std::string& target : ctx.targets) {
    ctx.TargetPath = target;
    ctx.ErrFlag = false;
    if (!OpenInAppend(ctx, ctx.TargetPath, ctx.SelPath)) return "<open failed>";
    engine();
    CloseRunFiles(ctx, ctx.SelPath);
  }
  return ReadFile(ctx.SelPath);
}

std::vector<std::string> ExtractionTest::boxes() const {
  std::vector<std::string> out;
  for (const auto& b : host.boxes) out.push_back(b.title + "|" + b.text);
  return out;
}

}  // namespace kadrel::test
