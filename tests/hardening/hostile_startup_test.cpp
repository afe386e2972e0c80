// Start-up against hostile surroundings: settings files that are garbage or huge give the defaults
// or what the first megabyte says and the program starts; a registry
// store that is garbage or held locked by another process makes the registration give up.
#include <sys/stat.h>

#include "app/identity.h"
#include "hostile_inputs.h"
#include "platform/registry_sqlite.h"
#include "support/process.h"
#include "support/registry_database.h"
#include "update/startup_registration.h"

namespace quillora::test {
namespace {

using namespace std::chrono_literals;

struct SettingsCase {
  const char* name;
  std::string bytes;
  int decode_type;  // the first match (4) within what is read, or the default 0
};

std::vector<SettingsCase> SettingsCases() {
  std::string huge = "[Junk]\r\n";
  while (huge.size() < (10u << 20)) {
    huge += "junk" + std::to_string(huge.size()) + "=" + std::string(100, 'x') + "\r\n";
  }
  return {
      {"binary garbage", RandomBytes(1u << 16, 7), 0},
      // Only the first megabyte is read: ini_huge_file_test. Byte-order marks and duplicates:
      // ini_read_test.
      {"10 MB with the key at the start", "[Option]\r\nDefaultDecodeType=4\r\n" + huge, 4},
  };
}

// A registry store as the update notifier leaves it: the notifier installed, no record yet.
void MakeStore(const fs::path& file) {
  RegistryDatabase(file).Exec(std::string(kRegistrySchema) +
                              "INSERT INTO key VALUES ('Software'), ('Software\\Upcheck');");
}

// Another process's hold on the store, until the connection closes: an exclusive lock keeps
// readers out too, a pending write only writers.
void Hold(RegistryDatabase& holder, const char* begin) {
  holder.Exec(std::string(begin) + ";INSERT INTO key VALUES ('Software\\Other')");
}

using hostile_startup_test = Processes;

TEST_F(hostile_startup_test, registration_gives_up_on_a_bad_store) {
  MakeStore(Path("exclusive.sqlite3"));
  MakeStore(Path("writing.sqlite3"));
  RegistryDatabase exclusive(Path("exclusive.sqlite3"));
  RegistryDatabase writing(Path("writing.sqlite3"));
  Hold(exclusive, "BEGIN EXCLUSIVE");
  Hold(writing, "BEGIN IMMEDIATE");
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
    EXPECT_FALSE(RegisterWithUpdateNotifier(registry, ThisProgram(folder_.path.u16string())))
        << store;
    // A store that cannot be read is left as it was.
    EXPECT_TRUE(locked || !fs::is_regular_file(store) || ReadBytes(store) == before) << store;
  }
}

#ifdef QUILLORA_EXE
// The batch run decodes with the first match or the default and never writes the file. The desktop
// program's load handler ends with the update-notifier registration, which opens the registry
// store: once it has, the program must still be up a second later.
TEST_F(hostile_startup_test, settings_give_the_first_match_or_the_default_and_the_program_starts) {
  const fs::path input = SamplePath("utf16le_bom.txt");
  const std::string by_default = Reference(1, input);  // decode type 0
  const std::string by_type_4 = Reference(11, input);
  const auto batch = [&] {
    fs::remove(Path("out.txt"));
    return Run(ProgramCall({input.string(), Path("out.txt").string()}, Path("Quillora.ini"),
                           Path("registry.sqlite3")));
  };
  MakeStore(Path("registry.sqlite3"));
  for (const SettingsCase& c : SettingsCases()) {
    WriteBytes(Path("Quillora.ini"), c.bytes);
    EXPECT_TRUE(EndedWith(batch(), 0)) << c.name;
    EXPECT_TRUE(ReadBytes(Path("out.txt")) == (c.decode_type == 4 ? by_type_4 : by_default))
        << c.name;
    EXPECT_TRUE(ReadBytes(Path("Quillora.ini")) == c.bytes) << c.name;

    Watch watch(Path("registry.sqlite3"), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    Child child(ProgramCall({}, Path("Quillora.ini"), Path("registry.sqlite3")));
    ASSERT_FALSE(watch.Until(IN_CLOSE_WRITE | IN_CLOSE_NOWRITE, 180s).empty())
        << c.name << ": the registry store was never opened\n"
        << ReadBytes(io_ / "err");
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(child.Running()) << c.name << ReadBytes(io_ / "err");
  }
  // A folder where the settings file should be.
  fs::remove(Path("Quillora.ini"));
  fs::create_directory(Path("Quillora.ini"));
  EXPECT_TRUE(EndedWith(batch(), 0));
  EXPECT_TRUE(ReadBytes(Path("out.txt")) == by_default);
}
#endif

}  // namespace
}  // namespace quillora::test
