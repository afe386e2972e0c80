// Start-up against hostile surroundings: settings files that are garbage, huge, duplicated, of
// mixed line ends or with a byte-order mark give the defaults or the first match and the program
// starts; a registry store that is garbage or held locked by another process costs start-up less
// than two seconds.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "app/identity.h"
#include "inotify_watch.h"
#include "platform/registry_sqlite.h"
#include "process.h"
#include "update/startup_registration.h"

namespace quillora::hardening {
namespace {

using namespace std::chrono_literals;

struct SettingsCase {
  const char* name;
  std::string bytes;
  int decode_type;  // the one the batch run must use: the first match, or the default 0
};

std::string Random(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) {
    b = static_cast<char>(generator());
  }
  return bytes;
}

std::string Utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

std::vector<SettingsCase> SettingsCases() {
  std::string huge = "[Junk]\r\n";
  while (huge.size() < (10u << 20)) {
    huge += "junk" + std::to_string(huge.size()) + "=" + std::string(100, 'x') + "\r\n";
  }
  huge += "[Option]\r\nDefaultDecodeType=4\r\n";
  return {
      {"binary garbage", Random(1u << 16, 7), 0},
      {"10 MB with the key at the end", huge, 4},
      {"10 MB of garbage", Random(10u << 20, 8), 0},
      {"duplicate sections and keys",
       "[Option]\r\nDefaultDecodeType=4\r\nDefaultDecodeType=0\r\n[Option]\r\nDefaultDecodeType="
       "1\r\n",
       4},
      {"duplicates differing in case",
       "[OPTION]\r\n defaultdecodetype = 4 \r\n[Option]\r\nDefaultDecodeType=1\r\n", 4},
      {"mixed CR LF and LF",
       "[View]\nLeft=1\r\n[Option]\r\nSelectFont=x\nDefaultDecodeType=4\nTop=2\r\n", 4},
      {"lone CR line ends", "[Option]\rDefaultDecodeType=4\r", 4},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Option]\r\nDefaultDecodeType=4\r\n", 4},
      {"UTF-16 byte-order mark", Utf16Le("[Option]\r\nDefaultDecodeType=4\r\n"), 0},
      {"a NUL inside the value", std::string("[Option]\r\nDefaultDecodeType=4\0 9\r\n", 34), 4},
      {"absurd numbers and names",
       "[View]\r\nLeft=-2147483649\r\nTop=1e308\r\nWidth=99999999999999999999\r\nHeight=-0\r\n"
       "[Option]\r\nSelectFont=" +
           std::string(5000, 'F') +
           "\r\nSelectFontsize=1e308\r\n"
           "LastOpenFolder=/nonexistent/\xFF\xFE\r\nDefaultDecodeType=-32769\r\n",
       0},
  };
}

// The modes of the five decode types.
constexpr int kModeOfDecodeType[] = {1, 8, 10, 9, 11};

class HostileStartup : public testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return temp_.path / name; }

  std::string Reference(int mode, const fs::path& file) const {
    Invocation call{QUILLORA_CONVERT_EXE, {std::to_string(mode), file.string()}};
    call.out = Path("reference.out");
    EXPECT_EQ(RunToEnd(call).status, 0);
    return ReadFile(Path("reference.out"));
  }

#ifdef QUILLORA_EXE
  Invocation Program(const std::vector<std::string>& arguments, const fs::path& settings,
                     const fs::path& registry) const {
    Invocation call{QUILLORA_EXE, arguments};
    call.environment = {{"QUILLORA_SETTINGS", settings.string()},
                        {"QUILLORA_REGISTRY", registry.string()},
                        {"QUILLORA_MACHINE_REGISTRY", Path("no-machine-hive").string()},
                        {"XDG_RUNTIME_DIR", temp_.path.string()},
                        {"QT_QPA_PLATFORM", "offscreen"}};
    call.err = Path("stderr");
    return call;
  }

  // The desktop program's start: its load handler ends with the update-notifier registration,
  // which opens the registry store and closes it again. Returns the seconds the store was held,
  // after checking that the program is still up a second later.
  std::optional<double> StartAndMeasure(const fs::path& settings, const fs::path& registry) const {
    Watch watch(registry, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    Child child(Program({}, settings, registry));
    if (!watch.WaitFor(IN_OPEN, 180s)) {
      ADD_FAILURE() << "the registry store was never opened; running: " << child.Running() << "\n"
                    << ReadFile(Path("stderr"));
      return std::nullopt;
    }
    const auto opened = std::chrono::steady_clock::now();
    if (!watch.WaitFor(IN_CLOSE_WRITE | IN_CLOSE_NOWRITE, 60s)) {
      ADD_FAILURE() << "the registry store was never closed";
      return std::nullopt;
    }
    const double held =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(child.Running()) << ReadFile(Path("stderr"));
    return held;
  }
#endif

  TempFolder temp_;
};

// A registry store as the update notifier leaves it: the notifier installed, no record yet.
void MakeStore(const fs::path& file) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE key (path TEXT PRIMARY KEY COLLATE NOCASE);"
                         "CREATE TABLE value (path TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL"
                         " COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                         " PRIMARY KEY (path, name));"
                         "INSERT INTO key VALUES ('Software'), ('Software\\Upcheck');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

