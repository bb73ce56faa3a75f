#include "ui/window_texts.h"

#include "combo/mode_names.h"

#include <optional>

namespace kadrel::ui {

namespace {

std::string VersionNumber() {
  return std::to_string(KADREL_VERSION_MAJOR) + "." + std::to_string(KADREL_VERSION_MINOR) + "." +
         std::to_string(KADREL_VERSION_PATCH);
}

}  // namespace

std::string WindowCaption() {
  return "Kadrel   Ver. " + VersionNumber();
}

std::string ModeName(int mode) {
  const std::optional<StepMode> m = ModeOfNumber(mode);
  return m ? std::string(kadrel::ModeName(*m)) : std::string();
}

std::string OutputCaption(int mode) {
  const std::optional<StepMode> m = ModeOfNumber(mode);
  if (m == StepMode::Combo) return "（連続実行）";
  if (m && Extracts(*m)) return "作成されるﾌｧｲﾙは 「抽出結果ﾌｧｲﾙ」です";
  return "作成されるﾌｧｲﾙは 「ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ」です";
}

std::string ProjectSite() {
  return KADREL_SITE;
}

std::string LegalNotice() {
  return "Copyright (C) Kadrel の開発者";
}

std::string VersionBoxText(const std::string& homePage) {
  return "Kadrel        Version " + VersionNumber() + "\r\n" +
         "ﾃｷｽﾄ形式ﾌｧｲﾙの文字列制御を行います\r\n\r\n" + LegalNotice() + "\r\n\r\n" + homePage;
}

}  // namespace kadrel::ui
