// Test main: every test process runs in a fresh temporary home, so no test
// reads or writes the user's settings, event log or locks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tarnix::test::TempDir home("home");
  const std::string h = home.path().string();
  setenv("HOME", h.c_str(), 1);
  for (const char* var : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
                          "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
    std::filesystem::path p = home.path() / var;
    std::filesystem::create_directories(p);
    setenv(var, p.c_str(), 1);
  }
  unsetenv("TARNIX_WINDOWS_ROOT");
  setenv("LANG", "C", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  return RUN_ALL_TESTS();
}
