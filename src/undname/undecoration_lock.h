#pragma once
// The process-wide undecoration lock. Every caller of the undecorator in the
// program (search worker, results list, undecorator window) takes it, as the
// platform's undecorator requires; Undecorate() itself keeps no global state.
#include <mutex>

namespace tarnix {

std::mutex& UndecorationLock();

}  // namespace tarnix
