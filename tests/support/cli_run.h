#pragma once
// Runs tarnix-cli as a user runs it and collects what it printed.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace tarnix::test {

struct CliRun {
  int status;
  std::string out, err;
};

// `tarnix-cli <command> <args>` through the shell; stderr goes through a
// file in `dir`.
inline CliRun RunCli(const TempDir& dir, const std::string& command, const std::string& args) {
  std::string errPath = (dir.path() / "stderr.txt").string();
  std::string line = std::string(TARNIX_CLI_PATH) + " " + command + " " + args + " 2>" + errPath;
  FILE* pipe = popen(line.c_str(), "r");
  CliRun run{-1, {}, {}};
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::stringstream err;
  err << std::ifstream(errPath).rdbuf();
  run.err = err.str();
  return run;
}

}  // namespace tarnix::test
