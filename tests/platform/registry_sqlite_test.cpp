#include "platform/registry_sqlite.h"

#include <gtest/gtest.h>

#include "support/registry_database.h"
#include "support/temp_folder.h"
#include "text/cp932_codec.h"

namespace quillora::test {
using namespace registry;
namespace {

using Rows = std::vector<std::string>;

std::string Cp932(std::u16string_view text) {
  const ByteBuffer bytes = TextToBytes(text);
  return {bytes.begin(), bytes.end()};
}

class registry_sqlite_test : public ::testing::Test {
 protected:
  Status Create(std::string_view path, Key root = kCurrentUser) {
    return Close(store.RegCreateKeyExA(root, path, 0, kKeyAllAccess, &key));
  }
  Status Open(std::string_view path, Key root = kCurrentUser) {
    return Close(store.RegOpenKeyExA(root, path, 0, kKeyAllAccess, &key));
  }
  Status Close(Status status) {
    if (status == kSuccess) {
      EXPECT_EQ(store.RegCloseKey(key), kSuccess);
    }
    return status;
  }

  TempFolder folder;
  std::filesystem::path user = folder.path / "config" / "registry.sqlite3";
  std::filesystem::path machine = folder.path / "machine.sqlite3";
  SqliteRegistry store{user, machine};
  Key key = 0;
};

TEST_F(registry_sqlite_test, keys_are_created_with_their_parents_and_found_without_regard_to_case) {
  EXPECT_EQ(Open("Software"), kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(user)) << "reading must not create the store";
  EXPECT_EQ(Create("Software\\Upcheck"), kSuccess);
  EXPECT_EQ(Create("SOFTWARE\\upcheck\\dev@example.com"), kSuccess);
  // "表" and "ソ" end in the byte 5C, which is no separator inside them.
  EXPECT_EQ(Create(Cp932(u"Software\\表ソ\\")), kSuccess);
  EXPECT_EQ(Create("\\Software"), kBadPathname);
  EXPECT_EQ(RegistryDatabase(user).Keys(),
            (Rows{"Software", "Software\\Upcheck", "Software\\Upcheck\\dev@example.com",
                  "Software\\表ソ"}));

  for (const char* path : {"software\\UPCHECK", "Software\\Upcheck\\DEV@example.com", ""}) {
    EXPECT_EQ(Open(path), kSuccess) << path;
  }
  EXPECT_EQ(Open("Software\\Upcheck\\missing"), kFileNotFound);
  EXPECT_EQ(Open("\\Software"), kBadPathname);
}

TEST_F(registry_sqlite_test, values_keep_their_type_bytes_and_the_case_of_their_name) {
  ASSERT_EQ(store.RegCreateKeyExA(kCurrentUser, "Software", 0, kKeyAllAccess, &key), kSuccess);
  const auto set = [&](const char* name, std::uint32_t type, std::string_view data) {
    return store.RegSetValueExA(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                                static_cast<std::uint32_t>(data.size()));
  };
  const std::uint8_t build[] = {0x11, 0x27, 0x00, 0x00};
  EXPECT_EQ(set("Build", kRegDword, {"\x11\x27\0\0", 4}), kSuccess);
  EXPECT_EQ(set("Author", kRegSz, {"Tovik\0", 6}), kSuccess);
  EXPECT_EQ(set("author", kRegSz, {"X\0", 2}), kSuccess);
  EXPECT_EQ(store.RegSetValueExA(key, "Empty", kRegSz, nullptr, 0), kSuccess);
  EXPECT_EQ(RegistryDatabase(user).Values(),
            (Rows{"Software|Author|1|5800", "Software|Build|4|11270000", "Software|Empty|1|"}));

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::uint8_t data[4] = {};
  EXPECT_EQ(store.RegQueryValueExA(key, "BUILD", &type, nullptr, &size), kSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4U);
  size = 3;
  EXPECT_EQ(store.RegQueryValueExA(key, "Build", nullptr, data, &size), kMoreData);
  EXPECT_EQ(size, 4U);
  EXPECT_EQ(store.RegQueryValueExA(key, "Build", nullptr, data, &size), kSuccess);
  EXPECT_EQ(std::vector(data, data + 4), std::vector(build, build + 4));
  EXPECT_EQ(store.RegQueryValueExA(key, "Missing", nullptr, data, &size), kFileNotFound);

  // Another process deletes the key while it is open.
  RegistryDatabase(user).Exec("DELETE FROM key");
  EXPECT_EQ(store.RegSetValueExA(key, "Build", kRegDword, build, 4), kKeyDeleted);
  EXPECT_EQ(store.RegCloseKey(key), kSuccess);
  EXPECT_EQ(store.RegCloseKey(key), kInvalidHandle);
  EXPECT_EQ(store.RegQueryValueExA(key, "Build", nullptr, nullptr, &size), kInvalidHandle);
}

TEST_F(registry_sqlite_test, a_key_opened_for_reading_cannot_be_written) {
  ASSERT_EQ(Create("Software"), kSuccess);
  ASSERT_EQ(store.RegOpenKeyExA(kCurrentUser, "Software", 0, 0x20019 /* KEY_READ */, &key),
            kSuccess);
  EXPECT_EQ(store.RegSetValueExA(key, "Build", kRegDword, nullptr, 0), kAccessDenied);
  EXPECT_EQ(store.RegCreateKeyExA(key, "Sub", 0, kKeyAllAccess, &key), kAccessDenied);
}

TEST_F(registry_sqlite_test, the_machine_hive_is_read_only_and_empty_without_its_file) {
  const char* msinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  EXPECT_EQ(Open(msinfo, kLocalMachine), kFileNotFound);
  EXPECT_EQ(Create(msinfo, kLocalMachine), kAccessDenied);
  EXPECT_FALSE(std::filesystem::exists(machine));

  RegistryDatabase(machine).Exec(std::string(kRegistrySchema) + "INSERT INTO key VALUES ('" +
                                 msinfo +
                                 "');"
                                 "INSERT INTO value VALUES ('" +
                                 msinfo + "', 'PATH', 1, X'4100');");
  const std::string before = ReadBytes(machine);
  EXPECT_EQ(Create(msinfo, kLocalMachine), kSuccess);
  EXPECT_EQ(Create("SOFTWARE\\Other", kLocalMachine), kAccessDenied);
  ASSERT_EQ(store.RegOpenKeyExA(kLocalMachine, msinfo, 0, 0x2003F, &key), kSuccess);
  std::uint8_t data[8] = {};
  std::uint32_t size = sizeof data;
  EXPECT_EQ(store.RegQueryValueExA(key, "path", nullptr, data, &size), kSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), (std::string{'A', '\0'}));
  EXPECT_EQ(store.RegSetValueExA(key, "PATH", kRegSz, data, size), kAccessDenied);
  EXPECT_EQ(ReadBytes(machine), before);
}

TEST_F(registry_sqlite_test, a_locked_store_gives_an_error_code_and_serves_again_when_freed) {
  ASSERT_EQ(Create("Software"), kSuccess);
  SqliteRegistry other{user, machine};
  RegistryDatabase locker(user);
  locker.Exec("BEGIN EXCLUSIVE");
  EXPECT_EQ(other.RegOpenKeyExA(kCurrentUser, "Software", 0, kKeyAllAccess, &key), kBadDatabase);
  EXPECT_EQ(Create("Software\\New"), kBadDatabase);
  locker.Exec("ROLLBACK");
  EXPECT_EQ(other.RegOpenKeyExA(kCurrentUser, "Software", 0, kKeyAllAccess, &key), kSuccess);
}

}  // namespace
}  // namespace quillora::test
