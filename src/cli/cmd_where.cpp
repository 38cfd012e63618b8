// tarnix-cli where: which Windows folders the search locations map to on
// this machine, and where they were found.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"

namespace tarnix::cli {
namespace {

int RunWhere(const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: tarnix-cli where\n");
    return kExitUsage;
  }
  const WindowsRoot root = ProgramWindowsRoot();
  for (const auto& note : root.notes()) std::printf("Skipped: %s\n", note.c_str());
  if (!root.found()) {
    std::printf(
        "No Windows folders found: no WSL drive at /mnt/c/Windows and no Wine PE folders.\n"
        "Set TARNIX_WINDOWS_ROOT or the WindowsRoot setting to a Windows folder (the one\n"
        "that holds System32) or a Wine library folder (the one that holds x86_64-windows\n"
        "or i386-windows).\n");
    return kExitSomeFailed;
  }
  std::printf("Windows root: %s (%s)\n", root.root().c_str(),
              WindowsRootSourceName(root.source()));
  static const std::pair<WindowsFolder, const char*> kRows[] = {
      {WindowsFolder::kSystem64, "System32 (64-bit)"},
      {WindowsFolder::kSystem32, "System32 (32-bit)"},
      {WindowsFolder::kProgramFiles64, "Program Files (64-bit)"},
      {WindowsFolder::kProgramFiles32, "Program Files (32-bit)"},
      {WindowsFolder::kDrivers, "Drivers"},
  };
  for (const auto& [kind, label] : kRows) {
    const auto& folder = root.Folder(kind);
    std::printf("%-23s %s\n", (std::string(label) + ":").c_str(),
                folder.empty() ? "none found" : folder.c_str());
  }
  return kExitOk;
}

const CommandRegistrar kWhere("where", "show the Windows folders the search locations use",
                              RunWhere);

}  // namespace
}  // namespace tarnix::cli
