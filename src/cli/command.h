#pragma once
// tarnix-cli subcommands. Each lives in its own file and registers itself
// with a static CommandRegistrar; main() dispatches on the first argument.
#include <string>
#include <vector>

namespace tarnix::cli {

// Exit statuses shared by the subcommands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 3;

using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* summary;  // one line for the usage text
  CommandFn run;
};

struct CommandRegistrar {
  CommandRegistrar(const char* name, const char* summary, CommandFn run);
};

const std::vector<Command>& Commands();

}  // namespace tarnix::cli
