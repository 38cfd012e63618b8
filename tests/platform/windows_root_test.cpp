#include "platform/windows_root.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace tarnix {
namespace {
namespace fs = std::filesystem;

void MakeDirs(const fs::path& base, std::initializer_list<const char*> names) {
  for (const char* n : names) fs::create_directories(base / n);
}

TEST(WindowsRoot, ResolvesNamesIgnoringCase) {
  test::TempDir t("winroot");
  MakeDirs(t.path(), {"Windows/system32/DriverStore", "Windows/system32/Drivers"});
  t.Write("Windows/system32/kernel32.dll", "MZ");

  EXPECT_EQ(ResolveWindowsPath(t.path(), L"windows/SYSTEM32/KERNEL32.DLL"),
            t.path() / "Windows/system32/kernel32.dll");
  EXPECT_EQ(ResolveWindowsPath(t.path(), L"Windows\\System32\\drivers"),
            t.path() / "Windows/system32/Drivers");
  EXPECT_EQ(ResolveWindowsPath(t.path(), L"Windows/system32/driverstore/"),
            t.path() / "Windows/system32/DriverStore");
  EXPECT_TRUE(ResolveWindowsPath(t.path(), L"Windows/system32/user32.dll").empty());
  EXPECT_TRUE(ResolveWindowsPath(t.path(), L"Windows/kernel32.dll/x").empty());
  EXPECT_TRUE(ResolveWindowsPath({}, L"Windows").empty());
}

TEST(WindowsRoot, WindowsFolderFromTheSettingFirst) {
  test::TempDir t("winroot");
  MakeDirs(t.path(), {"c/WINDOWS/system32/DRIVERS", "c/WINDOWS/SysWow64", "c/program files",
                      "c/Program Files (x86)", "d/Windows/System32", "wsl/Windows/System32"});
  WindowsRootSearch where;
  where.setting = t.path() / "c/WINDOWS/";
  where.environment = t.path() / "d/Windows";
  where.wslRoots = {t.path() / "wsl/Windows"};

  WindowsRoot root = WindowsRoot::Discover(where);
  ASSERT_TRUE(root.found());
  EXPECT_EQ(root.source(), WindowsRootSource::kSetting);
  EXPECT_EQ(root.root(), t.path() / "c/WINDOWS");
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem64), t.path() / "c/WINDOWS/system32");
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem32), t.path() / "c/WINDOWS/SysWow64");
  EXPECT_EQ(root.Folder(WindowsFolder::kDrivers), t.path() / "c/WINDOWS/system32/DRIVERS");
  EXPECT_EQ(root.Folder(WindowsFolder::kProgramFiles64), t.path() / "c/program files");
  EXPECT_EQ(root.Folder(WindowsFolder::kProgramFiles32), t.path() / "c/Program Files (x86)");

  // A setting that is no Windows folder is passed over (and said so); a
  // 32-bit Windows has no 64-bit folders.
  where.setting = t.path() / "nowhere";
  root = WindowsRoot::Discover(where);
  EXPECT_EQ(root.source(), WindowsRootSource::kEnvironment);
  ASSERT_EQ(root.notes().size(), 1u);
  EXPECT_NE(root.notes()[0].find("not a Windows folder"), std::string::npos);
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem32), t.path() / "d/Windows/System32");
  EXPECT_TRUE(root.Folder(WindowsFolder::kSystem64).empty());
  EXPECT_TRUE(root.Folder(WindowsFolder::kProgramFiles64).empty());
  EXPECT_TRUE(root.Folder(WindowsFolder::kDrivers).empty());

  where.setting.clear();
  where.environment.clear();
  root = WindowsRoot::Discover(where);
  EXPECT_EQ(root.source(), WindowsRootSource::kWsl);
  EXPECT_TRUE(root.notes().empty());
}

