// Run-wide option values, edited in the options dialog and stored in section Option.
#pragma once

#include <cstdint>
#include <string>

#include "text/code_page_setting.h"

namespace kadrel {

struct RunOptions {
  int16_t CompMode = 0;        // non-zero: comparisons tell upper and lower case apart
  std::string SelSts = "*.*";  // extension patterns accepted on drop
  std::string FstChrBk;        // backup copy prefix
  std::string LstChrBk = "_BK";
  std::string FstChr;  // extraction result prefix
  std::string LstChr = "_SEL";
  int16_t SelFile = 0;       // non-zero: one joint result file for the run
  int16_t SelAddSts = 0;     // non-zero: no header and trailer in results
  int16_t AddLineNo = 0;     // 1: line numbers in front of extracted lines
  int16_t BkupEdit = 1;      // 1: keep the backup copy of a rewritten file
  int16_t UpdateNoFile = 1;  // 1: rewrite even when a replacement found nothing
  int16_t UndoJournal = 1;   // 1: keep what a run replaces, so that it can be taken back
  std::string PtnName1 = "(No.1)";
  std::string PtnName2 = "(No.2)";
  std::string PtnName3 = "(No.3)";
  // Stored as CodePage: auto (the default: each file in the code page its bytes
  // show), CP932, UTF-8 or EUC-JP.
  CodePageSetting codePage = CodePageSetting::Auto();
};

}  // namespace kadrel
