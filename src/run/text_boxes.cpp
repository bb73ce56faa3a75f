#include "run/text_boxes.h"

#include "text/typed_text.h"

namespace kadrel {

namespace {

constexpr const char* kCR = "\r";
// Where the code page is chosen, in the window and on the command line.
constexpr const char* kChooseCodePage =
    "ｵﾌﾟｼｮﾝの設定の「文字コード」（kadrel-cli では -o CodePage=）";

void ShowBox(Host& host, const std::string& text, BoxIcon icon = BoxIcon::Exclamation) {
  MessageBoxRequest box;
  box.text = text;
  box.icon = icon;
  host.showMessage(box);
}

std::string Pair(CodePage likely, CodePage rival) {
  return std::string(CodePageName(likely)) + " とも " + CodePageName(rival) + " とも読めます";
}

}  // namespace

void ShowBinaryFileBox(Host& host, const std::string& path) {
  ShowBox(host, std::string("バイナリファイルのため処理を飛ばします") + kCR + "[ " + path + " ]");
}

void ShowUndecidedSkipBox(Host& host, const std::string& path, CodePage likely, CodePage rival) {
  ShowBox(host, std::string("文字コードを判定できないため処理を飛ばします（") +
                    Pair(likely, rival) + "）" + kCR + "[ " + path + " ]" + kCR + kChooseCodePage +
                    "で指定してください");
}

void ShowUndecidedExtractionBox(Host& host, const std::string& path, CodePage likely,
                                CodePage rival) {
  ShowBox(host,
          std::string("文字コードを判定できないため ") + CodePageName(likely) +
              " として抽出しました（" + Pair(likely, rival) + "）" + kCR + "[ " + path + " ]" +
              kCR + kChooseCodePage + "で指定できます",
          BoxIcon::Information);
}

void ShowJointUnwritableBox(Host& host, const std::string& path, CodePage jointCodePage,
                            char32_t c) {
  ShowBox(host, std::string("連結する抽出結果ファイルに ") + UnwritableText(jointCodePage) + " [ " +
                    CharacterForMessage(c) + " ]" + kCR + "[ " + path + " ]" + kCR +
                    "このファイルの抽出結果は出力しません");
}

}  // namespace kadrel
