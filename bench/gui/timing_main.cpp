// tarnix-gui-timing: whole-window timings of the desktop program.
//   post [COUNT]      result records through the desktop message target
//   search CORPUS     a search of every symbol, then sorting and details
//   errcode WINDOWS   the Error Code Search window over System32
//   imginfo FOLDER    the image information window opened for results
//   errmsg WINDOWS    the Error Message Search window over set 7
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/app/resources.h"

int RunPostTiming(int argc, char** argv);
int RunSearchTiming(int argc, char** argv);
int RunErrCodeTiming(int argc, char** argv);
int RunImageInfoTiming(int argc, char** argv);
int RunErrMsgTiming(int argc, char** argv);

int main(int argc, char** argv) {
  if (argc < 2 || (std::strcmp(argv[1], "post") && std::strcmp(argv[1], "search") && std::strcmp(argv[1], "errcode") &&
                   std::strcmp(argv[1], "imginfo") && std::strcmp(argv[1], "errmsg"))) {
    std::fprintf(stderr,
                 "usage: tarnix-gui-timing post [COUNT] | search CORPUS | errcode WINDOWS [TARNIX_CLI] [CODE] | "
                 "imginfo FOLDER [COUNT] | errmsg WINDOWS TARNIX_CLI [RUNS]\n");
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  tarnix::gui::InitResources();
  if (std::strcmp(argv[1], "post") == 0) return RunPostTiming(argc, argv);
  if (std::strcmp(argv[1], "errcode") == 0) return RunErrCodeTiming(argc, argv);
  if (std::strcmp(argv[1], "imginfo") == 0) return RunImageInfoTiming(argc, argv);
  if (std::strcmp(argv[1], "errmsg") == 0) return RunErrMsgTiming(argc, argv);
  return RunSearchTiming(argc, argv);
}
