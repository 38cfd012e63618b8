// The image information text of results whose images, modules and
// forwarders are built for the test under a Windows folder of its own; and
// tarnix-cli info printing the same text.
#include "results/image_info_text.h"

#include <gtest/gtest.h>

#include "core/wformat.h"
#include "pe/image_reader.h"
#include "pe/look_in.h"
#include "pe/resource_fixture.h"
#include "pe/result_kind.h"
#include "platform/locale_format.h"
#include "platform/text_encoding.h"
#include "support/cli_run.h"
#include "support/env_value.h"
#include "support/image_info_subject.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {
namespace fs = std::filesystem;
using namespace tarnix::test;

class ImageInfoText : public testing::Test {
 protected:
  ImageInfoText() {
    fs::create_directories(dir_.path() / "Windows/SysWOW64");
    const std::string kernel32 =
        PeBuilder()
            .Section({".data", std::string(16, '\0'), 0xC0000040, 0})
            .Exports({"KERNEL32.dll", 1,
                      {{1, "CreateFileW"}, ExportSymbol::In(2, "GlobalCounter", ".data"),
                       {3, "HeapAlloc", "ntdll.RtlAllocateHeap"}}})
            .Resource(16, 1, 0x409, SimpleVersion(0x409, u"Kernel Base", u"10.0"))
            .Build()
            .bytes;
    dir_.Write("Windows/System32/kernel32.dll", kernel32);
    dir_.Write("Windows/System32/ntdll.dll",
               PeBuilder().Exports({"ntdll.dll", 1, {{1, "RtlAllocateHeap"}}}).Build().bytes);
    app_ = dir_.Write(
        "App/app.exe",
        PeBuilder()
            .Characteristics(0x0022)
            .Subsystem(3)
            .Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 5),
                                      ImportSymbol::Named("GlobalCounter", 6),
                                      ImportSymbol::Named("HeapAlloc", 7)}})
            .Import({"msvcp.dll", {ImportSymbol::Named("?Fn@@YAXXZ", 1)}})
            .Resource(16, 1, 0x409, SimpleVersion(0x409, u"Test App", u"1.2.3.4 (test)"))
            .Build()
            .bytes);
  }

  ImageInfoSubject Subject(uint32_t kind, std::wstring name, std::wstring module,
                           int32_t hint = -1, uint32_t ordinal = 0) {
    return InfoSubject(app_, kind, std::move(name), std::move(module), hint, ordinal);
  }

  ImageInfoContent Build(const ImageInfoSubject& s) {
    WindowsRootSearch where;
    where.setting = dir_.path() / "Windows";
    return BuildImageInfo(s, ModuleResolver(WindowsRoot::Discover(where)), ImageInfoOptions());
  }

  std::wstring System32(const char* file) const {
    return FromUtf8((dir_.path() / "Windows/System32" / file).string());
  }

  TempDir dir_{"imginfo"};
  fs::path app_;
  // The CLI finds the same Windows folder.
  void SetRootVariable() { env_.emplace("TARNIX_WINDOWS_ROOT", (dir_.path() / "Windows").c_str()); }
  std::optional<EnvValue> env_;
};

TEST_F(ImageInfoText, FunctionImportBlockByBlock) {
  const ImageInfoContent c = Build(Subject(kKindImport, L"CreateFileW", L"KERNEL32.dll", 5));
  std::wstring buildTime;
  ASSERT_TRUE(FormatLocalDateTime(0x5F000000, buildTime));
  const std::wstring expected =
      L"CreateFileW\n"
      L"Type:\t\tC Function (Imported)\n"
      L"Hint:\t\t5\n"
      L"Access:\t\tRead/Execute\n"
      L"Module From:\tKERNEL32.dll\n"
      L"Resolves To:\t" + System32("kernel32.dll") + L"\n"
      L"Description:\tKernel Base\n"
      L"Offset (File):\t0x400\n"
      L"Offset (Mapped):\t0x1000\n"
      L"\n"
      L"Image File:\t" + FromUtf8(app_.string()) + L"\n"
      L"Type:\t\t64-bit\n"
      L"Binding:\t\tUnbound\n"
      L"Build Time:\t" + buildTime + L"\n"
      L"Unix TimeStamp:\t0x5F000000 (1593835520)\n"
      L"Subsystem:\tConsole (IMAGE_SUBSYSTEM_WINDOWS_CUI)\n"
      L"\n"
      L"Version:\t\t1.2.3.4\n"
      L"Version (Full):\t1.2.3.4 (test)\n"
      L"Description:\tTest App\n"
      L"Product:\t\t\n"
      L"Company:\tTarnix Tests\n"
      L"\n"
      L"PE Characteristics:\tAddress Space Layout Randomization, ASLR (IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) |\n"
      L"\t\tAddress Space Layout Randomization, ASLR, 64-bit (IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) |\n"
      L"\t\tData Execution Prevention, DEP (IMAGE_DLLCHARACTERISTICS_NX_COMPAT) |\n"
      L"\t\tExecutable (IMAGE_FILE_EXECUTABLE_IMAGE) |\n"
      L"\t\tLarge Address Aware (IMAGE_FILE_LARGE_ADDRESS_AWARE)\n"
      L"\n"
      L"PE Directories:\tImport Directory (IMAGE_DIRECTORY_ENTRY_IMPORT) |\n"
      L"\t\tResource Directory (IMAGE_DIRECTORY_ENTRY_RESOURCE)\n"
      L"\n"
      L"PE Resources:\tVersion Info (RT_VERSION)";
  EXPECT_EQ(ToUtf8(c.text), ToUtf8(expected));
  EXPECT_EQ(c.title, L"WinAPI: CreateFileW");
  EXPECT_EQ(c.labels.groupCaption, L"C Import From");
  EXPECT_EQ(c.resolvesTo, System32("kernel32.dll"));
  EXPECT_EQ(c.fileVersion, 0x0001000200030004u);
  EXPECT_EQ(std::wstring(c.bitness.text), L"64-bit");
  EXPECT_EQ(c.bitness.colour, kBitness64Colour);
}

