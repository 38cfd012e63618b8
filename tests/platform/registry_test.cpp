#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/last_error.h"
#include "support/temp_dir.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> b) { return b; }

TEST(Registry, KeysAndValuesIgnoreCaseAndKeepTheirData) {
  RegKey key;
  EXPECT_EQ(key.Open(L"Software\\RegTest\\A"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(key.Create(L"Software\\RegTest\\A\\"), ERROR_SUCCESS);
  // Parents exist once a child was created.
  RegKey parent;
  EXPECT_EQ(parent.Open(L"software\\regtest"), ERROR_SUCCESS);

  auto data = Bytes({1, 2, 3, 4, 5});
  ASSERT_EQ(key.Set(L"Blob", REG_BINARY, data.data(), 5), ERROR_SUCCESS);
  RegKey again;
  ASSERT_EQ(again.Open(L"SOFTWARE\\REGTEST\\a"), ERROR_SUCCESS);

  uint32_t type = 0, size = 0;
  EXPECT_EQ(again.Query(L"BLOB", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 5u);
  uint8_t small[2];
  size = 2;
  EXPECT_EQ(again.Query(L"blob", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  std::vector<uint8_t> read;
  EXPECT_EQ(again.QueryAll(L"Blob", type, read), ERROR_SUCCESS);
  EXPECT_EQ(read, data);

  // Overwriting changes type and data; an empty value is still a value.
  ASSERT_EQ(key.Set(L"blob", REG_DWORD, data.data(), 4), ERROR_SUCCESS);
  EXPECT_EQ(again.QueryAll(L"Blob", type, read), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read.size(), 4u);
  ASSERT_EQ(key.Set(L"Empty", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(again.QueryAll(L"Empty", type, read), ERROR_SUCCESS);
  EXPECT_TRUE(read.empty());

  EXPECT_EQ(key.DeleteValue(L"BLOB"), ERROR_SUCCESS);
  EXPECT_EQ(key.DeleteValue(L"BLOB"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(again.Query(L"Blob", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, BadPathsAreRefused) {
  RegKey key;
  EXPECT_EQ(key.Create(L"\\Software"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key.Create(L"Software\\\\X"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key.Create(L"Software\\" + std::wstring(256, L'k')), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Registry::DeleteTree(L""), ERROR_ACCESS_DENIED);
}

TEST(Registry, DeleteTreeRemovesTheKeyAndBelowButNotSiblings) {
  RegKey a, ab, abc, sibling;
  ASSERT_EQ(abc.Create(L"Tree\\A\\B\\C"), ERROR_SUCCESS);
  ASSERT_EQ(ab.Open(L"Tree\\A\\B"), ERROR_SUCCESS);
  ASSERT_EQ(a.Open(L"Tree\\A"), ERROR_SUCCESS);
  ASSERT_EQ(sibling.Create(L"Tree\\AB"), ERROR_SUCCESS);  // shares the prefix "Tree\A"
  uint8_t one = 1;
  ASSERT_EQ(abc.Set(L"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
  ASSERT_EQ(a.Set(L"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
  ASSERT_EQ(sibling.Set(L"v", REG_BINARY, &one, 1), ERROR_SUCCESS);

  EXPECT_EQ(Registry::DeleteTree(L"tree\\a"), ERROR_SUCCESS);
  RegKey probe;
  EXPECT_EQ(probe.Open(L"Tree\\A"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(probe.Open(L"Tree\\A\\B\\C"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(probe.Open(L"Tree\\AB"), ERROR_SUCCESS);
  uint32_t type, size;
  EXPECT_EQ(probe.Query(L"v", &type, nullptr, &size), ERROR_SUCCESS);
  // A handle to a removed key can't write any more.
  EXPECT_EQ(abc.Set(L"w", REG_BINARY, &one, 1), ERROR_KEY_DELETED);
  EXPECT_EQ(Registry::DeleteTree(L"Tree\\A"), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, OperationsLeaveTheLastErrorAlone) {
  SetLastError(1234);
  RegKey key;
  EXPECT_EQ(key.Open(L"Nothing\\Here"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(key.Create(L"Something"), ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST(Registry, DamagedDatabaseIsSetAsideAndReplaced) {
  // A folder of its own, so no connection of an earlier test is open on it.
  test::TempDir config("config");
  const std::string saved = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  const std::filesystem::path db = Registry::DatabasePath();
  std::filesystem::create_directories(db.parent_path());
  {
    std::ofstream out(db, std::ios::binary);
    out << std::string(8192, 'x');  // not a database
  }
  testing::internal::CaptureStderr();
  RegKey key;
  ASSERT_EQ(key.Create(L"After\\Damage"), ERROR_SUCCESS);
  uint8_t one = 1;
  EXPECT_EQ(key.Set(L"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("registry.sqlite"), std::string::npos) << err;
  EXPECT_TRUE(Registry::CheckIntegrity());

  int aside = 0;
  for (const auto& e : std::filesystem::directory_iterator(db.parent_path()))
    if (e.path().filename().string().rfind("registry.sqlite.corrupt-", 0) == 0) ++aside;
  EXPECT_EQ(aside, 1);
  setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace tarnix
