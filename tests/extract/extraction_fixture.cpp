#include "extraction_fixture.h"

#include "core/engine_loop.h"
#include "io/streams.h"

namespace kadrel::test {

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\r\n";
  return out;
}

namespace {

// What the engines wrote takes its name, whatever their outcome.
std::string Published(NewFile& result, const std::string& path) {
  if (!result.complete().ok() || !result.commit().ok()) return "<commit failed>";
  return ReadFile(path);
}

}  // namespace

void ExtractionTest::runEngine(Opened<InputFile> input, NewFile& output, const Engine& engine) {
  EngineIo io(host, cancel);
  io.options = options;
  io.readPath = targetPath;
  io.writePath = resultPath;
  io.in = std::make_unique<LineReader>(Cancellable(std::move(input.file), cancel), codePage,
                                       bufferSize);
  io.out = std::make_unique<LineWriter>(output.output(), codePage, bufferSize);
  engine(io);
  // As the run closes them: a failure to flush is a write failure of the engine.
  if (io.out && !io.out->close() && !io.ErrFlag) {
    ShowFileErrorBox(host, "File Write Error", io.out->error(), resultPath);
    io.ErrFlag = true;
  }
  io.closeAll();
  failed = io.ErrFlag;
}

std::string ExtractionTest::extract(const std::string& inputBytes, const Engine& engine,
                                    const std::string& name) {
  targetPath = dir.file(name);
  resultPath = dir.file(name + "_SEL");
  WriteFile(targetPath, inputBytes);
  Opened<TargetFile> target = files.openTarget({targetPath, 0}, false, {});
  if (!target) return "<open failed>";
  Opened<NewFile> result = files.createFile({resultPath, 0}, &target.file->attributes());
  if (!result) return "<open failed>";
  runEngine(target.file->read(), *result.file, engine);
  return Published(*result.file, resultPath);
}

std::string ExtractionTest::extractJoint(const std::vector<std::string>& inputs,
                                         const Engine& engine) {
  targetPaths.clear();
  for (size_t i = 0; i < inputs.size(); ++i) {
    targetPaths.push_back(dir.file("in" + std::to_string(i + 1) + ".txt"));
    WriteFile(targetPaths.back(), inputs[i]);
  }
  resultPath = dir.file("in1.txt_SEL");
  Opened<NewFile> joint = files.createFile({resultPath, 0}, nullptr);
  if (!joint) return "<create failed>";
  for (const std::string& path : targetPaths) {
    targetPath = path;
    Opened<TargetFile> target = files.openTarget({path, 0}, false, {});
    if (!target) return "<open failed>";
    runEngine(target.file->read(), *joint.file, engine);
  }
  return Published(*joint.file, resultPath);
}

std::vector<std::string> ExtractionTest::boxes() const {
  std::vector<std::string> out;
  for (const auto& b : host.boxes) out.push_back(b.title + "|" + b.text);
  return out;
}

}  // namespace kadrel::test
