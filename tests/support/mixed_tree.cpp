#include "support/mixed_tree.h"

#include <unistd.h>

#include <fstream>
#include <string>

#include "support/pe_builder.h"

namespace tarnix::test {
namespace {

void Put(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Image(int i) {
  const bool pe64 = i % 2 == 0;
  PeBuilder b(pe64 ? PeBuilder::Kind::kPe64 : PeBuilder::Kind::kPe32);
  b.TimeStamp(0x50000000u + static_cast<uint32_t>(i) * 0x01000000u)
      .Subsystem(i % 3 == 0 ? 3 : 2)
      .Characteristics(i % 4 == 0 ? 0x0022 : 0x2022);
  const std::string n = std::to_string(i);
  ImportModule k32{"KERNEL32.dll",
                   {ImportSymbol::Named("CreateFileW", static_cast<uint16_t>(i)), ImportSymbol::Named("ReadFile"),
                    ImportSymbol::Named("Helper" + n), ImportSymbol::Ordinal(17 + static_cast<uint64_t>(i % 5))}};
  k32.timeDateStamp = i % 5 == 0 ? 0xFFFFFFFFu : 0;
  b.Import(k32);
  if (i % 3 != 1) b.Import({"widgets.dll", {ImportSymbol::Named(kMixedTreeCppNames[i % 4])}});
  ExportTable exports{"m" + n + ".dll", 1, {}};
  exports.symbols.push_back({1, "CreateThing" + n, ""});
  exports.symbols.push_back({2, kMixedTreeCppNames[(i + 1) % 4], ""});
  exports.symbols.push_back({3, "", ""});
  if (i % 2) exports.symbols.push_back({4, "CreateFileX", "KERNEL32.CreateFileW"});
  b.Exports(exports);
  if (i % 4 == 1) b.DelayImport({"SHELL32.dll", {ImportSymbol::Named("ShellExecuteW", 3), ImportSymbol::Ordinal(9)}});
  if (i % 8 == 3) b.DelayImport({"OLD.dll", {ImportSymbol::Named("CreateOld")}, true});
  return b.Build().bytes;
}

}  // namespace

void WriteMixedImageTree(const std::filesystem::path& root) {
  ExportTable huge{"huge.dll", 1, {}};
  for (uint32_t i = 0; i < 9000; ++i)
    huge.symbols.push_back({i + 1, i % 100 == 7 ? kMixedTreeCppNames[i % 4] : "Create" + std::to_string(100000 + i), ""});
  Put(root / "0huge.dll", PeBuilder().Exports(huge).Build().bytes);

  const char* folders[] = {"", "a/", "a/b/", "c/"};
  for (int i = 0; i < 40; ++i)
    Put(root / (std::string(folders[i % 4]) + "m" + (i < 10 ? "0" : "") + std::to_string(i) + (i % 5 ? ".dll" : ".exe")),
        Image(i));
  Put(root / "rom.bin", PeBuilder(PeBuilder::Kind::kRom).Build().bytes);

  const std::filesystem::path broken = root / "broken";
  Put(broken / "notes.dll", std::string(300, 'n'));
  Put(broken / "tiny.dll", "MZ");
  Put(broken / "empty.exe", "");
  BuiltImage good = PeBuilder().Exports({"x.dll", 1, {{1, "CreateX", ""}}}).Build();
  std::string ne = good.bytes;
  Poke<uint32_t>(ne, good.layout.lfanew, 0x454E);  // "NE"
  Put(broken / "ne.dll", ne);
  std::string magic = good.bytes;
  Poke<uint16_t>(magic, good.layout.optionalHeader, 0x999);
  Put(broken / "magic.dll", magic);
  std::string align = good.bytes;
  Poke<uint32_t>(align, good.layout.optionalHeader + 32, 0);  // SectionAlignment
  Put(broken / "align.dll", align);
  std::string far = good.bytes;
  Poke<uint32_t>(far, 0x3C, 0x7FFFFFF0);
  Put(broken / "far.dll", far);
  std::string cut = Image(7);
  cut.resize(cut.size() * 2 / 3);
  Put(broken / "cut.dll", cut);

  std::filesystem::create_directories(root / "a/b");
  symlink((root / "nowhere").c_str(), (root / "a/gone.dll").c_str());
  symlink((root / "a").c_str(), (root / "a/b/up").c_str());
}

}  // namespace tarnix::test