TEST_F(ImageInfoText, GlobalVariablesAndForwardedExports) {
  ImageInfoContent c = Build(Subject(kKindImport, L"GlobalCounter", L"KERNEL32.dll", 6));
  EXPECT_EQ(c.title, L"Global (R/W): GlobalCounter");
  EXPECT_NE(c.text.find(L"Type:\t\tGlobal C Variable (Imported)\n"), std::wstring::npos);
  EXPECT_NE(c.text.find(L"Access:\t\tRead/Write\n"), std::wstring::npos);

  // The forwarded export as a search lists it: its forwarder text as name.
  ImageInfoSubject s = Subject(kKindExportForwarded, L"ntdll.RtlAllocateHeap", L"KERNEL32.dll", 2, 3);
  s.imagePath = System32("kernel32.dll");
  c = Build(s);
  EXPECT_NE(c.text.find(L"Type:\t\tC Function (Forwarded Export)\nOrdinal:\t\t3\nHint:\t\t2\n"
                        L"Forwarded To:\tRtlAllocateHeap\nAccess:\t\tRead/Execute\n"
                        L"Module To:\tKERNEL32.dll\nResolves To:\t" + System32("ntdll.dll")),
            std::wstring::npos)
      << ToUtf8(c.text);
  EXPECT_EQ(c.labels.groupCaption, L"Forwarded C Export To");

  // An import whose export is forwarded: "Resolves To" is the module's
  // file, as `info --resolve` says; the forwarding is said apart.
  c = Build(Subject(kKindImport, L"HeapAlloc", L"KERNEL32.dll", 7));
  EXPECT_EQ(c.resolvesTo, System32("kernel32.dll"));
  EXPECT_NE(c.text.find(L"Forwarded To:\tRtlAllocateHeap\nAccess:\t\tRead/Execute\n"
                        L"Module From:\tKERNEL32.dll\nResolves To:\t" + System32("kernel32.dll") +
                        L"\nDescription:\tKernel Base\nFound In:\t" + System32("ntdll.dll") + L"\n"),
            std::wstring::npos)
      << ToUtf8(c.text);
}

