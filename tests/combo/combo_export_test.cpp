#include <gtest/gtest.h>

#include "combo/combo_export.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"
#include "support/fake_host.h"

namespace kadrel {
namespace {

TEST(BuildExportLine, WindowStepsAsStepLines) {
  const struct {
    StepRecord step;
    const char* line;
  } cases[] = {
      {StepRecord({"3", "BEGIN", "END"}), "3,BEGIN,END,#"},
      {StepRecord({"0", "0", "abc", "0", "xyz", "1"}), "0,0,abc,0,xyz,#"},  // field 6 never
      {StepRecord({"0", "0", "abc", "0", "xyz", "0"}), "0,0,abc,0,xyz,#"},
      {StepRecord({"1"}), "1,#"},
      {StepRecord({"4", "A", "True", "B", "False", "C"}), "4,A,True,B,False,C,#"},
      {StepRecord({"2", "0", "6", "2", "0", "6", "", "000100", "100"}),
       "2,0,6,2,0,6,,000100,100,#"},
      {StepRecord({"5", "1", "0", "0", "0", "1"}), "5,1,0,0,0,1,#"},
  };
  for (const auto& c : cases) {
    const std::string line = BuildExportLine(c.step);
    EXPECT_EQ(line, c.line);
    // The line loads back as a valid step.
    test::FakeHost host;
    StepRecord back = SplitStepLine(line);
    EXPECT_EQ(ValidateStep(host, back, line, CodePage::CP932), StepCheck::Valid) << line;
  }
  MessageBoxRequest refusal = ExportRefusalBox();
  EXPECT_EQ(refusal.text, "この処理の連続技はできません。");
  EXPECT_EQ(refusal.icon, BoxIcon::Exclamation);
  EXPECT_EQ(refusal.buttons, BoxButtons::Ok);
}

}  // namespace
}  // namespace kadrel
