// Module names resolved as the loader finds them under a Windows folder
// laid out in a temporary folder.
#include "symbolsearch/module_resolver.h"

#include <gtest/gtest.h>

#include "pe/image_properties.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/api_set_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {
namespace fs = std::filesystem;
using test::ApiSetEntry;
using test::TempDir;

// c/Windows with System32 (and SysWOW64 when 64-bit), an application folder
// beside it.
struct WindowsLayout {
  explicit WindowsLayout(bool is64 = true) {
    fs::create_directories(dir.path() / "c/Windows/System32");
    if (is64) fs::create_directories(dir.path() / "c/Windows/SysWOW64");
    fs::create_directories(dir.path() / "c/App");
  }
  void Put(const std::string& relative) const { dir.Write("c/" + relative, "MZ"); }
  std::wstring Path(const std::string& relative) const {
    return FromUtf8((dir.path() / "c" / relative).string());
  }
  ModuleResolver Resolver() const {
    WindowsRootSearch where;
    where.setting = dir.path() / "c/Windows";
    return ModuleResolver(WindowsRoot::Discover(where));
  }
  TempDir dir{"modres"};
};

std::wstring Resolve(const ModuleResolver& r, const std::wstring& image, uint32_t type,
                     const std::wstring& module, uint32_t* error = nullptr) {
  std::wstring path;
  const bool ok = r.Resolve(image, type, module, path);
  if (error) *error = ok ? 0 : GetLastError();
  EXPECT_EQ(ok, !path.empty());
  return path;
}

TEST(ModuleResolver, SearchOrderAndBitness) {
  WindowsLayout w;
  for (const char* f : {"App/local.dll", "App/both.dll", "Windows/System32/both.dll",
                        "Windows/System32/Shared.DLL", "Windows/SysWOW64/shared.dll",
                        "Windows/System32/only64.dll", "Windows/winonly.dll"})
    w.Put(f);
  const ModuleResolver r = w.Resolver();
  const std::wstring app = w.Path("App/app.exe");

  // The image's own folder first, names in any case.
  EXPECT_EQ(Resolve(r, app, kImageType64, L"LOCAL.DLL"), w.Path("App/local.dll"));
  EXPECT_EQ(Resolve(r, app, kImageType64, L"both.dll"), w.Path("App/both.dll"));
  // Then the system folder of the image's bitness; ".dll" is added.
  EXPECT_EQ(Resolve(r, app, kImageType64, L"shared"), w.Path("Windows/System32/Shared.DLL"));
  EXPECT_EQ(Resolve(r, app, kImageType32, L"SHARED"), w.Path("Windows/SysWOW64/shared.dll"));
  // A 32-bit image never gets a 64-bit module.
  uint32_t error = 0;
  EXPECT_EQ(Resolve(r, app, kImageType32, L"only64.dll", &error), L"");
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  // Then the Windows folder.
  EXPECT_EQ(Resolve(r, app, kImageType64, L"winonly.dll"), w.Path("Windows/winonly.dll"));

  // A 32-bit Windows has its 32-bit modules in System32.
  WindowsLayout w32(false);
  w32.Put("Windows/System32/shared.dll");
  EXPECT_EQ(Resolve(w32.Resolver(), w32.Path("App/app.exe"), kImageType32, L"shared.dll"),
            w32.Path("Windows/System32/shared.dll"));
}

