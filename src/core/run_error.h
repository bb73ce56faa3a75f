// Errors that end a whole run: raised where a step field does not convert, caught
// only by RunAll, which reports them in the critical box.
#pragma once

#include <stdexcept>
#include <string>

namespace kadrel {

class RunError : public std::runtime_error {
 public:
  RunError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

// A step text holding a character that the code page of the file cannot hold.
class UnwritableTextError : public RunError {
 public:
  using RunError::RunError;
};

// The classic error numbers and their Japanese texts.
enum ErrorNumber {
  kErrInvalidCall = 5,    // "プロシージャの呼び出し、または引数が不正です。"
  kErrOverflow = 6,       // "オーバーフローしました。"
  kErrSubscript = 9,      // "インデックスが有効範囲にありません。"
  kErrOutOfMemory = 7,    // "メモリが不足しています。"
  kErrTypeMismatch = 13,  // "型が一致しません。"
  kErrInternal = 51,      // "内部エラーです。"
};

RunError MakeRunError(int number);

}  // namespace kadrel
