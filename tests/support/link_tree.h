#pragma once
// A folder tree laid out with symbolic links, for the folder walks:
//
//   root/.dll      -> outside/c.dll        a link to a file, named ".dll"
//   root/a.dll
//   root/again     -> root/sub             a second way to a folder
//   root/dangling  -> root/gone            leads nowhere
//   root/deep      -> outside/chain/l0     a chain of 100 links: too long
//   root/ext       -> outside/lib          followed: lib/d.dll
//   root/me        -> root/me              a link to itself
//   root/nest      -> outside/n0           30 folders, each reached by a
//                                          link "next" in the one before;
//                                          n29/z.dll
//   root/self      -> root                 a link to the folder that holds it
//   root/sub/b.dll
//   root/sub/up    -> root                 a link to its parent
//
// Every ".dll" holds the same module.
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnix::test {

class LinkTree {
 public:
  explicit LinkTree(const std::string& module);

  // The root, without a trailing separator.
  const std::filesystem::path& root() const { return root_.path(); }

  // The files a walk of the root with subfolders reads, in walk order,
  // relative to the root; the first two without subfolders.
  static std::vector<std::string> WalkedFiles();
  // The warnings of that walk: again, dangling, deep, me, self, sub/up.
  static constexpr size_t kWarnings = 6;

 private:
  TempDir root_{"links"};
  TempDir outside_{"outside"};
};

}  // namespace tarnix::test