// A forwarder chain that breaks says where the module should resolve:
// a forwarder to itself, a loop between two images, a chain longer than
// the limit, a missing module, a missing ordinal.
TEST_F(ImageInfoText, BrokenForwardersSayWhatBroke) {
  auto forwarding = [&](const std::string& file, const std::string& name, const std::string& to) {
    dir_.Write("Windows/System32/" + file, PeBuilder().Exports({file, 1, {{1, name, to}}}).Build().bytes);
    return System32(file.c_str());
  };
  const std::wstring self = forwarding("self.dll", "Foo", "self.Foo");
  forwarding("loopa.dll", "A", "loopb.A");
  const std::wstring loop = forwarding("loopb.dll", "A", "loopa.A");
  for (int i = 0; i < 20; ++i) {
    const std::string next = std::to_string(i + 1);
    forwarding(std::string(1, 'c').append(std::to_string(i)).append(".dll"), "F", std::string(1, 'c').append(next).append(".F"));
  }
  dir_.Write("Windows/System32/c20.dll", PeBuilder().Exports({"c20.dll", 1, {{1, "F"}}}).Build().bytes);
  const std::wstring missingModule = forwarding("m.dll", "G", "nowhere.G");
  const std::wstring missingOrdinal = forwarding("o.dll", "H", "ntdll.#99");
  const std::wstring loops = L"<Error: (1921) ";
  const struct {
    std::wstring image, forwarder, error;
  } cases[] = {{self, L"self.Foo", loops},
               {loop, L"loopa.A", loops},
               {System32("c0.dll"), L"c1.F", loops},
               {missingModule, L"nowhere.G", L"<Error: (2) The file could not be found.>"},
               {missingOrdinal, L"ntdll.#99", L"<Error: (127) "}};
  for (const auto& k : cases) {
    ImageInfoSubject s = Subject(kKindExportForwarded, k.forwarder, L"x.dll", 0, 1);
    s.imagePath = k.image;
    const ImageInfoContent c = Build(s);
    EXPECT_EQ(c.resolvesTo.rfind(k.error, 0), 0u) << ToUtf8(c.resolvesTo);
    EXPECT_TRUE(c.resolvedPath.empty());
    EXPECT_NE(c.text.find(L"Module To:\tx.dll\nResolves To:\t" + k.error), std::wstring::npos) << ToUtf8(c.text);
    EXPECT_EQ(c.text.find(L"Resolves To:\t" + k.image), std::wstring::npos) << ToUtf8(c.text);
  }
  // The chain of 20 stops at the limit of 16, and says the last forwarder
  // it followed.
  ImageInfoSubject chain = Subject(kKindExportForwarded, L"c1.F", L"c0.dll", 0, 1);
  chain.imagePath = System32("c0.dll");
  EXPECT_NE(Build(chain).text.find(L"Forwarded To:\tc17.F\n"), std::wstring::npos) << ToUtf8(Build(chain).text);

  // The command line prints the same text.
  SetRootVariable();
  const CliRun run = RunCli(dir_, "info", ToUtf8(self) + " --symbol Foo");
  EXPECT_NE(run.out.find("Resolves To:\t<Error: (1921) "), std::string::npos) << run.out << run.err;
}

// An import of a module named by a path is shown as a search lists it;
// the resolver refuses the name and says why.
TEST_F(ImageInfoText, ModuleNamedByAPath) {
  SetRootVariable();
  const fs::path odd = dir_.Write(
      "App/odd.exe", PeBuilder().Import({"/etc/passwd", {ImportSymbol::Named("root", 1)}}).Build().bytes);
  CliRun run = RunCli(dir_, "info", odd.string() + " --module /etc/passwd");
  EXPECT_EQ(run.status, 0) << run.err;
  const ImageInfoContent library =
      Build(InfoSubject(odd, kKindImportedLibrary, L"", L"/etc/passwd"));
  EXPECT_EQ(run.out, ToUtf8(library.text) + "\n");
  EXPECT_EQ(library.resolvesTo.rfind(L"<Error: (123) ", 0), 0u);
  EXPECT_NE(run.err.find("/etc/passwd resolves to <Error: (123) "), std::string::npos) << run.err;
  run = RunCli(dir_, "info", odd.string() + " --module /ETC/PASSWD --symbol root");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Module From:\t/etc/passwd\n"), std::string::npos) << run.out;
}

TEST_F(ImageInfoText, UnresolvedModulesAndLibraries) {
  // A C++ import from a module that is nowhere: no "Resolves To" lines, no
  // offsets, an unknown function.
  ImageInfoContent c = Build(Subject(kKindImportCpp, L"?Fn@@YAXXZ", L"msvcp.dll", 1));
  EXPECT_EQ(c.resolvesTo, L"<Error: (2) The file could not be found.>");
  EXPECT_TRUE(c.resolvedPath.empty());
  EXPECT_EQ(c.title, L"WinAPI: ?Fn@@YAXXZ");
  const std::wstring head = L"?Fn@@YAXXZ\nType:\t\tC++ Function (Imported)\nHint:\t\t1\n"
                            L"Undecorated:\tvoid Fn(void)\nAccess:\t\t?\nModule From:\tmsvcp.dll\n\nImage File:";
  EXPECT_EQ(ToUtf8(c.text.substr(0, head.size())), ToUtf8(head));

  // An imported library: no symbol block, module line or offsets; the box
  // still shows where the module is.
  c = Build(Subject(kKindImportedLibrary, L"", L"KERNEL32.dll"));
  EXPECT_EQ(c.title, L"Import Lib: KERNEL32.dll");
  EXPECT_EQ(c.resolvesTo, System32("kernel32.dll"));
  EXPECT_EQ(c.text.rfind(L"KERNEL32.dll\nType:\t\tImported Library\n\nImage File:\t", 0), 0u);
  for (const wchar_t* absent : {L"Module From", L"Offset", L"Access", L"Resolves To"})
    EXPECT_EQ(c.text.find(absent), std::wstring::npos) << ToUtf8(absent);
}

