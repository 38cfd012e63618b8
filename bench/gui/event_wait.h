#pragma once
// Runs the event loop as the program does (sleeping while nothing comes)
// until `done`, looking every `stepMs`: spinning on processEvents() would
// take a core from the search threads, which run at a lower priority than
// this one.
#include <QEventLoop>
#include <QTimer>
#include <functional>

inline void WaitFor(const std::function<bool()>& done, int stepMs = 5) {
  while (!done()) {
    QEventLoop loop;
    QTimer::singleShot(stepMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
}
