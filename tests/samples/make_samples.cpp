// tarnix-make-samples DIR: writes a small set of realistic sample images
// (DLLs and EXEs importing and exporting well-known Windows API names) into
// DIR, for trying the command-line tool without a Windows installation.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "pe/resource_fixture.h"
#include "support/pe_builder.h"

using tarnix::test::DelayImportModule;
using tarnix::test::ExportTable;
using tarnix::test::ImportModule;
using tarnix::test::ImportSymbol;
using tarnix::test::PeBuilder;

namespace {

ImportSymbol N(const char* name, uint16_t hint) { return ImportSymbol::Named(name, hint); }

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>\r\n";

// A system library: exports file and memory functions, some forwarded to
// the native layer, one by ordinal only.
PeBuilder KernelLike() {
  PeBuilder b(PeBuilder::Kind::kPe64);
  b.TimeStamp(0x61A2B3C4).Characteristics(0x2022).DllCharacteristics(0x4160).Subsystem(3);
  b.Import({"ntdll.dll",
            {N("NtCreateFile", 0x12), N("NtReadFile", 0x2A), N("NtWriteFile", 0x3B),
             N("NtClose", 0x0F), N("RtlAllocateHeap", 0x51)}});
  b.Exports({"KERNEL32.dll", 1,
             {{1, "CloseHandle", ""},
              {2, "CreateFileA", ""},
              {3, "CreateFileW", ""},
              {4, "GetLastError", ""},
              {5, "HeapAlloc", "NTDLL.RtlAllocateHeap"},
              {6, "HeapFree", "NTDLL.RtlFreeHeap"},
              {7, "ReadFile", ""},
              {8, "SetLastError", ""},
              {9, "WriteFile", ""},
              {10, "", ""},
              {11, "", "NTDLL.#42"}}});
  b.Resource(16, 1, 1033, tarnix::test::SimpleVersion(1033, u"Sample system library", u"10.0.19041.1", 0xA0000));
  b.LoadConfiguration({280, 0x180004000ull, 0});
  return b;
}

// A 64-bit windowed program with a delay-loaded shell library and an
// import by ordinal.
PeBuilder Editor() {
  PeBuilder b(PeBuilder::Kind::kPe64);
  b.TimeStamp(0x62F0A1B2).Characteristics(0x0022).DllCharacteristics(0xC160).Subsystem(2);
  b.Import({"KERNEL32.dll",
            {N("CreateFileW", 0xC3), N("ReadFile", 0x486), N("WriteFile", 0x5F2),
             N("CloseHandle", 0x89), N("GetLastError", 0x26A)}});
  b.Import({"USER32.dll",
            {N("CreateWindowExW", 0x6E), N("MessageBoxW", 0x285), N("GetMessageW", 0x178),
             N("DispatchMessageW", 0xA3)}});
  b.Import({"COMCTL32.dll", {ImportSymbol::Ordinal(17)}});
  b.DelayImport({"SHELL32.dll", {N("ShellExecuteW", 0x1B5), N("SHGetFolderPathW", 0xE2)}});
  b.Resource(24, 1, 1033, kManifest);
  b.Resource(16, 1, 1033, tarnix::test::SimpleVersion(1033, u"Sample text editor", u"2.4.0.7", 0x20004));
  b.Resource(3, 1, 1033, std::string(40, '\0'));
  b.Resource(14, 101, 1033, std::string(20, '\0'));
  b.LoadConfiguration({280, 0x140005000ull, 0});
  return b;
}

// A 32-bit console tool bound to its imports, with an old-format delay load.
PeBuilder LegacyTool() {
  PeBuilder b(PeBuilder::Kind::kPe32);
  b.TimeStamp(0x3A1B2C3D).Characteristics(0x010F).DllCharacteristics(0).Subsystem(3);
  b.ImageBase(0x400000);
  b.Import({"KERNEL32.dll", {N("CreateFileA", 0x4F), N("ReadFile", 0x218), N("ExitProcess", 0x7D)},
            0xFFFFFFFF});
  b.Import({"ADVAPI32.dll", {N("RegOpenKeyExA", 0x1C8), N("RegCloseKey", 0x1AB)}, 0x3A000000});
  DelayImportModule winmm{"WINMM.dll", {N("PlaySoundA", 0x92), ImportSymbol::Ordinal(2)}, true, 0};
  b.DelayImport(winmm);
  b.Resource(16, 1, 1033, tarnix::test::SimpleVersion(1033, u"Sample console tool", u"1.0.0.0", 0x10000));
  b.LoadConfiguration({72, 0x404000, 0});
  return b;
}

// A 32-bit helper library: exports with ordinal base 100, a decorated C++
// name, a forwarder and an unnamed export; imports from the C runtime.
PeBuilder Helper() {
  PeBuilder b(PeBuilder::Kind::kPe32);
  b.TimeStamp(0x5E8F9A0B).DllCharacteristics(0x0140).Subsystem(2);
  b.Import({"msvcrt.dll", {N("malloc", 0x4A1), N("free", 0x3F2), N("memcpy", 0x4B0)}});
  b.Import({"KERNEL32.dll", {N("GetProcAddress", 0x24E), N("LoadLibraryW", 0x3C5)}});
  b.Exports({"helper.dll", 100,
             {{100, "HelperInit", ""},
              {101, "?Create@Widget@@QAEXXZ", ""},
              {102, "HelperCreateFile", "KERNEL32.CreateFileW"},
              {103, "", ""},
              {105, "HelperShutdown", ""}}});
  b.Resource(6, 1, 1033, std::string(32, '\0'));
  b.Resource(std::u16string(u"TYPELIB"), 1, 0, std::string(16, '\0'));
  return b;
}

// A message table (US English) with `messages`, for the error code search.
void AddMessages(PeBuilder& b, const std::vector<std::pair<uint32_t, std::u16string>>& messages) {
  std::vector<tarnix::test::MessageBlock> blocks;
  for (const auto& [id, text] : messages) blocks.push_back({id, id, {tarnix::test::MessageEntry(text)}});
  const tarnix::test::Resource r = tarnix::test::MessageTableResource(1033, blocks);
  b.Resource(r.type, r.name, r.language, r.bytes);
}

bool Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarnix-make-samples DIR\n");
    return 2;
  }
  std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  struct Sample {
    const char* name;
    PeBuilder builder;
  } samples[] = {
      {"kernel32.dll", KernelLike()},
      {"editor.exe", Editor()},
      {"legacy32.exe", LegacyTool()},
      {"helper.dll", Helper()},
      {"firmware.rom", PeBuilder(PeBuilder::Kind::kRom).Characteristics(0x0107)},
  };
  AddMessages(samples[0].builder, {{2, u"The system cannot find the file specified.\r\n"},
                                   {5, u"Access is denied.\r\n"},
                                   {0x80070005, u"General access denied error\r\n"}});
  AddMessages(samples[3].builder, {{5, u"The helper may not open this object.\r\n"}});
  for (const Sample& s : samples) {
    if (!Write(dir / s.name, s.builder.Build().bytes)) {
      std::fprintf(stderr, "tarnix-make-samples: cannot write %s\n", (dir / s.name).c_str());
      return 1;
    }
  }
  return 0;
}
