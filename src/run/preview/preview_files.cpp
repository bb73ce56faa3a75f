#include "run/preview/preview_files.h"

#include <cerrno>
#include <set>
#include <tuple>

#include "core/file_encoding.h"
#include "core/run_context.h"
#include "run/preview/memory_files.h"
#include "run/run_driver.h"

namespace kadrel {

namespace {

bool ReadAll(Opened<InputFile> opened, std::string& bytes) {
  bytes.clear();
  if (!opened) return false;
  char buffer[1 << 16];
  for (;;) {
    const long n = opened.file->read(buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) return false;
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

// How the run read and wrote a file of these bytes.
FileEncoding EncodingOfBytes(const std::string& bytes, const CodePageSetting& setting) {
  return ReadEncoding(MemoryInput(std::make_shared<const std::string>(bytes)), setting).encoding;
}

}  // namespace

const PreviewFiles::Entry* PreviewFiles::find(const std::string& path) const {
  const auto it = written_.find(path);
  return it == written_.end() ? nullptr : &it->second;
}

Opened<InputFile> PreviewFiles::readEntry(const std::string& path) {
  const Entry* e = find(path);
  if (e == nullptr) return real_.openRead(path);
  if (e->bytes) return {MemoryInput(e->bytes), {}};
  if (e->copyOf.empty()) return {nullptr, StatusFromErrno(ENOENT)};
  return real_.openRead(e->copyOf);
}

Opened<InputFile> PreviewFiles::openRead(const std::string& path) {
  return readEntry(path);
}

bool PreviewFiles::contentOf(const std::string& path, std::string& bytes) {
  return ReadAll(readEntry(path), bytes);
}

Opened<OutputFile> PreviewFiles::openWrite(const std::string& path, bool append) {
  if (find(path) == nullptr && real_.isFolder(path)) return {nullptr, StatusFromErrno(EISDIR)};
  auto bytes = std::make_shared<std::string>();
  // Appending to a file copies it first: a copy made of it keeps what it held.
  if (append) std::ignore = contentOf(path, *bytes);
  written_[path] = Entry{bytes, {}};
  return {MemoryOutput(bytes), {}};
}

FileStatus PreviewFiles::copyFile(const std::string& source, const std::string& destination) {
  const Entry* e = find(source);
  if (e == nullptr) {
    if (!real_.exists(source)) return StatusFromErrno(ENOENT);
    if (real_.isFolder(source)) return StatusFromErrno(EISDIR);
    written_[destination] = Entry{nullptr, source};
  } else if (!e->bytes && e->copyOf.empty()) {
    return StatusFromErrno(ENOENT);
  } else {
    written_[destination] = *e;
  }
  return {};
}

FileStatus PreviewFiles::removeFile(const std::string& path) {
  if (!exists(path)) return StatusFromErrno(ENOENT);
  written_[path] = Entry{};
  return {};
}

bool PreviewFiles::exists(const std::string& path) {
  const Entry* e = find(path);
  return e == nullptr ? real_.exists(path) : (e->bytes || !e->copyOf.empty());
}

bool PreviewFiles::isFolder(const std::string& path) {
  return find(path) == nullptr && real_.isFolder(path);
}

void PreviewFiles::report(const RunContext& ctx) {
  const std::set<std::string> targets(ctx.targets.begin(), ctx.targets.end());
  for (const std::string& path : ctx.targets) {
    const Entry* e = find(path);
    if (e == nullptr || (!e->bytes && e->copyOf == path)) continue;  // left as it was
    std::string before, after;
    if (!ReadAll(real_.openRead(path), before) || !contentOf(path, after) || before == after)
      continue;
    const FileEncoding encoding = EncodingOfBytes(before, ctx.options.codePage);
    FileDiff diff(path, false, encoding.codePage, TextOfBytes(std::move(before), encoding),
                  TextOfBytes(std::move(after), encoding));
    sink_.fileChanged(diff);
  }
  for (const auto& [path, e] : written_) {
    if (!e.bytes || targets.count(path) != 0) continue;  // copies and removals
    const FileEncoding encoding = EncodingOfBytes(*e.bytes, ctx.options.codePage);
    FileDiff diff(path, true, encoding.codePage, {}, TextOfBytes(*e.bytes, encoding));
    sink_.fileChanged(diff);
  }
}

void RunPreview(RunContext& ctx, PreviewFiles& files) {
  RunAll(ctx);
  files.report(ctx);
}

}  // namespace kadrel
