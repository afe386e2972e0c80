// A second connection to a registry database, as the update notifier or the sqlite3 command has
// it, and a store of a test's own.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry_sqlite.h"
#include "support/temp_folder.h"

namespace quillora::test {

inline constexpr const char* kRegistrySchema =
    "CREATE TABLE key (path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE value (path TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY (path, name));";

class RegistryDatabase {
 public:
  explicit RegistryDatabase(const std::filesystem::path& file) { sqlite3_open(file.c_str(), &db_); }
  ~RegistryDatabase() { sqlite3_close(db_); }
  RegistryDatabase(const RegistryDatabase&) = delete;
  RegistryDatabase& operator=(const RegistryDatabase&) = delete;

  void Exec(const std::string& sql) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
    sqlite3_free(error);
  }
  // Every value as "path|name|type|HEX DATA".
  std::vector<std::string> Values() {
    return Column(
        "SELECT path || '|' || name || '|' || type || '|' || hex(data) FROM value ORDER BY 1");
  }
  std::vector<std::string> Keys() { return Column("SELECT path FROM key ORDER BY 1"); }

 private:
  std::vector<std::string> Column(const char* select) {
    std::vector<std::string> rows;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, select, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return rows;
  }

  sqlite3* db_ = nullptr;
};

// A fresh store, the update notifier installed unless told otherwise, and the program's
// connection to it.
struct RegistryStore {
  explicit RegistryStore(bool installed = true) {
    if (installed) {
      db.Exec(std::string(kRegistrySchema) + "INSERT INTO key VALUES ('Software\\Upcheck')");
    }
  }
  // What the notifier, or an earlier start, left in the record.
  void Put(const std::string& path, const char* name, int type, const std::string& hex) {
    db.Exec("BEGIN;INSERT OR IGNORE INTO key VALUES ('" + path + "');" +
            "INSERT OR REPLACE INTO value VALUES ('" + path + "', '" + name + "', " +
            std::to_string(type) + ", X'" + hex + "');COMMIT");
  }

  TempFolder folder;
  std::filesystem::path file = folder / "registry.sqlite3";
  RegistryDatabase db{file};
  registry::SqliteRegistry registry{file, folder / "machine.sqlite3"};
};

}  // namespace quillora::test
