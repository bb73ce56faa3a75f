#include "proof/run_world.h"

#include <filesystem>
#include <stdexcept>

#include "combo/step_description.h"
#include "combo/step_line.h"
#include "run/prepare_run.h"
#include "run/run_driver.h"

namespace kadrel::proof {

namespace {

// The content of a file, or nothing when it does not exist.
std::optional<std::string> Content(const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) return std::nullopt;
  return test::ReadFile(path);
}

std::string Describe(const std::optional<std::string>& content) {
  if (!content) return "(missing)";
  if (content->size() > 60) return std::to_string(content->size()) + " bytes";
  return "\"" + *content + "\"";
}

}  // namespace

World::World(const Scenario& scenario) : scenario(scenario) {
  std::filesystem::create_directory(dir_.file("prog"));
  for (const auto& f : scenario.files) {
    test::WriteFile(path(f.name), f.content);
    targets.push_back(path(f.name));
  }
}

void World::run() {
  RunRequest request;
  request.options = scenario.options;
  request.listEntries = targets;
  request.combo = scenario.combo;
  if (scenario.combo) {
    request.comboSteps = scenario.steps;
    for (const std::string& line : scenario.steps)
      request.comboText += DescribeStep(SplitStepLine(line)) + "\r\n";
  } else {
    request.stepLine = scenario.steps.at(0);
  }
  PreparedRun prepared = PrepareRun(host, files, request);
  ctx_ = std::move(prepared.context);
  if (!prepared.ready) throw std::logic_error("the run was refused: " + scenario.steps.at(0));
  if (cancelAtYield > 0) host.cancelAtYield(&ctx_->CancelFlag, cancelAtYield);
  report_ = RunAll(*ctx_);
}

// The name of the backup copy with the scenario's affixes.
std::string World::backupOf(const std::string& name) const {
  return path(scenario.options.FstChrBk + name + scenario.options.LstChrBk);
}

std::vector<std::string> World::boxes() const {
  std::vector<std::string> out;
  for (const auto& b : host.boxes) out.push_back(b.title + "|" + b.text);
  return out;
}

std::vector<std::string> NewContents(const Scenario& scenario) {
  World world(scenario);
  world.run();
  if (!world.host.boxes.empty())
    throw std::logic_error("the run without faults showed " + world.host.boxes[0].text);
  std::vector<std::string> after;
  for (const auto& f : scenario.files) after.push_back(test::ReadFile(world.path(f.name)));
  return after;
}

std::vector<std::string> BrokenPromises(const World& world, const std::vector<std::string>& after) {
  std::vector<std::string> broken;
  const auto& files = world.scenario.files;
  for (size_t i = 0; i < files.size(); ++i) {
    if (world.deletedByTest.count(files[i].name)) continue;
    const auto content = Content(world.path(files[i].name));
    const bool previous = content == files[i].content;
    const bool complete = content == after[i];
    if (previous || complete) continue;
    const auto backup = Content(world.backupOf(files[i].name));
    if (backup != files[i].content)
      broken.push_back(files[i].name + " holds " + Describe(content) + ", its backup copy " +
                       Describe(backup));
    if (world.host.boxes.empty())
      broken.push_back(files[i].name + " changed to neither content without a message");
  }
  for (const auto& box : world.host.boxes)
    if (box.text.find("[ ]") != std::string::npos || box.text.find("[  ]") != std::string::npos)
      broken.push_back("a message names an empty path: " + box.text);
  return broken;
}

}  // namespace kadrel::proof
