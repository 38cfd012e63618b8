// The image information window for a C function import, a C++ export, a
// forwarded export, a global variable and an imported library, over images
// made for the pictures under a Windows folder of their own beside the
// sample folder.
#include <filesystem>
#include <optional>

#include "gui/imginfo/img_info_dlg.h"
#include "pe/resource_fixture.h"
#include "pe/result_kind.h"
#include "shots.h"
#include "support/env_value.h"
#include "support/image_info_subject.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::gui::shots {
namespace {

using tarnix::test::ExportSymbol;
using tarnix::test::ImportSymbol;
using tarnix::test::PeBuilder;

ImageInfoSubject Subject(const std::filesystem::path& image, uint32_t kind, std::wstring name, std::wstring module,
                         int32_t hint = -1, uint32_t ordinal = 0) {
  return tarnix::test::InfoSubject(image, kind, std::move(name), std::move(module), hint, ordinal);
}

}  // namespace

TARNIX_SCREENSHOTS(ImageInfo) {
  // The Windows tree sits beside the sample folder, so the pictures show
  // the folder the script chose rather than a random temporary name.
  tarnix::test::TempDir dir(tarnix::test::TempDir::At{
      std::filesystem::path(ctx.samples.toLocal8Bit().toStdString()).parent_path() / "c"});
  const auto kernel32 = dir.Write(
      "Windows/System32/kernel32.dll",
      PeBuilder()
          .TimeStamp(0x61A2B3C4)
          .DllCharacteristics(0x4160)
          .Section({".data", std::string(32, '\0'), 0xC0000040, 0})
          .Exports({"KERNEL32.dll", 1,
                    {{1, "CreateFileW"}, ExportSymbol::In(2, "g_ErrorMode", ".data"),
                     {3, "HeapAlloc", "NTDLL.RtlAllocateHeap"}, {4, "?Open@File@@QEAAHPEB_W@Z"}}})
          .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Windows NT BASE API Client DLL", u"10.0.19041.1", 0xA0000))
          .Build()
          .bytes);
  dir.Write("Windows/System32/ntdll.dll",
            PeBuilder().Exports({"ntdll.dll", 1, {{1, "RtlAllocateHeap"}}}).Build().bytes);
  // The 32-bit side: a program whose KERNEL32.dll is the one in SysWOW64.
  dir.Write("Windows/SysWOW64/kernel32.dll",
            PeBuilder(PeBuilder::Kind::kPe32)
                .Exports({"KERNEL32.dll", 1, {{1, "CreateFileA"}}})
                .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Windows NT BASE API Client DLL", u"10.0.19041.1", 0xA0000))
                .Build()
                .bytes);
  const auto tool = dir.Write(
      "Program Files (x86)/Tool/legacy32.exe",
      PeBuilder(PeBuilder::Kind::kPe32)
          .TimeStamp(0x3A1B2C3D)
          .Characteristics(0x010F)
          .DllCharacteristics(0)
          .Subsystem(3)
          .Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileA", 0x4F)}})
          .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Sample console tool", u"1.0.0.0", 0x10000))
          .Build()
          .bytes);
  const auto editor = dir.Write(
      "Program Files/Editor/editor.exe",
      PeBuilder()
          .TimeStamp(0x62F0A1B2)
          .Characteristics(0x0022)
          .DllCharacteristics(0xC160)
          .Subsystem(2)
          .Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 0xC3), ImportSymbol::Named("g_ErrorMode", 0x1F)}})
          .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Sample text editor", u"2.4.0.7", 0x20004))
          .Build()
          .bytes);
  tarnix::test::EnvValue root("TARNIX_WINDOWS_ROOT", (dir.path() / "Windows").c_str());

  const struct {
    const char* name;
    ImageInfoSubject subject;
  } shots[] = {
      {"imginfo-import", Subject(editor, kKindImport, L"CreateFileW", L"KERNEL32.dll", 0xC3)},
      {"imginfo-cpp-export", Subject(kernel32, kKindExportCpp, L"?Open@File@@QEAAHPEB_W@Z", L"KERNEL32.dll", 3, 4)},
      {"imginfo-forwarded", Subject(kernel32, kKindExportForwarded, L"NTDLL.RtlAllocateHeap", L"KERNEL32.dll", 1, 3)},
      {"imginfo-forwarded-import", Subject(editor, kKindImport, L"HeapAlloc", L"KERNEL32.dll", 0x34F)},
      {"imginfo-global", Subject(editor, kKindImport, L"g_ErrorMode", L"KERNEL32.dll", 0x1F)},
      {"imginfo-library", Subject(tool, kKindImportedLibrary, L"", L"KERNEL32.dll")},
  };
  CImgInfoDlg w;
  for (const auto& shot : shots) {
    w.Fill(shot.subject);
    Shoot(w, QString::fromLatin1(shot.name) + ctx.suffix);
  }
  // As small as it goes: every box still there.
  w.resize(w.minimumSizeHint());
  Shoot(w, QStringLiteral("imginfo-smallest") + ctx.suffix);
  w.close();
}

}  // namespace tarnix::gui::shots
