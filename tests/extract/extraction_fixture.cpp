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

namespace {

// What the engines wrote takes its name, whatever their outcome.
std::string Published(NewFile& result, const std::string& path) {
  if (!result.complete().ok() || !result.commit().ok()) return "<commit failed>";
  return ReadFile(path);
}

}  // namespace

std::string ExtractionTest::extract(const std::string& inputBytes,
                                    const std::function<void()>& engine, const std::string& name) {
  ctx.TargetPath = dir.file(name);
  ctx.SelPath = dir.file(name + "_SEL");
  if (ctx.targets.empty()) ctx.targets = {ctx.TargetPath};
  WriteFile(ctx.TargetPath, inputBytes);
  ctx.ErrFlag = false;
  Opened<TargetFile> target = files.openTarget({ctx.TargetPath, 0}, false, {});
  if (!target) return "<open failed>";
  Opened<NewFile> result = files.createFile({ctx.SelPath, 0}, &target.file->attributes());
  if (!result || !OpenInOut(ctx, target.file->read(), *result.file)) return "<open failed>";
  engine();
  CloseRunFiles(ctx, ctx.SelPath);
  return Published(*result.file, ctx.SelPath);
}

std::string ExtractionTest::extractJoint(const std::vector<std::string>& inputs,
                                         const std::function<void()>& engine) {
  ctx.targets.clear();
  for (size_t i = 0; i < inputs.size(); ++i) {
    ctx.targets.push_back(dir.file("in" + std::to_string(i + 1) + ".txt"));
    WriteFile(ctx.targets.back(), inputs[i]);
  }
  ctx.SelPath = dir.file("in1.txt_SEL");
  Opened<NewFile> joint = files.createFile({ctx.SelPath, 0}, nullptr);
  if (!joint) return "<create failed>";
  for (const std::string& path : ctx.targets) {
    ctx.TargetPath = path;
    ctx.ErrFlag = false;
    Opened<TargetFile> target = files.openTarget({path, 0}, false, {});
    if (!target || !OpenInOut(ctx, target.file->read(), *joint.file)) return "<open failed>";
    engine();
    CloseRunFiles(ctx, ctx.SelPath);
  }
  return Published(*joint.file, ctx.SelPath);
}

std::vector<std::string> ExtractionTest::boxes() const {
  std::vector<std::string> out;
  for (const auto& b : host.boxes) out.push_back(b.title + "|" + b.text);
  return out;
}

}  // namespace kadrel::test
