// The API set schema reader on schemas of the three versions, cut short or
// made hostile.
#include "pe/api_set_schema.h"

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/api_set_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

BoundedView View(const std::string& bytes) {
  return BoundedView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

const std::vector<test::ApiSetEntry> kEntries = {
    {u"api-ms-win-core-heap-l1-1-0", {{u"", u"kernelbase.dll"}}},
    {u"api-ms-win-core-file-l1-2-0", {{u"", u"kernel32.dll"}, {u"kernel32.dll", u"kernelbase.dll"}}},
    {u"ext-ms-win-none-l1-1-0", {}},
};

TEST(ApiSetSchema, EveryVersionAndEveryCut) {
  for (uint32_t version : {2u, 4u, 6u}) {
    const std::string bytes = test::ApiSetSchemaBytes(version, kEntries);
    ApiSetSchema schema;
    ASSERT_TRUE(schema.Parse(View(bytes))) << version;
    EXPECT_EQ(schema.version(), version);
    EXPECT_EQ(schema.size(), 3u);
    std::wstring host;
    EXPECT_EQ(schema.Resolve(L"api-ms-win-core-heap-l1-1-0.dll", L"app.exe", host),
              ApiSetSchema::Lookup::kHost);
    EXPECT_EQ(host, L"kernelbase.dll");
    EXPECT_EQ(schema.Resolve(L"API-MS-WIN-CORE-FILE-L1-2-0", L"KERNEL32.DLL", host),
              ApiSetSchema::Lookup::kHost);
    EXPECT_EQ(host, L"kernelbase.dll");
    EXPECT_EQ(schema.Resolve(L"ext-ms-win-none-l1-1-0.dll", L"app.exe", host),
              ApiSetSchema::Lookup::kNoHost);
    EXPECT_EQ(schema.Resolve(L"kernel32.dll", L"app.exe", host), ApiSetSchema::Lookup::kUnknown);
    EXPECT_EQ(schema.Resolve(L"api-ms-win-core-none-l1-1-0.dll", L"app.exe", host),
              ApiSetSchema::Lookup::kUnknown);

    // Cut anywhere, a schema reads whole or not at all.
    for (size_t size = 0; size < bytes.size(); ++size) {
      const std::string cut = bytes.substr(0, size);
      ApiSetSchema partial;
      if (partial.Parse(View(cut))) continue;
      EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << version << " " << size;
      EXPECT_EQ(partial.size(), 0u);
    }
  }
}

TEST(ApiSetSchema, HostileSchemasAreRefused) {
  ApiSetSchema schema;
  std::string bytes = test::ApiSetSchemaBytes(6, kEntries);
  test::Poke<uint32_t>(bytes, 0, 5);
  EXPECT_FALSE(schema.Parse(View(bytes)));
  EXPECT_EQ(GetLastError(), ERROR_UNSUPPORTED_VERSION);

  // A name of an odd number of bytes; a count far beyond the bytes.
  bytes = test::ApiSetSchemaBytes(6, kEntries);
  test::Poke<uint32_t>(bytes, 28 + 8, 7);
  EXPECT_FALSE(schema.Parse(View(bytes)));
  bytes = test::ApiSetSchemaBytes(2, kEntries);
  test::Poke<uint32_t>(bytes, 4, 0xFFFFFFFF);
  EXPECT_FALSE(schema.Parse(View(bytes)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);

  // Many entries sharing one large value array: what they make the reader
  // hold is bounded, so the schema is refused rather than multiplied.
  std::vector<test::ApiSetEntry> shared(4000, {u"api-ms-win-x-l1-1-0", {}});
  for (int v = 0; v < 20; ++v) shared[0].values.push_back({u"a.dll", u"b.dll"});
  bytes = test::ApiSetSchemaBytes(6, shared);
  const uint32_t values = test::Peek<uint32_t>(bytes, 28 + 16);
  for (uint32_t i = 1; i < 4000; ++i) {
    test::Poke<uint32_t>(bytes, 28 + 24 * i + 16, values);
    test::Poke<uint32_t>(bytes, 28 + 24 * i + 20, 20);
  }
  EXPECT_FALSE(schema.Parse(View(bytes)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
}

TEST(ApiSetSchema, ReadFromTheDllSection) {
  test::TempDir dir("apiset");
  const std::string schema = test::ApiSetSchemaBytes(6, kEntries);
  ApiSetSchema s;
  ASSERT_TRUE(s.Load(dir.Write("apisetschema.dll", test::ApiSetSchemaDll(schema)).string()));
  EXPECT_EQ(s.size(), 3u);
  // No ".apiset" section, or no image at all.
  EXPECT_FALSE(s.Load(dir.Write("plain.dll", test::PeBuilder().Build().bytes).string()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_FALSE(s.Load(dir.Write("text.dll", std::string(300, 'x')).string()));
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
}

}  // namespace
}  // namespace tarnix
