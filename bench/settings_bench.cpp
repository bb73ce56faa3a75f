// Loading and saving all settings from a large Kadrel.ini (a hand-edited file, or
// one other tools share): the time of one LoadAppSettings and one SaveAppSettings.
//
//   settings_bench SIZE_MB...   (default 1 15 80; run by bench/settings_bench.sh)
//
// Each file holds the program's own sections followed by SIZE_MB of foreign keys.
// A file above the size limit is refused at once; its time shows that too.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "settings/app_settings.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void WriteIni(const std::string& path, size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[Settings]\r\nMainLeft=1200\r\nModeIdx=3\r\n[Option]\r\nSelSts=*.txt\r\n"
      << "[recent]\r\n00=alpha\r\n01=beta\r\n[Foreign]\r\n";
  const std::string value(80, 'v');
  for (size_t i = 0, written = 0; written < bytes; ++i) {
    const std::string line = "key" + std::to_string(i) + "=" + value + "\r\n";
    out << line;
    written += line.size();
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1, 15, 80};
  const std::string path = "/tmp/kadrel-settings-bench-" + std::to_string(::getpid()) + ".ini";
  for (int mb : sizes) {
    WriteIni(path, static_cast<size_t>(mb) << 20);
    kadrel::AppSettings settings;
    kadrel::ModeSettings modes;
    auto start = std::chrono::steady_clock::now();
    kadrel::LoadAppSettings(path, settings, modes);
    const double load = Seconds(start);
    start = std::chrono::steady_clock::now();
    kadrel::SaveAppSettings(path, settings, modes);
    const double save = Seconds(start);
    std::printf("%4d MB: load %8.3f s (SelSts %s), save %8.3f s\n", mb, load,
                settings.options.SelSts.c_str(), save);
  }
  std::remove(path.c_str());
  return 0;
}
