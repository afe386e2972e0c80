#include "update/startup_registration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "failing_registry.h"
#include "support/registry_database.h"

namespace quillora::test {
namespace {

const std::string kDeveloper = "Software\\Upcheck\\tovik@example.com";
const std::string kSoftware = kDeveloper + "\\Quillora－【文字コード変換】";
const std::string kProductHex = "5175696C6C6F7261817C817995B68E9A8352815B836895CF8AB7817A00";

bool Register(registry::Registry& registry) {
  return RegisterWithUpdateNotifier(registry, ThisProgram(u"/opt/quillora"));
}

// Without the notifier, and garbage and locked stores: UpCheck_test and hostile_startup_test.
TEST(startup_registration_test, writes_the_record_and_tells_of_a_newer_build) {
  RegistryStore store;
  EXPECT_FALSE(Register(store.registry));
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
  EXPECT_THAT(store.db.Values(), ::testing::UnorderedElementsAreArray(record));
  store.Put(kSoftware, "LatestBuild", 4, "12270000");
  EXPECT_TRUE(Register(store.registry));
}

TEST(startup_registration_test, asks_even_when_the_record_cannot_be_written) {
  RegistryStore store;
  store.Put(kSoftware, "LatestBuild", 4, "12270000");
  // Calls 1-2 ask whether the notifier is installed, 3-4 again in WriteData, 5 creates the
  // developer key and 6 writes "Author".
  FailingRegistry failing(store.registry, 6);
  EXPECT_TRUE(Register(failing));
  EXPECT_EQ(failing.calls.at(5), "set Author");
}

}  // namespace
}  // namespace quillora::test
