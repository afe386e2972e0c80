// Start-up against hostile surroundings: settings files that are garbage, huge, duplicated, of
// mixed line ends or with a byte-order mark give the defaults or the first match and the program
// starts; a registry store that is garbage or held locked by another process costs start-up less
// than two seconds.
#include <sys/stat.h>

#include <memory>

#include "app/identity.h"
#include "platform/registry_database.h"
#include "platform/registry_sqlite.h"
#include "process.h"
#include "update/startup_registration.h"

namespace quillora::hardening {
namespace {

using namespace std::chrono_literals;
using quillora::testing::RegistryDatabase;

struct SettingsCase {
  const char* name;
  std::string bytes;
  int decode_type;  // the one the batch run must use: the first match, or the default 0
};

std::vector<SettingsCase> SettingsCases() {
  std::string huge = "[Junk]\r\n";
  while (huge.size() < (10u << 20)) {
    huge += "junk" + std::to_string(huge.size()) + "=" + std::string(100, 'x') + "\r\n";
  }
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string_view("[Option]\r\nDefaultDecodeType=4\r\n")) {
    utf16 += std::string{c, '\0'};
  }
  return {
      {"binary garbage", RandomBytes(1u << 16, 7), 0},
      {"10 MB with the key at the end", huge + "[Option]\r\nDefaultDecodeType=4\r\n", 4},
      {"10 MB of garbage", RandomBytes(10u << 20, 8), 0},
      {"duplicate sections and keys",
       "[Option]\r\nDefaultDecodeType=4\r\nDefaultDecodeType=0\r\n[Option]\r\n"
       "DefaultDecodeType=1\r\n",
       4},
      {"duplicates differing in case",
       "[OPTION]\r\n defaultdecodetype = 4 \r\n[Option]\r\nDefaultDecodeType=1\r\n", 4},
      {"mixed CR LF and LF",
       "[View]\nLeft=1\r\n[Option]\r\nSelectFont=x\nDefaultDecodeType=4\nTop=2\r\n", 4},
      {"lone CR line ends", "[Option]\rDefaultDecodeType=4\r", 4},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Option]\r\nDefaultDecodeType=4\r\n", 4},
      {"UTF-16 byte-order mark", utf16, 0},
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

// A registry store as the update notifier leaves it: the notifier installed, no record yet.
void MakeStore(const fs::path& file) {
  RegistryDatabase(file).Exec(std::string(quillora::testing::kRegistrySchema) +
                              "INSERT INTO key VALUES ('Software'), ('Software\\Upcheck');");
}

// Another process's hold on the store, until the connection closes: an exclusive lock keeps
// readers out too, a pending write only writers.
std::unique_ptr<RegistryDatabase> Hold(const fs::path& file, const char* begin) {
  auto holder = std::make_unique<RegistryDatabase>(file);
  holder->Exec(std::string(begin) + ";INSERT INTO key VALUES ('Software\\Other')");
  return holder;
}

using HostileStartup = Processes;

TEST_F(HostileStartup, RegistrationGivesUpOnABadStoreWithinTwoSeconds) {
  MakeStore(Path("exclusive.sqlite3"));
  MakeStore(Path("writing.sqlite3"));
  const auto exclusive = Hold(Path("exclusive.sqlite3"), "BEGIN EXCLUSIVE");
  const auto writing = Hold(Path("writing.sqlite3"), "BEGIN IMMEDIATE");
  WriteBytes(Path("garbage.sqlite3"), RandomBytes(1u << 16, 9));
  WriteBytes(Path("header only.sqlite3"),
             std::string("SQLite format 3\0", 16) + RandomBytes(4096, 10));
  fs::create_directory(Path("folder.sqlite3"));
  ASSERT_EQ(::mkfifo(Path("pipe.sqlite3").c_str(), 0600), 0);
  WriteBytes(Path("a file"), "");
  for (const fs::path& store :
       {Path("exclusive.sqlite3"), Path("writing.sqlite3"), Path("garbage.sqlite3"),
        Path("header only.sqlite3"), Path("folder.sqlite3"), Path("pipe.sqlite3"),
        Path("a file") / "registry.sqlite3"}) {
    const bool locked =
        store.filename() == "writing.sqlite3" || store.filename() == "exclusive.sqlite3";
    const std::string before = fs::is_regular_file(store) ? ReadBytes(store) : "";
    registry::SqliteRegistry registry(store, Path("no-machine-hive"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RegisterWithUpdateNotifier(registry, ThisProgram(temp_.path.u16string())))
        << store;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << store;
    // A store that cannot be read is left as it was.
    EXPECT_TRUE(locked || !fs::is_regular_file(store) || ReadBytes(store) == before) << store;
  }
}

#ifdef QUILLORA_EXE
TEST_F(HostileStartup, SettingsGiveTheFirstMatchOrTheDefaultAndAreNeverWritten) {
  const fs::path input = fs::path(QUILLORA_SAMPLES_DIR) / "utf16le_bom.txt";
  constexpr int kModeOfDecodeType[] = {1, 8, 10, 9, 11};
  std::string expected[5];
  for (int type = 0; type < 5; ++type) {
    expected[type] = Reference(kModeOfDecodeType[type], input);
  }
  const auto batch = [&] {
    fs::remove(Path("out.txt"));
    return Run(ProgramCall({input.string(), Path("out.txt").string()}, Path("Quillora.ini"),
                           Path("registry.sqlite3")))
        .ended;
  };
  for (const SettingsCase& c : SettingsCases()) {
    WriteBytes(Path("Quillora.ini"), c.bytes);
    EXPECT_EQ(batch().status, 0) << c.name << ReadBytes(io_ / "err");
    EXPECT_TRUE(ReadBytes(Path("out.txt")) == expected[c.decode_type]) << c.name;
    EXPECT_TRUE(ReadBytes(Path("Quillora.ini")) == c.bytes) << c.name;
  }
  // A folder where the settings file should be.
  fs::remove(Path("Quillora.ini"));
  fs::create_directory(Path("Quillora.ini"));
  EXPECT_EQ(batch().status, 0) << ReadBytes(io_ / "err");
  EXPECT_TRUE(ReadBytes(Path("out.txt")) == expected[0]);
}

// The desktop program's load handler ends with the update-notifier registration, which opens the
// registry store and closes it again: the time between is what a bad store costs start-up. The
// program must still be up a second later, whatever its settings file holds.
TEST_F(HostileStartup, TheDesktopProgramStartsAndABadStoreCostsLessThanTwoSeconds) {
  const auto start = [&](const fs::path& registry) -> std::optional<double> {
    Watch watch(registry, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    Child child(ProgramCall({}, Path("Quillora.ini"), registry));
    if (!watch.WaitFor(IN_OPEN, 180s)) {
      ADD_FAILURE() << "the registry store was never opened; running: " << child.Running() << "\n"
                    << ReadBytes(io_ / "err");
      return std::nullopt;
    }
    const auto opened = std::chrono::steady_clock::now();
    if (!watch.WaitFor(IN_CLOSE_WRITE | IN_CLOSE_NOWRITE, 60s)) {
      ADD_FAILURE() << "the registry store was never closed";
      return std::nullopt;
    }
    const std::chrono::duration<double> held = std::chrono::steady_clock::now() - opened;
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(child.Running()) << ReadBytes(io_ / "err");
    return held.count();
  };

  MakeStore(Path("registry.sqlite3"));
  for (const SettingsCase& c : SettingsCases()) {
    WriteBytes(Path("Quillora.ini"), c.bytes);
    EXPECT_TRUE(start(Path("registry.sqlite3"))) << c.name;
  }

  WriteBytes(Path("Quillora.ini"), "");
  MakeStore(Path("exclusive.sqlite3"));
  MakeStore(Path("writing.sqlite3"));
  const std::string garbage = RandomBytes(1u << 16, 11);
  WriteBytes(Path("garbage.sqlite3"), garbage);
  {
    const auto exclusive = Hold(Path("exclusive.sqlite3"), "BEGIN EXCLUSIVE");
    const auto writing = Hold(Path("writing.sqlite3"), "BEGIN IMMEDIATE");
    for (const char* store : {"exclusive.sqlite3", "writing.sqlite3", "garbage.sqlite3"}) {
      const std::optional<double> held = start(Path(store));
      ASSERT_TRUE(held) << store;
      EXPECT_LT(*held, 2.0) << store;
      RecordProperty(store, std::to_string(*held));
    }
  }
  EXPECT_TRUE(ReadBytes(Path("garbage.sqlite3")) == garbage);
}
#endif

}  // namespace
}  // namespace quillora::hardening
