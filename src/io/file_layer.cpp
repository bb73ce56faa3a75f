#include "io/file_layer.h"

#include <sys/random.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "io/streams.h"

namespace kadrel {

std::string ErrorText(int code) {
  switch (code) {
    case 0:
      return "";
    case kErrNotRegularFile:
      return "通常のファイルではありません。";
    case kErrLinkAtName:
      return "シンボリックリンクです。リンクの先には書き込みません。";
    case kErrLocked:
      return "ほかの Kadrel がこのファイルを処理中です。";
    case kErrReplacedMeanwhile:
      return "処理中にほかのプログラムがファイルを置き換えました。";
    case kErrOwnerNotKept:
      return "ファイルの所有者・グループ・アクセス権を保ったまま書き換えることができません。";
    case kErrAlreadyDone:
      return "このファイルは処理済みです。";
    case kErrFolderReplaced:
      return "対象に加えた後でフォルダーが移動されたか、別のものに置き換えられたため、そのフォルダ"
             "ーの"
             "ファイルは処理しません。";
    case ENOENT:
      return "ファイルが見つかりません。";
    case EACCES:
    case EPERM:
      return "書き込みできません。アクセスが拒否されました。";
    case EROFS:
      return "書き込み禁止のメディアです。";
    case ENOSPC:
    case EDQUOT:
      return "ディスクの空き容量が不足しています。";
    case EISDIR:
      return "フォルダーが指定されました。ファイルではありません。";
    case ENOTDIR:
      return "パスが見つかりません。";
    case EIO:
      return "デバイス I/O エラーです。";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます。";
    case EFBIG:
      return "ファイルが大きすぎます。";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます。";
    case EBUSY:
    case ETXTBSY:
      return "ファイルは既に開かれています。";
    default: {
      char buffer[256];  // strerror_r: files are completed on several threads
      return std::string("ファイル操作でエラーが発生しました。(") +
             ::strerror_r(code, buffer, sizeof buffer) + ")";
    }
  }
}

FileStatus StatusFromErrno(int code) {
  return FileStatus{code, ErrorText(code)};
}

namespace {

// Hands out at most maxBytes; reading further fails with EFBIG.
class BoundedInput : public InputFile {
 public:
  BoundedInput(std::unique_ptr<InputFile> file, size_t maxBytes)
      : file_(std::move(file)), left_(maxBytes) {}
  long read(char* buffer, size_t n) override {
    // One byte more than allowed tells a file at the limit from a larger one.
    const long r = file_->read(buffer, std::min(n, left_ + 1));
    if (r <= 0) return r;
    if (static_cast<size_t>(r) > left_) {
      error_ = StatusFromErrno(EFBIG);
      return -1;
    }
    left_ -= static_cast<size_t>(r);
    return r;
  }
  FileStatus lastError() const override { return error_.ok() ? file_->lastError() : error_; }

 private:
  std::unique_ptr<InputFile> file_;
  size_t left_;
  FileStatus error_;
};

}  // namespace

std::unique_ptr<InputFile> LimitedTo(std::unique_ptr<InputFile> input, size_t maxBytes) {
  return std::make_unique<BoundedInput>(std::move(input), maxBytes);
}

Opened<InputFile> FileLayer::openReadBounded(const std::string& path, size_t maxBytes) {
  Opened<InputFile> opened = openRead(path);
  if (opened) opened.file = LimitedTo(std::move(opened.file), maxBytes);
  return opened;
}

FileStatus ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& bytes) {
  bytes.clear();
  Opened<InputFile> opened = SystemFileLayer().openReadBounded(path, maxBytes);
  if (!opened) return opened.status;
  if (!ReadAll(*opened.file, bytes)) return opened.file->lastError();
  return {};
}

FileStatus FileLayer::restoreKept(TargetFile&, const std::string&) {
  return StatusFromErrno(EXDEV);
}

std::vector<FileStatus> FileLayer::completeAll(const std::vector<NewFile*>& files) {
  std::vector<FileStatus> statuses;
  statuses.reserve(files.size());
  for (NewFile* file : files) statuses.push_back(file->complete());
  return statuses;
}

ReplaceOutcome ReplaceTarget(FileLayer& files, TargetFile& target, NewFile& replacement,
                             const DropPath* backup) {
  ReplaceOutcome outcome;
  // The backup takes its name before the target is replaced: whenever the run
  // stops, the previous content is at the target's name or at the backup's.
  if (backup != nullptr) outcome.backup = files.keepCopy(target, *backup);
  if (!outcome.backup.ok()) return outcome;
  outcome.replace = replacement.commit();
  if (backup != nullptr) target.settleBackup(outcome.replace.ok());
  return outcome;
}

FileStatus ReplaceFileContent(FileLayer& files, const std::string& path, std::string_view bytes) {
  Opened<NewFile> created = files.createFile({path, 0}, nullptr);
  if (!created) return created.status;
  NewFile& file = *created.file;
  std::unique_ptr<OutputFile> out = file.output();
  if (!out->write(bytes.data(), bytes.size()) || !out->close()) return out->lastError();
  if (FileStatus status = file.complete(); !status.ok()) return status;
  if (FileStatus status = file.commit(); !status.ok()) return status;
  const auto unsynced = files.syncFolders();
  return unsynced.empty() ? FileStatus{} : unsynced.front().second;
}

namespace {
constexpr std::string_view kTemporaryPrefix = ".kadrel-temp-";
constexpr size_t kTemporaryRandomLength = 12;
constexpr std::string_view kTemporaryLetters = "0123456789abcdefghijklmnopqrstuvwxyz";
}  // namespace

bool IsTemporaryName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return false;
  const std::string_view rest = name.substr(kTemporaryPrefix.size());
  return rest.size() == kTemporaryRandomLength &&
         rest.find_first_not_of(kTemporaryLetters) == std::string_view::npos;
}

std::string NewTemporaryName() {
  unsigned char bytes[kTemporaryRandomLength];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No random source yet (early boot): the clock and a counter still make the
    // name unlikely to be taken, and creating it exclusively catches the rest.
    static std::atomic<uint64_t> counter{0};
    uint64_t seed =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (counter.fetch_add(1) * 0x9e3779b97f4a7c15ULL);
    for (unsigned char& b : bytes) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      b = static_cast<unsigned char>(seed >> 56);
    }
  }
  std::string name(kTemporaryPrefix);
  for (unsigned char b : bytes) name += kTemporaryLetters[b % kTemporaryLetters.size()];
  return name;
}

}  // namespace kadrel
