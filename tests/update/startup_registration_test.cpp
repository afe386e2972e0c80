#include "update/startup_registration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "platform/registry_database.h"
#include "platform/registry_sqlite.h"
#include "platform/temp_folder.h"
#include "update/failing_registry.h"

namespace quillora {
namespace {

using Rows = std::vector<std::string>;

const std::string kDeveloper = "Software\\Upcheck\\tovik@example.com";
const std::string kSoftware = kDeveloper + "\\Quillora－【文字コード変換】";
const std::string kProductHex = "5175696C6C6F7261817C817995B68E9A8352815B836895CF8AB7817A00";

class StartupRegistration : public ::testing::Test {
 protected:
  // The notifier marks itself installed, and may record a newer build.
  void Install(const char* latest_build_hex = nullptr) {
    testing::RegistryDatabase db(file);
    db.Exec(std::string(testing::kRegistrySchema) + "INSERT INTO key VALUES ('Software\\Upcheck')");
    if (latest_build_hex != nullptr) {
      db.Exec("INSERT INTO key VALUES ('" + kSoftware + "');INSERT INTO value VALUES ('" +
              kSoftware + "', 'LatestBuild', 4, X'" + latest_build_hex + "')");
    }
  }
  bool Register(registry::Registry& registry) {
    return RegisterWithUpdateNotifier(registry, ThisProgram(u"/opt/quillora"));
  }
  bool Register() {
    registry::SqliteRegistry registry(file, folder.path / "machine.sqlite3");
    return Register(registry);
  }
  Rows Values() { return testing::RegistryDatabase(file).Values(); }
  // Start-up goes on within two seconds and shows nothing.
  void ExpectQuickNo() {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Register());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }

  testing::TempFolder folder;
  std::filesystem::path file = folder.path / "registry.sqlite3";
};

TEST_F(StartupRegistration, WithoutTheNotifierWritesNothing) {
  EXPECT_FALSE(Register());
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(StartupRegistration, WritesTheRecordAndTellsOfANewerBuild) {
  Install();
  EXPECT_FALSE(Register());
  const Rows record{
      kDeveloper + "|Author|1|546F76696B00",
      kDeveloper + "|DisplayHost|1|7777772E6578616D706C652E636F6D00",
      kDeveloper +
          "|InfoURL|1|687474703A2F2F7777772E6578616D706C652E636F6D2F746F76696B2F757064"
          "6174652E696E6600",
      kSoftware + "|Build|4|11270000",
      kSoftware + "|DisplayName|1|" + kProductHex,
      kSoftware + "|DistinctName|1|" + kProductHex,
      kSoftware + "|FilePath|1|2F6F70742F7175696C6C6F72612F5175696C6C6F72612E45584500"};
  EXPECT_THAT(Values(), ::testing::UnorderedElementsAreArray(record));

  testing::RegistryDatabase(file).Exec("INSERT INTO value VALUES ('" + kSoftware +
                                       "', 'LatestBuild', 4, X'12270000')");
  EXPECT_TRUE(Register());
}

TEST_F(StartupRegistration, AsksEvenWhenTheRecordCannotBeWritten) {
  Install("12270000");
  registry::SqliteRegistry store(file, folder.path / "machine.sqlite3");
  // Calls 1-2 ask whether the notifier is installed, 3-4 again in WriteData, 5 creates the
  // developer key and 6 writes "Author".
  testing::FailingRegistry failing(store, 6);
  EXPECT_TRUE(Register(failing));
  EXPECT_EQ(failing.calls.at(5), "set Author");
}

TEST_F(StartupRegistration, AGarbageStoreCostsNoTimeAndIsLeftAlone) {
  const std::string garbage(4096, 'Z');
  testing::WriteBytes(file, garbage);
  ExpectQuickNo();
  EXPECT_EQ(testing::ReadBytes(file), garbage);
}

TEST_F(StartupRegistration, ALockedStoreCostsLittleTimeAndLosesNothing) {
  Install("12270000");
  const Rows before = Values();
  testing::RegistryDatabase notifier(file);
  notifier.Exec("BEGIN EXCLUSIVE");
  ExpectQuickNo();
  notifier.Exec("ROLLBACK");
  EXPECT_EQ(Values(), before);
}

}  // namespace
}  // namespace quillora
