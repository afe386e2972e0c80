// The SQLite registry store reading values another program wrote: any types and data, tables of
// another shape, a damaged file or no database at all. Reads never write outside the buffer given,
// sizes agree between the size question and the read, and the start-up registration survives.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/identity.h"
#include "text/cp932_codec.h"
#include "fuzz_check.h"
#include "platform/registry_sqlite.h"
#include "text/utf8.h"
#include "update/startup_registration.h"

namespace {

namespace fs = std::filesystem;
using namespace quillora;
using namespace quillora::registry;

const fs::path& Folder() {
  static const fs::path folder = [] {
    std::string pattern =
        (fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path())
            .append("quillora-registry-fuzz-XXXXXX")
            .string();
    return fs::path(::mkdtemp(pattern.data()));
  }();
  return folder;
}

std::string Cp932(std::u16string_view text) {
  const ByteBuffer bytes = TextToBytes(text);
  return {bytes.begin(), bytes.end()};
}

std::string AsString(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// The record the update notifier keeps for this program, below the current user's hive.
const std::string& ProgramKey() {
  static const std::string key =
      Utf8FromText(u"Software\\Upcheck\\" + std::u16string(identity::kMailAddress) + u"\\" +
                   std::u16string(identity::kProductName));
  return key;
}

class Database {
 public:
  explicit Database(const fs::path& file) {
    sqlite3_open(file.c_str(), &db_);
    Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
  }
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

  void InsertKey(const std::string& path) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO key (path) VALUES (?1)", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, path.c_str(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
  }

  // One row of (path) or (path, name, type, data); each cell of any storage class.
  void Insert(const char* sql, fuzz::Choices& choices, const std::vector<std::string>& paths,
              int cells) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    for (int cell = 1; cell <= cells; ++cell) {
      Bind(statement, cell, choices, paths);
    }
    sqlite3_step(statement);
    sqlite3_finalize(statement);
  }

