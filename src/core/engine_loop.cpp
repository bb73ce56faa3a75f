#include "core/engine_loop.h"

#include <cerrno>

namespace kadrel {

void ShowFileErrorBox(RunContext& ctx, const char* title, const FileStatus& status,
                      const std::string& path) {
  MessageBoxRequest box;
  box.title = title;
  box.text = status.text + "\r[ " + path + "]";
  ctx.host.showMessage(box);
}

EngineLoop::EngineLoop(RunContext& ctx, std::string writePath)
    : ctx_(ctx), writePath_(std::move(writePath)) {}

template <typename ReadFn>
bool EngineLoop::advance(ReadFn&& read) {
  if (!ctx_.in) {
    failRead();
    return false;
  }
  if (ctx_.in->atEnd()) {
    finished_ = true;
    return false;
  }
  if (!read(*ctx_.in)) {
    failRead();
    return false;
  }
  return true;
}

bool EngineLoop::next(std::u32string& line) {
  return advance([&](LineReader& in) { return in.readLine(line, &forms_); });
}

bool EngineLoop::nextRaw(std::string& bytes) {
  return advance([&](LineReader& in) { return in.readRaw(bytes); });
}

void EngineLoop::decode(std::string_view bytes, std::u32string& line) {
  line.clear();
  const TextCodec& codec = ctx_.in ? ctx_.in->codec() : CodecFor(ctx_.readEncoding().codePage);
  codec.decode(bytes, line, &forms_);
}

bool EngineLoop::write(std::u32string_view line) {
  if (ctx_.out && ctx_.out->writeLine(line, &forms_)) return true;
  failWrite();
  return false;
}

bool EngineLoop::writeRaw(std::string_view bytes) {
  // A joint result file may be in another code page than this input: the line
  // goes in as its characters (byte forms belong to the input's code page).
  if (ctx_.in && ctx_.out && &ctx_.in->codec() != &ctx_.out->codec()) {
    transcoded_.clear();
    ctx_.in->codec().decode(bytes, transcoded_);
    if (ctx_.out->writeLine(transcoded_)) return true;
    failWrite();
    return false;
  }
  if (ctx_.out && ctx_.out->writeRawLine(bytes)) return true;
  failWrite();
  return false;
}

bool EngineLoop::writeBytes(std::string_view bytes) {
  if (ctx_.out && ctx_.out->writeRaw(bytes)) return true;
  failWrite();
  return false;
}

bool EngineLoop::yield() {
  ctx_.host.yield();
  if (ctx_.CancelFlag.load()) {
    ctx_.closeAll();
    return false;
  }
  return true;
}

void EngineLoop::failRead() {
  FileStatus status = ctx_.in ? ctx_.in->error() : StatusFromErrno(9);
  if (status.code == ECANCELED) {  // a cancel heard in the middle of a long line
    ctx_.closeAll();
    return;
  }
  if (status.ok()) status = StatusFromErrno(5);
  ShowFileErrorBox(ctx_, "File Read Error", status, ctx_.TargetPath);
  ctx_.ErrFlag = true;
  ctx_.closeAll();
}

void EngineLoop::failWrite() {
  FileStatus status = ctx_.out ? ctx_.out->error() : StatusFromErrno(9);
  if (status.ok()) status = StatusFromErrno(5);
  ShowFileErrorBox(ctx_, "File Write Error", status, writePath_);
  ctx_.ErrFlag = true;
  ctx_.closeAll();
}

void EngineLoop::fail(const std::string& title, const std::string& text) {
  MessageBoxRequest box;
  box.title = title;
  box.text = text;
  ctx_.host.showMessage(box);
  ctx_.ErrFlag = true;
  ctx_.closeAll();
}

}  // namespace kadrel