// Another process's hold on the store: an exclusive lock keeps readers out too, a pending write
// only writers.
class Holder {
 public:
  Holder(const fs::path& file, const char* begin) {
    sqlite3_open(file.c_str(), &db_);
    EXPECT_EQ(sqlite3_exec(db_, begin, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db_, "INSERT INTO key VALUES ('Software\\Other')", nullptr, nullptr, nullptr),
        SQLITE_OK);
  }
  ~Holder() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

TEST_F(HostileStartup, RegistrationGivesUpOnABadStoreWithinTwoSeconds) {
  MakeStore(Path("exclusive.sqlite3"));
  MakeStore(Path("writing.sqlite3"));
  const Holder exclusive(Path("exclusive.sqlite3"), "BEGIN EXCLUSIVE");
  const Holder writing(Path("writing.sqlite3"), "BEGIN IMMEDIATE");
  WriteFile(Path("garbage.sqlite3"), Random(1u << 16, 9));
  WriteFile(Path("header only.sqlite3"), std::string("SQLite format 3\0", 16) + Random(4096, 10));
  fs::create_directory(Path("folder.sqlite3"));
  ASSERT_EQ(::mkfifo(Path("pipe.sqlite3").c_str(), 0600), 0);
  WriteFile(Path("a file"), "");
  const fs::path stores[] = {
      Path("exclusive.sqlite3"),          Path("writing.sqlite3"), Path("garbage.sqlite3"),
      Path("header only.sqlite3"),        Path("folder.sqlite3"),  Path("pipe.sqlite3"),
      Path("a file") / "registry.sqlite3"};
  for (const fs::path& store : stores) {
    const std::string before = fs::is_regular_file(store) ? ReadFile(store) : "";
    registry::SqliteRegistry registry(store, Path("no-machine-hive"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RegisterWithUpdateNotifier(registry, ThisProgram(temp_.path.u16string())))
        << store;
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0)
        << store;
    if (store.filename() != "writing.sqlite3" && store.filename() != "exclusive.sqlite3") {
      EXPECT_TRUE(!fs::is_regular_file(store) || ReadFile(store) == before)
          << store << ": a store that cannot be read is left as it was";
    }
  }
}

#ifdef QUILLORA_EXE
TEST_F(HostileStartup, SettingsGiveTheFirstMatchOrTheDefaultAndAreNeverWritten) {
  const fs::path input = fs::path(QUILLORA_SAMPLES_DIR) / "utf16le_bom.txt";
  std::string expected[5];
  for (int type = 0; type < 5; ++type) {
    expected[type] = Reference(kModeOfDecodeType[type], input);
  }
  for (const SettingsCase& c : SettingsCases()) {
    WriteFile(Path("Quillora.ini"), c.bytes);
    fs::remove(Path("out.txt"));
    const Ended ended = RunToEnd(Program({input.string(), Path("out.txt").string()},
                                         Path("Quillora.ini"), Path("registry.sqlite3")),
                                 300s);
    EXPECT_EQ(ended.status, 0) << c.name << ReadFile(Path("stderr"));
    EXPECT_TRUE(ReadFile(Path("out.txt")) == expected[c.decode_type]) << c.name;
    EXPECT_TRUE(ReadFile(Path("Quillora.ini")) == c.bytes) << c.name;
  }
  // A folder where the settings file should be.
  fs::remove(Path("Quillora.ini"));
  fs::create_directory(Path("Quillora.ini"));
  const Ended ended = RunToEnd(Program({input.string(), Path("out.txt").string()},
                                       Path("Quillora.ini"), Path("registry.sqlite3")),
                               300s);
  EXPECT_EQ(ended.status, 0) << ReadFile(Path("stderr"));
  EXPECT_TRUE(ReadFile(Path("out.txt")) == expected[0]);
}

TEST_F(HostileStartup, TheDesktopProgramStartsWhateverTheSettingsHold) {
  MakeStore(Path("registry.sqlite3"));
  for (const SettingsCase& c : SettingsCases()) {
    WriteFile(Path("Quillora.ini"), c.bytes);
    EXPECT_TRUE(StartAndMeasure(Path("Quillora.ini"), Path("registry.sqlite3"))) << c.name;
  }
}

TEST_F(HostileStartup, ABadRegistryStoreCostsStartUpLessThanTwoSeconds) {
  WriteFile(Path("Quillora.ini"), "");
  MakeStore(Path("exclusive.sqlite3"));
  MakeStore(Path("writing.sqlite3"));
  WriteFile(Path("garbage.sqlite3"), Random(1u << 16, 11));
  const std::string garbage = ReadFile(Path("garbage.sqlite3"));
  {
    const Holder exclusive(Path("exclusive.sqlite3"), "BEGIN EXCLUSIVE");
    const Holder writing(Path("writing.sqlite3"), "BEGIN IMMEDIATE");
    for (const char* store : {"exclusive.sqlite3", "writing.sqlite3", "garbage.sqlite3"}) {
      const std::optional<double> held = StartAndMeasure(Path("Quillora.ini"), Path(store));
      ASSERT_TRUE(held) << store;
      EXPECT_LT(*held, 2.0) << store;
      RecordProperty(store, std::to_string(*held));
    }
  }
  EXPECT_TRUE(ReadFile(Path("garbage.sqlite3")) == garbage);
}
#endif

}  // namespace
}  // namespace quillora::hardening