 private:
  static void Bind(sqlite3_stmt* statement, int cell, fuzz::Choices& choices,
                   const std::vector<std::string>& paths) {
    static const std::vector<std::string> kNames{"LatestBuild", "NextBuild", "Build", "", "Author"};
    const std::uint8_t kind = choices.Byte();
    switch (kind % 8) {
      case 0: {
        const std::string& path = paths[choices.Byte() % paths.size()];
        sqlite3_bind_text(statement, cell, path.c_str(), static_cast<int>(path.size()),
                          SQLITE_TRANSIENT);
        break;
      }
      case 1: {
        const std::string& name = kNames[choices.Byte() % kNames.size()];
        sqlite3_bind_text(statement, cell, name.c_str(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        break;
      }
      case 2:
        sqlite3_bind_int64(statement, cell,
                           static_cast<std::int8_t>(choices.Byte()) * 0x01010101LL);
        break;
      case 3:
        sqlite3_bind_int(statement, cell, kind & 0x10 ? 4 : 1);
        break;
      case 4:
        sqlite3_bind_null(statement, cell);
        break;
      case 5:
        sqlite3_bind_double(statement, cell, choices.Byte() / 7.0);
        break;
      default: {  // bytes of any length, as blob or as text (which need not be UTF-8)
        const std::span<const std::uint8_t> bytes = choices.Take(choices.Byte() % 24);
        const void* start = bytes.empty() ? "" : static_cast<const void*>(bytes.data());
        if (kind % 8 == 6) {
          sqlite3_bind_blob(statement, cell, start, static_cast<int>(bytes.size()),
                            SQLITE_TRANSIENT);
        } else {
          sqlite3_bind_text(statement, cell, static_cast<const char*>(start),
                            static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        }
      }
    }
  }

  sqlite3* db_ = nullptr;
};

constexpr const char* kSchemas[] = {
    // As the notifier creates it.
    "CREATE TABLE key (path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE value (path TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY (path, name));",
    // Without the constraints: duplicates and NULLs everywhere.
    "CREATE TABLE key (path); CREATE TABLE value (path, name, type, data);",
    // Tables of another shape.
    "CREATE TABLE key (path TEXT); CREATE TABLE value (path TEXT, name TEXT);",
    // Nothing at all.
    "",
};

void WriteStructured(const fs::path& file, fuzz::Choices& choices) {
  const std::vector<std::string> paths{
      "Software", "Software\\Upcheck",
      Utf8FromText(u"Software\\Upcheck\\" + std::u16string(identity::kMailAddress)), ProgramKey(),
      AsString(choices.Take(choices.Byte() % 16))};
  Database db(file);
  const std::uint8_t schema = choices.Byte() % std::size(kSchemas);
  db.Exec(kSchemas[schema]);
  // Most keys exist; which ones is the input's choice.
  const std::uint8_t missing = choices.Byte();
  for (std::size_t k = 0; k < paths.size(); ++k) {
    if ((missing >> k & 1) == 0 || (missing & 0xE0) != 0xE0) {
      db.InsertKey(paths[k]);
    }
  }
  for (std::uint8_t rows = choices.Byte() % 8; rows > 0; --rows) {
    db.Insert(schema == 2 ? "INSERT INTO value VALUES (?1, ?2)"
                          : "INSERT INTO value VALUES (?1, ?2, ?3, ?4)",
              choices, paths, schema == 2 ? 2 : 4);
  }
}

// A good store's bytes with some of them changed.
void WriteDamaged(const fs::path& file, fuzz::Choices& choices) {
  static const std::string image = [] {
    const fs::path model = Folder() / "model.sqlite3";
    {
      Database db(model);
      db.Exec(kSchemas[0]);
      db.Exec("INSERT INTO key VALUES ('Software'), ('Software\\Upcheck');");
      db.Exec(
          "INSERT INTO value VALUES ('Software\\Upcheck', 'LatestBuild', 4, x'10270000'),"
          " ('Software\\Upcheck', 'NextBuild', 1, x'31003200');");
    }
    std::ifstream in(model, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  std::string bytes = image;
  for (std::uint8_t changes = choices.Byte() % 16; changes > 0 && !bytes.empty(); --changes) {
    const std::size_t at = (std::size_t{choices.Byte()} << 8 | choices.Byte()) % bytes.size();
    bytes[at] = static_cast<char>(choices.Byte());
  }
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void CheckValue(Registry& store, Key key, std::string_view name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const Status asked = store.RegQueryValueExA(key, name, &type, nullptr, &size);
  if (asked != kSuccess) {
    FUZZ_CHECK(asked == kFileNotFound || asked == kBadDatabase || asked == kAccessDenied);
    return;
  }
  const std::uint32_t stored = size;
  constexpr std::uint8_t kCanary = 0x5A;
  std::vector<std::uint8_t> buffer(std::size_t{stored} + 16, kCanary);
  size = stored;
  FUZZ_CHECK(store.RegQueryValueExA(key, name, nullptr, buffer.data(), &size) == kSuccess);
  FUZZ_CHECK(size == stored);
  for (std::size_t k = stored; k < buffer.size(); ++k) {
    FUZZ_CHECK(buffer[k] == kCanary);
  }
  if (stored > 0) {
    std::fill(buffer.begin(), buffer.end(), kCanary);
    size = stored - 1;
    FUZZ_CHECK(store.RegQueryValueExA(key, name, nullptr, buffer.data(), &size) == kMoreData);
    FUZZ_CHECK(size == stored);
    for (std::size_t k = stored - 1; k < buffer.size(); ++k) {
      FUZZ_CHECK(buffer[k] == kCanary);
    }
  }
}

void ReadEverything(Registry& store, Key root, const std::string& fuzzed_key) {
  for (const std::string& sub_key : {Cp932(TextFromUtf8Lossy(ProgramKey())),
                                     std::string("Software\\Upcheck"), fuzzed_key, std::string()}) {
    Key key = 0;
    if (store.RegOpenKeyExA(root, sub_key, 0, kKeyAllAccess, &key) != kSuccess) {
      continue;
    }
    for (const char* name : {"LatestBuild", "NextBuild", "Build", "", "Author"}) {
      CheckValue(store, key, name);
    }
    CheckValue(store, key, fuzzed_key);
    FUZZ_CHECK(store.RegCloseKey(key) == kSuccess);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  const fs::path file = Folder() / "registry.sqlite3";
  std::error_code ignored;
  fs::remove(file, ignored);
  fs::remove(Folder() / "registry.sqlite3-journal", ignored);

  const std::string fuzzed_key = AsString(choices.Take(choices.Byte() % 16));
  // The registration writes, which makes it the slow part: one input in four.
  const bool registration = choices.Byte() % 4 == 0;
  switch (choices.Byte() % 3) {
    case 0:
      WriteStructured(file, choices);
      break;
    case 1:
      WriteDamaged(file, choices);
      break;
    default: {  // not a database, or anything at all
      const std::span<const std::uint8_t> rest = choices.Rest();
      std::ofstream(file, std::ios::binary)
          .write(reinterpret_cast<const char*>(rest.data()),
                 static_cast<std::streamsize>(rest.size()));
    }
  }

  {
    // The machine hive is the same file, read-only.
    SqliteRegistry store(file, file);
    ReadEverything(store, kLocalMachine, fuzzed_key);
    ReadEverything(store, kCurrentUser, fuzzed_key);
  }
  if (registration) {
    SqliteRegistry store(file, {});
    (void)RegisterWithUpdateNotifier(store, ThisProgram(u"/opt/quillora"));
    ReadEverything(store, kCurrentUser, fuzzed_key);
  }
  return 0;
}
