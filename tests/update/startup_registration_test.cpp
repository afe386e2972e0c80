#include "update/startup_registration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "failing_registry.h"
#include "platform/registry_sqlite.h"
#include "support/registry_database.h"
#include "support/temp_folder.h"

namespace quillora::test {
namespace {

const std::string kDeveloper = "Software\\Upcheck\\tovik@example.com";
const std::string kSoftware = kDeveloper + "\\Quillora－【文字コード変換】";
const std::string kProductHex = "5175696C6C6F7261817C817995B68E9A8352815B836895CF8AB7817A00";

// Garbage and locked stores: tests/hardening/hostile_startup_test.cpp.
class startup_registration_test : public ::testing::Test {
 protected:
  // The notifier marks itself installed, and may record a newer build.
  void Install(const char* latest_build_hex = nullptr) {
    RegistryDatabase db(file);
    db.Exec(std::string(kRegistrySchema) + "INSERT INTO key VALUES ('Software\\Upcheck')");
    if (latest_build_hex != nullptr) {
      db.Exec("INSERT INTO key VALUES ('" + kSoftware + "');INSERT INTO value VALUES ('" +
              kSoftware + "', 'LatestBuild', 4, X'" + latest_build_hex + "')");
    }
  }
  bool Register(registry::Registry& registry) {
    return RegisterWithUpdateNotifier(registry, ThisProgram(u"/opt/quillora"));
  }

  TempFolder folder;
  std::filesystem::path file = folder.path / "registry.sqlite3";
  registry::SqliteRegistry store{file, folder.path / "machine.sqlite3"};
};

TEST_F(startup_registration_test, without_the_notifier_writes_nothing) {
  EXPECT_FALSE(Register(store));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(startup_registration_test, writes_the_record_and_tells_of_a_newer_build) {
  Install();
  EXPECT_FALSE(Register(store));
  const std::vector<std::string> record{
      kDeveloper + "|Author|1|546F76696B00",
      kDeveloper + "|DisplayHost|1|7777772E6578616D706C652E636F6D00",
      kDeveloper +
          "|InfoURL|1|687474703A2F2F7777772E6578616D706C652E636F6D2F746F76696B2F757064"
          "6174652E696E6600",
      kSoftware + "|Build|4|11270000",
      kSoftware + "|DisplayName|1|" + kProductHex,
      kSoftware + "|DistinctName|1|" + kProductHex,
      kSoftware + "|FilePath|1|2F6F70742F7175696C6C6F72612F5175696C6C6F72612E45584500"};
  RegistryDatabase db(file);
  EXPECT_THAT(db.Values(), ::testing::UnorderedElementsAreArray(record));
  db.Exec("INSERT INTO value VALUES ('" + kSoftware + "', 'LatestBuild', 4, X'12270000')");
  EXPECT_TRUE(Register(store));
}

TEST_F(startup_registration_test, asks_even_when_the_record_cannot_be_written) {
  Install("12270000");
  // Calls 1-2 ask whether the notifier is installed, 3-4 again in WriteData, 5 creates the
  // developer key and 6 writes "Author".
  FailingRegistry failing(store, 6);
  EXPECT_TRUE(Register(failing));
  EXPECT_EQ(failing.calls.at(5), "set Author");
}

}  // namespace
}  // namespace quillora::test
