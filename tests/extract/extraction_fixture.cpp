#include "extraction_fixture.h"

#include <algorithm>
#include <cerrno>

#include "core/file_routines.h"

namespace kadrel::test {

namespace {

class FailingInput : public InputFile {
 public:
  FailingInput(std::unique_ptr<InputFile> inner, long limit)
      : inner_(std::move(inner)), left_(limit) {}
  long read(char* buffer, size_t n) override {
    if (left_ <= 0) {
      failed_ = true;
      return -1;
    }
    long got = inner_->read(buffer, std::min(n, static_cast<size_t>(left_)));
    if (got > 0) left_ -= got;
    return got;
  }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(EIO) : inner_->lastError();
  }

 private:
  std::unique_ptr<InputFile> inner_;
  long left_;
  bool failed_ = false;
};

class FailingOutput : public OutputFile {
 public:
  FailingOutput(std::unique_ptr<OutputFile> inner, long limit)
      : inner_(std::move(inner)), left_(limit) {}
  bool write(const char* data, size_t n) override {
    if (static_cast<long>(n) > left_) {
      failed_ = true;
      return false;
    }
    left_ -= static_cast<long>(n);
    return inner_->write(data, n);
  }
  bool close() override { return inner_->close() && !failed_; }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(ENOSPC) : inner_->lastError();
  }

 private:
  std::unique_ptr<OutputFile> inner_;
  long left_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<InputFile> FaultyFiles::openRead(const std::string& path, FileStatus& status) {
  auto file = SystemFileLayer().openRead(path, status);
  if (file && failReadAfter >= 0)
    return std::make_unique<FailingInput>(std::move(file), failReadAfter);
  return file;
}

std::unique_ptr<OutputFile> FaultyFiles::openWrite(const std::string& path, bool append,
                                                   FileStatus& status) {
  auto file = SystemFileLayer().openWrite(path, append, status);
  if (file && failWriteAfter >= 0) {
    return std::make_unique<FailingOutput>(std::move(file), failWriteAfter);
  }
  return file;
}

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
