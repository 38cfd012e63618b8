#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "pe/system_message_sources.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"
#include "tarnix_version.h"

namespace tarnix::cli {
namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* summary, CommandFn run) {
  Registry().push_back({name, summary, run});
}

const std::vector<Command>& Commands() { return Registry(); }

}  // namespace tarnix::cli

namespace {

void PrintUsage(FILE* to) {
  std::fprintf(to,
               "usage: tarnix-cli COMMAND [ARGS...]\n"
               "       tarnix-cli COMMAND --help\n"
               "       tarnix-cli --version\n\ncommands:\n");
  for (const auto& c : tarnix::cli::Commands())
    std::fprintf(to, "  %-12s %s\n", c.name, c.summary);
}

bool IsHelp(const char* arg) { return !std::strcmp(arg, "--help") || !std::strcmp(arg, "-h"); }

// `tarnix-cli COMMAND --help`: the command's usage text is its help. It goes
// to stdout and the exit status is 0, whichever stream the command writes
// its usage to (most write it to stderr when they refuse their arguments).
// The settings store is left alone, so that the help (and the man page and
// completion made from it at build time) never touches a home folder.
int CommandHelp(const tarnix::cli::Command& c) {
  std::fflush(stderr);
  if (dup2(STDOUT_FILENO, STDERR_FILENO) < 0) return tarnix::cli::kExitSomeFailed;
  const int rc = c.run({"--help"});
  std::fflush(stdout);
  return rc == tarnix::cli::kExitOk || rc == tarnix::cli::kExitUsage ? tarnix::cli::kExitOk : rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || IsHelp(argv[1])) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? tarnix::cli::kExitUsage : tarnix::cli::kExitOk;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::printf("tarnix-cli %s\n", TARNIX_VERSION);
    return tarnix::cli::kExitOk;
  }
  if (argc == 3 && IsHelp(argv[2])) {
    for (const auto& c : tarnix::cli::Commands())
      if (std::strcmp(c.name, argv[1]) == 0) return CommandHelp(c);
  }
  // A store another program holds locked costs a few seconds at most; the
  // commands then go on with the defaults and say so.
  tarnix::StoreWaits waits;
  waits.readMs = waits.writeMs = tarnix::cli::kStoreWaitMs;
  tarnix::Registry::SetWaits(waits);
  // Error texts come from the message tables of the Windows folders this
  // machine has, when it has any.
  if (std::strcmp(argv[1], "undecorate") != 0) {
    tarnix::InstallSystemMessageSources(tarnix::ProgramWindowsRoot());
    tarnix::cli::SayStoreNotes();
  }
  for (const auto& c : tarnix::cli::Commands()) {
    if (std::strcmp(c.name, argv[1]) == 0) {
      const int rc = c.run(std::vector<std::string>(argv + 2, argv + argc));
      tarnix::cli::SayStoreNotes();
      return rc;
    }
  }
  std::fprintf(stderr, "tarnix-cli: unknown command '%s'\n\n", argv[1]);
  PrintUsage(stderr);
  return tarnix::cli::kExitUsage;
}
