#pragma once
// A folder tree of images of every shape a search meets, for comparing
// searches that must give the same output:
//
//   root/0huge.dll     more exports than one posted batch holds, C and C++
//   root/m00.dll ...   PE32 and PE32+ images: imports by name and ordinal,
//                      bound and not; exports with C and C++ names, by
//                      ordinal only, forwarded; delay loads; subsystems,
//                      characteristics and time stamps that vary
//   root/rom.bin       a ROM image
//   root/broken/...    every kind of file the reader refuses: text, too
//                      small, empty, a 16-bit image, an unknown optional
//                      header, zero alignments, e_lfanew past the end, a cut
//                      export table
//   root/a/, root/a/b/, root/c/   more images, three levels deep
//   root/a/gone.dll -> nowhere    a link that leads nowhere
//   root/a/b/up     -> root/a     a link that loops
#include <filesystem>

namespace tarnix::test {

void WriteMixedImageTree(const std::filesystem::path& root);

// The decorated names the tree's images export and import.
inline constexpr const char* kMixedTreeCppNames[] = {
    "?Create@Widget@@QEAAXH@Z", "?Read@File@@QAEHPAX@Z", "??0Widget@@QEAA@XZ",
    "?CreateWindow@Frame@@QEAAPEAXPEB_W@Z"};

}  // namespace tarnix::test
