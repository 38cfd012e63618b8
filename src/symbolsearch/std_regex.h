#pragma once
// The standard <regex>, included with GCC's maybe-uninitialized warning off:
// at -O1 with the sanitizers, GCC 12 reports uninitialized members inside
// libstdc++'s regex automaton that are never read uninitialized.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
