#include "update/UpCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "failing_registry.h"
#include "support/registry_database.h"

namespace quillora::test {
namespace {

using ::testing::UnorderedElementsAre;

const std::string kDeveloper = "Software\\Upcheck\\dev@example.com";
const std::string kSoftware = kDeveloper + "\\Mailer";

using Store = RegistryStore;

ProgramInfo Program(std::int16_t major = 1, std::int16_t minor = 0, std::int16_t revision = 1,
                    const char16_t* product = u"Mailer") {
  return {u"/opt/mailer", u"mailer", product, major, minor, revision};
}

// Everything WriteData needs; the software name is the product name.
void Ready(UpCheck& upcheck) {
  upcheck.MailAddress(u"dev@example.com");
  upcheck.Author(u"Tovik");
  upcheck.InfoURL(u"http://www.example.com/tovik/update.inf", 1);
}

std::uint32_t ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const UpCheckError& error) {
    return error.number();
  }
  return 0;
}

TEST(UpCheck_test, raises_before_writing_anything) {
  enum Op { write, check, slot2 };
  const struct {
    bool installed;
    Op op;
    const char16_t *mail, *author, *url;  // url: the primary one, or slot 2's
    ProgramInfo program;
    std::int32_t icon;
    std::uint32_t expected;
  } cases[] = {
      {false, write, u"m", u"a", u"u", Program(), 0, upcheck::kNotInstalled},
      {true, write, u"", u"", u"u", Program(), 0, upcheck::kNoMailAddress},  // mail first
      {true, write, u"m", u"", u"u", Program(), 0, upcheck::kNoAuthor},
      {true, write, u"m", u"a", u"", Program(), 0, upcheck::kNoInfoUrl},
      {true, slot2, u"m", u"a", u"", Program(), 0, upcheck::kNoInfoUrl},
      {true, write, u"m", u"a", u"u", Program(1, 0, 1, u""), 0, upcheck::kNoSoftwareName},
      {true, write, u"m", u"a", u"u", Program(), -1, upcheck::kNegativeIconIndex},
      // The build is 16-bit arithmetic: 3.27.67 is the largest version.
      {true, write, u"m", u"a", u"u", Program(3, 27, 68), 0, upcheck::kOverflow},
      {true, check, u"m", u"a", u"u", Program(4, 0, 0), 0, upcheck::kOverflow},
      {true, check, u"m", u"a", u"u", Program(), 0, upcheck::kRegistryError},  // no record
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Store store(c.installed);
    UpCheck upcheck(store.registry, c.program);
    upcheck.MailAddress(c.mail);
    upcheck.Author(c.author);
    upcheck.IconIndex(c.icon);
    EXPECT_EQ(ErrorOf([&] {
                upcheck.InfoURL(c.url, c.op == slot2 ? std::uint8_t{2} : std::uint8_t{1});
                if (c.op == write) {
                  upcheck.WriteData();
                } else if (c.op == check) {
                  (void)upcheck.CheckNewVer();
                }
              }),
              c.expected);
    EXPECT_EQ(store.db.Values(), std::vector<std::string>{});
    EXPECT_LE(store.db.Keys().size(), 1U) << "at most Software\\Upcheck";
  }
}

TEST(UpCheck_test, write_data_writes_the_record_and_leaves_other_values) {
  Store store;
  store.Put(kSoftware, "LatestBuild", 4, "12270000");
  store.Put(kDeveloper, "DisplayHost", 1, "6F6C6400");  // an empty property keeps it
  UpCheck upcheck(store.registry, Program(3, 27, 67));
  Ready(upcheck);
  upcheck.InfoURL(u"http://b/", 3);  // written at once
  upcheck.FilePath(true);
  upcheck.DisplayName(u"日本語のメール文字コード変換器");  // 15 double-byte characters
  upcheck.WriteData();
  EXPECT_EQ(upcheck.Build(), 32767);
  EXPECT_EQ(upcheck.DistinctName(), u"Mailer");
  upcheck.IconIndex(7);
  upcheck.FilePath(false);
  upcheck.WriteData();
  const std::string dev = kDeveloper + "|";
  const std::string sw = kSoftware + "|";
  EXPECT_THAT(
      store.db.Values(),
      UnorderedElementsAre(
          dev + "Author|1|546F76696B00", dev + "DisplayHost|1|6F6C6400",
          dev + "InfoURL|1|687474703A2F2F7777772E6578616D706C652E636F6D2F746F76696B2F75706461"
                "74652E696E6600",
          dev + "InfoURL3|1|687474703A2F2F622F00", sw + "Build|4|FF7F0000",
          // 30 bytes of text and the terminator
          sw + "DisplayName|1|93FA967B8CEA82CC8381815B838B95B68E9A8352815B836895CF8AB78AED00",
          sw + "DistinctName|1|4D61696C657200",
          sw + "FilePath|1|2F6F70742F6D61696C65722F6D61696C65722E45584500",  // ...mailer.EXE
          sw + "IconIndex|4|07000000", sw + "LatestBuild|4|12270000"));
}

