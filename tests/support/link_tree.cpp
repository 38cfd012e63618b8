#include "support/link_tree.h"

#include <unistd.h>

#include <stdexcept>

namespace tarnix::test {
namespace {

constexpr int kNestDepth = 30;

// "l7" and the like (GCC 12 warns wrongly about "l" + std::to_string(7)).
std::string Numbered(char prefix, int i) {
  std::string name(1, prefix);
  name += std::to_string(i);
  return name;
}

void Link(const std::filesystem::path& target, const std::filesystem::path& at) {
  if (symlink(target.c_str(), at.c_str()) != 0) throw std::runtime_error("symlink " + at.string());
}

}  // namespace

LinkTree::LinkTree(const std::string& module) {
  const auto& r = root_.path();
  const auto& o = outside_.path();
  outside_.Write("c.dll", module);
  outside_.Write("lib/d.dll", module);
  root_.Write("a.dll", module);
  root_.Write("sub/b.dll", module);
  Link(o / "c.dll", r / ".dll");
  Link(r / "sub", r / "again");
  Link(r / "gone", r / "dangling");
  std::filesystem::create_directories(o / "chain");
  for (int i = 0; i < 100; ++i)
    Link(i == 99 ? o / "lib" : o / "chain" / Numbered('l', i + 1), o / "chain" / Numbered('l', i));
  Link(o / "chain/l0", r / "deep");
  Link(o / "lib", r / "ext");
  Link(r / "me", r / "me");
  // A path resolves through at most 40 links, so the nest stays below that.
  for (int i = 0; i < kNestDepth; ++i) {
    std::filesystem::create_directories(o / Numbered('n', i));
    if (i > 0) Link(o / Numbered('n', i), o / Numbered('n', i - 1) / "next");
  }
  outside_.Write(Numbered('n', kNestDepth - 1) + "/z.dll", module);
  Link(o / "n0", r / "nest");
  Link(r, r / "self");
  Link(r, r / "sub/up");
}

std::vector<std::string> LinkTree::WalkedFiles() {
  std::string nest = "nest/";
  for (int i = 1; i < kNestDepth; ++i) nest += "next/";
  return {".dll", "a.dll", "ext/d.dll", nest + "z.dll", "sub/b.dll"};
}

}  // namespace tarnix::test