TEST(ModuleResolver, RefusesPathsAndReportsMissingModules) {
  WindowsLayout w;
  w.Put("App/x.dll");
  w.Put("Windows/System32/y.dll");
  const ModuleResolver r = w.Resolver();
  const std::wstring app = w.Path("App/app.exe");
  for (const wchar_t* name : {L"../App/x.dll", L"System32/y.dll", L"..\\x.dll", L"..", L".", L"",
                              L"c:x.dll", L"x\n.dll"}) {
    uint32_t error = 0;
    EXPECT_EQ(Resolve(r, app, kImageType64, name, &error), L"") << ToUtf8(name);
    EXPECT_EQ(error, ERROR_INVALID_NAME) << ToUtf8(name);
  }
  uint32_t error = 0;
  EXPECT_EQ(Resolve(r, app, kImageType64, std::wstring(300, L'a'), &error), L"");
  EXPECT_EQ(error, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(Resolve(r, app, kImageType64, L"nowhere.dll", &error), L"");
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  // A trailing dot means "no extension".
  w.Put("App/noext");
  EXPECT_EQ(Resolve(r, app, kImageType64, L"NOEXT."), w.Path("App/noext"));
}

class ApiSetResolution : public testing::TestWithParam<uint32_t> {};

TEST_P(ApiSetResolution, NamesGoToTheirHosts) {
  WindowsLayout w;
  for (const char* f : {"Windows/System32/kernelbase.dll", "Windows/System32/kernel32.dll",
                        "Windows/SysWOW64/kernelbase.dll", "App/api-ms-win-unknown-l1-1-0.dll"})
    w.Put(f);
  const std::vector<ApiSetEntry> entries = {
      {u"api-ms-win-core-file-l1-2-0", {{u"", u"kernelbase.dll"}, {u"kernelbase.dll", u"kernel32.dll"}}},
      {u"ext-ms-win-gone-l1-1-0", {{u"", u""}}},
  };
  w.dir.Write("c/Windows/System32/apisetschema.dll",
              test::ApiSetSchemaDll(test::ApiSetSchemaBytes(GetParam(), entries)));
  const ModuleResolver r = w.Resolver();
  const std::wstring app = w.Path("App/app.exe");

  EXPECT_EQ(Resolve(r, app, kImageType64, L"API-MS-WIN-CORE-FILE-L1-2-0.dll"),
            w.Path("Windows/System32/kernelbase.dll"));
  EXPECT_EQ(Resolve(r, app, kImageType32, L"api-ms-win-core-file-l1-2-0"),
            w.Path("Windows/SysWOW64/kernelbase.dll"));
  // The importer's own value: kernelbase's API sets lead elsewhere.
  EXPECT_EQ(Resolve(r, w.Path("Windows/System32/kernelbase.dll"), kImageType64,
                    L"api-ms-win-core-file-l1-2-0.dll"),
            w.Path("Windows/System32/kernel32.dll"));
  // Version 6 finds any minor version of a set; the older ones only the set itself.
  uint32_t error = 0;
  const std::wstring minor = Resolve(r, app, kImageType64, L"api-ms-win-core-file-l1-2-7.dll", &error);
  if (GetParam() == 6)
    EXPECT_EQ(minor, w.Path("Windows/System32/kernelbase.dll"));
  else
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  // A set without a host here cannot load.
  EXPECT_EQ(Resolve(r, app, kImageType64, L"ext-ms-win-gone-l1-1-0.dll", &error), L"");
  EXPECT_EQ(error, ERROR_MOD_NOT_FOUND);
  // A set the schema does not know is looked for as a file.
  EXPECT_EQ(Resolve(r, app, kImageType64, L"api-ms-win-unknown-l1-1-0.dll"),
            w.Path("App/api-ms-win-unknown-l1-1-0.dll"));
}

INSTANTIATE_TEST_SUITE_P(Versions, ApiSetResolution, testing::Values(2u, 4u, 6u));

TEST(ModuleResolver, BrokenSchemaFailsOnlyApiSetsWithItsError) {
  WindowsLayout w;
  w.Put("Windows/System32/kernelbase.dll");
  const std::string schema =
      test::ApiSetSchemaBytes(6, {{u"api-ms-win-core-file-l1-2-0", {{u"", u"kernelbase.dll"}}}});
  w.dir.Write("c/Windows/System32/apisetschema.dll",
              test::ApiSetSchemaDll(schema.substr(0, schema.size() / 2)));
  const ModuleResolver r = w.Resolver();
  uint32_t error = 0;
  EXPECT_EQ(Resolve(r, w.Path("App/app.exe"), kImageType64, L"api-ms-win-core-file-l1-2-0.dll", &error), L"");
  EXPECT_EQ(error, ERROR_INVALID_DATA);
  EXPECT_EQ(Resolve(r, w.Path("App/app.exe"), kImageType64, L"kernelbase.dll"),
            w.Path("Windows/System32/kernelbase.dll"));
}

// A schema of a version that is not read says its version and those read.
TEST(ModuleResolver, SchemaOfAnotherVersionSaysWhichVersionsAreRead) {
  WindowsLayout w;
  std::string schema = test::ApiSetSchemaBytes(6, {{u"api-ms-win-core-file-l1-2-0", {{u"", u"kernelbase.dll"}}}});
  test::Poke<uint32_t>(schema, 0, 5);
  w.dir.Write("c/Windows/System32/apisetschema.dll", test::ApiSetSchemaDll(schema));
  const ModuleResolver r = w.Resolver();
  uint32_t error = 0;
  EXPECT_EQ(Resolve(r, w.Path("App/app.exe"), kImageType64, L"api-ms-win-core-file-l1-2-0.dll", &error), L"");
  EXPECT_EQ(error, ERROR_UNSUPPORTED_VERSION);
  EXPECT_EQ(r.DescribeError(error),
            L"(1828) The API set schema of this Windows has version 5; versions 2, 4 and 6 are read.");
  EXPECT_EQ(r.DescribeError(ERROR_FILE_NOT_FOUND), L"(2) The file could not be found.");
}

}  // namespace
}  // namespace tarnix