TEST_F(ImageInfoText, KindsAccessAndBitnessTexts) {
  EXPECT_EQ(KindLabelsOf(10).groupCaption, L"Delay-Load Imported Ordinal From");
  EXPECT_EQ(std::wstring(KindLabelsOf(10).typeTerm), L"Delay-Load Import by an Ordinal Number");
  EXPECT_EQ(KindLabelsOf(13).typeTerm, nullptr);
  EXPECT_EQ(KindLabelsOf(14).moduleLabel, nullptr);
  EXPECT_EQ(KindLabelsOf(99).groupCaption, L"Unknown: 0x63");
  const std::pair<uint32_t, const wchar_t*> access[] = {
      {7, L"Read/Write/Execute"}, {5, L"Read/Execute"}, {3, L"Read/Write"}, {1, L"Read"},
      {6, L"Write/Execute"}, {2, L"Write"}, {4, L"Execute"}, {0, L"None"}};
  for (const auto& [bits, text] : access) EXPECT_EQ(std::wstring(AccessText(bits, false)), text);
  EXPECT_EQ(std::wstring(AccessText(7, true)), L"R/W/X");
  EXPECT_EQ(std::wstring(AccessText(0, true)), L"0");
  // Read/write/execute is no function; a C++ kind says so.
  EXPECT_EQ(ClassifySymbol(kKindExportCpp, 7).type, L"Global C++ Variable");
  EXPECT_EQ(ClassifySymbol(kKindExportCpp, 7).titlePrefix, L"Global (R/W/X): ");
  EXPECT_EQ(BitnessLabelOf(kImageType32).colour, kBitness32Colour);
  EXPECT_FALSE(BitnessLabelOf(kImageTypeRom).colour);
  EXPECT_EQ(std::wstring(BitnessLabelOf(0).text), L"");
}

TEST_F(ImageInfoText, CommandLinePrintsTheWindowsText) {
  SetRootVariable();
  const std::string app = app_.string();
  struct Case {
    std::string args;
    ImageInfoSubject subject;
  };
  ImageInfoSubject forwarded =
      Subject(kKindExportForwarded, L"ntdll.RtlAllocateHeap", L"KERNEL32.dll", 2, 3);
  forwarded.imagePath = System32("kernel32.dll");
  uint32_t location = 0;
  ReadImageProperties(ToUtf8(forwarded.imagePath), forwarded.properties, location);
  const ImageInfoSubject image = Subject(kKindImage, L"", L"");
  const Case cases[] = {
      {app + " --module kernel32 --symbol CreateFileW",
       Subject(kKindImport, L"CreateFileW", L"KERNEL32.dll", 5)},
      {app + " --module MSVCP.DLL --symbol '?Fn@@YAXXZ'",
       Subject(kKindImportCpp, L"?Fn@@YAXXZ", L"msvcp.dll", 1)},
      {app + " --module kernel32.dll", Subject(kKindImportedLibrary, L"", L"KERNEL32.dll")},
      {ToUtf8(forwarded.imagePath) + " --symbol HeapAlloc", forwarded},
      {ToUtf8(forwarded.imagePath) + " --symbol '#3'", forwarded},
      {app, image},
  };
  for (const Case& k : cases) {
    const CliRun run = RunCli(dir_, "info", k.args);
    EXPECT_EQ(run.status, 0) << k.args << "\n" << run.err;
    EXPECT_EQ(run.out, ToUtf8(Build(k.subject).text) + "\n") << k.args;
  }

  CliRun run = RunCli(dir_, "info", "--resolve KERNEL32 --for " + app);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ToUtf8(System32("kernel32.dll")) + "\n");
  run = RunCli(dir_, "info", "--resolve ../kernel32.dll --for " + app);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "<Error: (123) The file name, folder name or volume label syntax is not valid.>\n");
  run = RunCli(dir_, "info", app + " --symbol Missing");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("does not export Missing"), std::string::npos);
  run = RunCli(dir_, "info", app + " --module nothere.dll");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(RunCli(dir_, "info", "--resolve x.dll").status, 2);
  EXPECT_EQ(RunCli(dir_, "info", (dir_.path() / "none.exe").string()).status, 1);
  // A folder is named as one, not refused as access denied.
  run = RunCli(dir_, "info", dir_.path().string());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(": is a folder; give an image file in it"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tarnix
