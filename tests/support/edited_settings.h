// Mode settings with every value unlike its default, as a window might hold them:
// what the settings tests save, load and compare.
#pragma once

#include "settings/mode_settings.h"

namespace kadrel::test {

inline ModeSettings EditedModeSettings() {
  ModeSettings s;
  s.ModeIdx = 4;
  s.TrimChr = "検索";
  s.ChangeChr = " 置換 ";
  s.TrimTab0 = 1;
  s.TrimTab1 = 1;
  s.TrimCR1 = 1;
  s.TrimLF1 = 1;
  s.Position = 1;
  s.ComboCol = "10";
  s.ComboAct = 2;
  s.STRCheck = 1;
  s.ComboSPCol = "3";
  s.ADDText = "挿入";
  s.ComboLineSt = "0001";
  s.ComboLineSkp = "10";
  s.StartChr = "BEGIN";
  s.EndChr = "END";
  s.SrcChr0 = "A";
  s.SrcChr1 = "B";
  s.SrcChr2 = "C";
  s.ChkAndOr0 = false;
  s.ChkAndOr1 = false;
  s.LineDel = 1;
  s.SPLineDel = 1;
  s.TrimLeft = 1;
  s.TrimAll = 1;
  s.TrimRight = 1;
  return s;
}

}  // namespace kadrel::test
