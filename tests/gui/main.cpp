// One QApplication for every window test, in an environment whose home and
// XDG directories are fresh and empty, so that a test can prove the program
// writes nothing of its own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "gui_test_support.h"

namespace {
std::string g_scratch;
}

const std::string& quillon::testing::ScratchHome() {
  return g_scratch;
}

int main(int argc, char** argv) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "quillon-gui-home-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  g_scratch = pattern;
  const std::pair<const char*, const char*> dirs[] = {{"HOME", "home"},
                                                      {"XDG_CONFIG_HOME", "config"},
                                                      {"XDG_CACHE_HOME", "cache"},
                                                      {"XDG_DATA_HOME", "data"},
                                                      {"XDG_STATE_HOME", "state"}};
  for (const auto& [variable, name] : dirs) {
    const std::string dir = g_scratch + "/" + name;
    std::filesystem::create_directory(dir);
    ::setenv(variable, dir.c_str(), 1);
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  std::error_code ec;
  std::filesystem::remove_all(g_scratch, ec);
  return result;
}