TEST(WindowsRoot, WineFolders) {
  test::TempDir t("winroot");
  MakeDirs(t.path(), {"lib64/wine/x86_64-windows", "lib32/wine/i386-windows",
                      "prefix/drive_c/Program Files", "prefix/drive_c/Program Files (x86)"});
  WindowsRootSearch where;
  where.wslRoots = {t.path() / "no/Windows"};
  where.wineLibraries = {t.path() / "none/wine", t.path() / "lib64/wine", t.path() / "lib32/wine"};
  where.winePrefix = t.path() / "prefix";

  WindowsRoot root = WindowsRoot::Discover(where);
  ASSERT_EQ(root.source(), WindowsRootSource::kWine);
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem64), t.path() / "lib64/wine/x86_64-windows");
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem32), t.path() / "lib32/wine/i386-windows");
  EXPECT_EQ(root.Folder(WindowsFolder::kDrivers), t.path() / "lib64/wine/x86_64-windows");
  EXPECT_EQ(root.Folder(WindowsFolder::kProgramFiles64), t.path() / "prefix/drive_c/Program Files");
  EXPECT_EQ(root.Folder(WindowsFolder::kProgramFiles32),
            t.path() / "prefix/drive_c/Program Files (x86)");

  where.wineLibraries = {t.path() / "none/wine"};
  EXPECT_FALSE(WindowsRoot::Discover(where).found());

  // The setting or the environment may name a Wine library folder, the
  // layout discovery takes at its fixed paths.
  MakeDirs(t.path(), {"both/wine/x86_64-windows", "both/wine/i386-windows"});
  where.environment = t.path() / "both/wine/";
  root = WindowsRoot::Discover(where);
  EXPECT_EQ(root.source(), WindowsRootSource::kEnvironment);
  EXPECT_TRUE(root.notes().empty());
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem64), t.path() / "both/wine/x86_64-windows");
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem32), t.path() / "both/wine/i386-windows");
  EXPECT_EQ(root.Folder(WindowsFolder::kProgramFiles64), t.path() / "prefix/drive_c/Program Files");
  where.setting = t.path() / "lib32/wine";
  root = WindowsRoot::Discover(where);
  EXPECT_EQ(root.source(), WindowsRootSource::kSetting);
  EXPECT_TRUE(root.Folder(WindowsFolder::kSystem64).empty());
  EXPECT_EQ(root.Folder(WindowsFolder::kSystem32), t.path() / "lib32/wine/i386-windows");
}

TEST(WindowsRoot, EnvironmentVariableIsRead) {
  test::TempDir t("winroot");
  MakeDirs(t.path(), {"Windows/System32"});
  setenv("TARNIX_WINDOWS_ROOT", (t.path() / "Windows").c_str(), 1);
  const WindowsRootSearch where = DefaultWindowsRootSearch({});
  unsetenv("TARNIX_WINDOWS_ROOT");
  EXPECT_EQ(where.environment, t.path() / "Windows");
  EXPECT_EQ(where.wslRoots, std::vector<fs::path>{"/mnt/c/Windows"});
  // The machine's own answer depends on what is installed; it must at least
  // name existing folders.
  const WindowsRoot real = WindowsRoot::Find();
  for (int i = 0; i < kWindowsFolderCount; ++i) {
    const auto& f = real.Folder(static_cast<WindowsFolder>(i));
    if (!f.empty()) {
      EXPECT_TRUE(fs::is_directory(f)) << f;
    }
  }
}

// tarnix-cli where, run as a process with the root named by the environment.
TEST(WindowsRoot, CliWhereListsEveryFolderKind) {
  test::TempDir t("winroot");
  MakeDirs(t.path(), {"Windows/System32/drivers", "Windows/SysWOW64", "Program Files"});
  const std::string cmd = "TARNIX_WINDOWS_ROOT='" + (t.path() / "Windows").string() + "' '" +
                          TARNIX_CLI_PATH + "' where";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[1024];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = pclose(p);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  const std::string base = t.path().string();
  EXPECT_NE(out.find("Windows root: " + base + "/Windows (TARNIX_WINDOWS_ROOT)"), std::string::npos)
      << out;
  EXPECT_NE(out.find("System32 (64-bit):      " + base + "/Windows/System32\n"), std::string::npos);
  EXPECT_NE(out.find("System32 (32-bit):      " + base + "/Windows/SysWOW64\n"), std::string::npos);
  EXPECT_NE(out.find("Program Files (64-bit): " + base + "/Program Files\n"), std::string::npos);
  EXPECT_NE(out.find("Program Files (32-bit): none found\n"), std::string::npos);
  EXPECT_NE(out.find("Drivers:                " + base + "/Windows/System32/drivers\n"),
            std::string::npos);
}

}  // namespace
}  // namespace tarnix