// Only a root folder ends in the separator; a length rule would eat the one of "/ab".
TEST(UpCheck_test, file_path_joins_folder_and_name_with_one_separator) {
  const std::pair<const char16_t*, const char*> cases[] = {{u"/", "2F512E45584500"},
                                                           {u"/ab", "2F61622F512E45584500"}};
  for (const auto& [folder, hex] : cases) {
    Store store;
    UpCheck upcheck(store.registry, {folder, u"Q", u"Mailer", 1, 0, 1});
    Ready(upcheck);
    upcheck.FilePath(true);
    upcheck.WriteData();
    EXPECT_THAT(store.db.Values(), ::testing::Contains(kSoftware + "|FilePath|1|" + hex));
  }
}

TEST(UpCheck_test, compares_latest_and_next_with_the_current_build) {
  const struct {
    const char* latest;  // "type hex"; "": absent
    const char* next;
    bool expected;
  } cases[] = {
      {"", "", false},
      {"4 12270000", "", true},  // 10002 > 10001
      {"4 11270000", "", false},
      {"4 12270000", "4 11270000", false},
      {"4 12270000", "4 FFFFFFFF", false},
      {"1 1227", "", true},               // the type is not examined
      {"4 1227000000000000", "", false},  // too long to read
  };
  Store store;
  UpCheck upcheck(store.registry, Program());
  Ready(upcheck);
  upcheck.WriteData();
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    store.db.Exec("DELETE FROM value WHERE name IN ('LatestBuild', 'NextBuild')");
    for (const auto& [name, value] : {std::pair{"LatestBuild", c.latest}, {"NextBuild", c.next}}) {
      if (*value != '\0') {
        store.Put(kSoftware, name, value[0] - '0', value + 2);  // another connection
      }
    }
    EXPECT_EQ(upcheck.CheckNewVer(), c.expected);
  }
}

// Each registry call in turn fails: the operation raises (or not), keeps what it wrote before and
// leaves no key open.
TEST(UpCheck_test, fails_at_each_registry_call) {
  const struct {
    bool with_record;  // a record from an earlier start, with a newer build
    std::function<void(UpCheck&)> act;
    std::string errors;  // when call N fails: N not installed, R registry error, - none
  } cases[] = {
      {false,
       [](UpCheck& u) {
         u.DisplayHost(u"www.example.com");
         u.FilePath(true);
         u.WriteData();
       },
       "NRRRRRRRRRRR"},
      // A failed creation is reported only by the open that follows it.
      {true, [](UpCheck& u) { u.WriteData(); }, "NR-RRR-RRR"},
      {false, [](UpCheck& u) { u.InfoURL(u"http://b/", 3); }, "NRRRR"},
      {true, [](UpCheck& u) { (void)u.CheckNewVer(); }, "R--R"},  // an unread build counts as 0
  };
  for (const auto& c : cases) {
    for (std::size_t fail_at = 0; fail_at <= c.errors.size(); ++fail_at) {
      SCOPED_TRACE(c.errors + " " + std::to_string(fail_at));
      Store store;
      if (c.with_record) {
        UpCheck earlier(store.registry, Program());
        Ready(earlier);
        earlier.WriteData();
        store.Put(kSoftware, "LatestBuild", 4, "12270000");
      }
      FailingRegistry failing(store.registry, fail_at);
      UpCheck upcheck(failing, Program());
      Ready(upcheck);
      const std::uint32_t error = ErrorOf([&] { c.act(upcheck); });
      const char expected = fail_at == 0 ? '-' : c.errors[fail_at - 1];
      EXPECT_EQ(error, expected == 'N'   ? upcheck::kNotInstalled
                       : expected == 'R' ? upcheck::kRegistryError
                                         : 0U);
      EXPECT_TRUE(failing.open_keys.empty());
      EXPECT_TRUE(fail_at != 0 || failing.calls.size() == c.errors.size());
      const std::size_t before = std::min(fail_at - 1, failing.calls.size());  // 0: all
      const auto sets = std::count_if(failing.calls.begin(), failing.calls.begin() + before,
                                      [](const std::string& call) { return call[0] == 's'; });
      EXPECT_TRUE(c.with_record || store.db.Values().size() == static_cast<std::size_t>(sets));
    }
  }
}

}  // namespace
}  // namespace quillora::test
