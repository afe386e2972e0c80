// The SQLite registry store: one database per hive, shared with the update notifier.
#include "platform/registry_sqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "io/user_folders.h"
#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora::registry {

namespace {

// Fixed: the update notifier reads and writes the same tables.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS key (path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE IF NOT EXISTS value (path TEXT NOT NULL COLLATE NOCASE,"
    " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
    " PRIMARY KEY (path, name));";

Status FromSqlite(int rc) {
  switch (rc & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
      return kAccessDenied;
    default:  // busy past the timeout, not a database, corrupt, disk full, ...
      return kBadDatabase;
  }
}

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : rc_(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)) {}
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(std::string_view text) {
    // A null pointer would bind NULL, and the default value's name is the empty text.
    const char* bytes = text.empty() ? "" : text.data();
    return Check(
        sqlite3_bind_text(stmt_, ++bound_, bytes, static_cast<int>(text.size()), SQLITE_TRANSIENT));
  }
  Statement& Bind(std::int64_t number) {
    return Check(sqlite3_bind_int64(stmt_, ++bound_, number));
  }
  Statement& Bind(std::span<const std::uint8_t> blob) {
    // Likewise: an empty value is a zero-length blob, not NULL.
    return Check(blob.empty() ? sqlite3_bind_zeroblob(stmt_, ++bound_, 0)
                              : sqlite3_bind_blob(stmt_, ++bound_, blob.data(),
                                                  static_cast<int>(blob.size()), SQLITE_TRANSIENT));
  }

  // SQLITE_ROW, SQLITE_DONE or the first error met since preparing.
  int Step() { return rc_ == SQLITE_OK ? sqlite3_step(stmt_) : rc_; }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  Statement& Check(int rc) {
    if (rc_ == SQLITE_OK) {
      rc_ = rc;
    }
    return *this;
  }

  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
  int bound_ = 0;
};

template <typename Body>
Status InTransaction(sqlite3* db, Body body) {
  // IMMEDIATE takes the write lock up front, so a concurrent writer makes us wait (busy timeout)
  // rather than fail half-way.
  int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    return FromSqlite(rc);
  }
  Status status = body();
  if (status == kSuccess &&
      (rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK) {
    status = FromSqlite(rc);
  }
  if (status != kSuccess) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  return status;
}

// Names are C strings, as the "A" calls take them.
std::string_view CString(std::string_view name) {
  return name.substr(0, name.find('\0'));
}

std::string Utf8FromCp932(std::string_view name) {
  const std::string_view bytes = CString(name);
  return Utf8FromText(
      BytesToText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
}

// Split after decoding: in code page 932 the byte 5C is also the trail byte of characters such as
// "ソ" (83 5C). Empty components are skipped; a leading backslash is refused, as Win32 does.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view sub_key) {
  const std::string path = Utf8FromCp932(sub_key);
  if (!path.empty() && path.front() == '\\') {
    return std::nullopt;
  }
  std::vector<std::string> components;
  for (std::size_t start = 0; start < path.size();) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) {
      components.push_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return components;
}

std::string Child(const std::string& path, std::string_view component) {
  return path.empty() ? std::string(component) : path + '\\' + std::string(component);
}

// The key's path as stored (its case may differ from the one asked for).
Status FindKey(sqlite3* db, const std::string& path, std::string* stored) {
  Statement query(db, "SELECT path FROM key WHERE path = ?1");
  const int rc = query.Bind(path).Step();
  if (rc == SQLITE_ROW) {
    *stored = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
    return kSuccess;
  }
  return rc == SQLITE_DONE ? kFileNotFound : FromSqlite(rc);
}

Status InsertKey(sqlite3* db, const std::string& path) {
  Statement insert(db, "INSERT INTO key (path) VALUES (?1)");
  const int rc = insert.Bind(path).Step();
  return rc == SQLITE_DONE ? kSuccess : FromSqlite(rc);
}

std::filesystem::path FromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}

}  // namespace

std::filesystem::path DefaultUserHivePath() {
  if (auto file = FromEnvironment("QUILLORA_REGISTRY"); !file.empty()) {
    return file;
  }
  const std::optional<std::filesystem::path> config = UserConfigFolder();
  return config ? *config / "quillora" / "registry.sqlite3" : std::filesystem::path();
}

std::filesystem::path DefaultMachineHivePath() {
  if (auto file = FromEnvironment("QUILLORA_MACHINE_REGISTRY"); !file.empty()) {
    return file;
  }
  return "/etc/quillora/registry.sqlite3";
}

SqliteRegistry::SqliteRegistry(std::filesystem::path user_hive, std::filesystem::path machine_hive)
    : user_{std::move(user_hive), true},
      machine_{std::move(machine_hive), false},
      user_root_{&user_, {}, kKeyAllAccess},
      machine_root_{&machine_, {}, kKeyAllAccess} {}

SqliteRegistry::~SqliteRegistry() {
  sqlite3_close(user_.db);
  sqlite3_close(machine_.db);
}

const SqliteRegistry::OpenKey* SqliteRegistry::Find(Key key) const {
  if (key == kCurrentUser) {
    return &user_root_;
  }
  if (key == kLocalMachine) {
    return &machine_root_;
  }
  const auto found = open_keys_.find(key);
  return found == open_keys_.end() ? nullptr : &found->second;
}

Key SqliteRegistry::Register(OpenKey key) {
  const Key handle = next_handle_;
  next_handle_ += 4;
  open_keys_.emplace(handle, std::move(key));
  return handle;
}

Status SqliteRegistry::Connect(Hive& hive, bool for_write) {
  if (hive.db != nullptr) {
    return kSuccess;
  }
  std::error_code error;
  if (!std::filesystem::exists(hive.file, error)) {
    if (!for_write) {
      return kFileNotFound;
    }
    if (hive.file.empty()) {  // SQLite would open a private temporary database
      return kAccessDenied;
    }
    // A folder that cannot be made shows as the open's failure.
    std::filesystem::create_directories(hive.file.parent_path(), error);
  }
  sqlite3* db = nullptr;
  const std::u8string file = hive.file.u8string();
  const int flags =
      hive.writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  int rc = sqlite3_open_v2(reinterpret_cast<const char*>(file.c_str()), &db, flags, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
  }
  // Also the first read of the file: one that is not a database fails here and stays untouched.
  if (rc == SQLITE_OK && hive.writable) {
    rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return FromSqlite(rc);
  }
  hive.db = db;
  return kSuccess;
}

Status SqliteRegistry::RegOpenKeyExA(Key parent, std::string_view sub_key,
                                     std::uint32_t /*options*/, std::uint32_t access, Key* result) {
  const OpenKey* base = Find(parent);
  if (base == nullptr) {
    return kInvalidHandle;
  }
  if (result == nullptr) {
    return kInvalidParameter;
  }
  const auto components = SplitKeyPath(sub_key);
  if (!components) {
    return kBadPathname;
  }
  OpenKey key{base->hive, base->path, access};
  if (!components->empty()) {
    Hive& hive = *key.hive;
    std::string path = key.path;
    for (const std::string& component : *components) {
      path = Child(path, component);
    }
    if (const Status status = Connect(hive, false); status != kSuccess) {
      return status;
    }
    if (const Status status = FindKey(hive.db, path, &key.path); status != kSuccess) {
      return status;
    }
  }
  *result = Register(std::move(key));
  return kSuccess;
}

Status SqliteRegistry::RegCreateKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                                       std::uint32_t access, Key* result) {
  const OpenKey* base = Find(parent);
  if (base == nullptr) {
    return kInvalidHandle;
  }
  if (result == nullptr) {
    return kInvalidParameter;
  }
  if ((base->access & kKeyCreateSubKey) == 0) {
    return kAccessDenied;
  }
  if (!base->hive->writable) {
    const Status status = RegOpenKeyExA(parent, sub_key, options, access, result);
    return status == kFileNotFound ? kAccessDenied : status;
  }
  const auto components = SplitKeyPath(sub_key);
  if (!components) {
    return kBadPathname;
  }
  OpenKey key{base->hive, base->path, access};
  if (!components->empty()) {
    Hive& hive = *key.hive;
    if (const Status status = Connect(hive, true); status != kSuccess) {
      return status;
    }
    const Status status = InTransaction(hive.db, [&] {
      // Each level keeps the case of an existing key; missing ones are made as asked.
      for (const std::string& component : *components) {
        const std::string path = Child(key.path, component);
        Status found = FindKey(hive.db, path, &key.path);
        if (found == kFileNotFound) {
          found = InsertKey(hive.db, path);
          key.path = path;
        }
        if (found != kSuccess) {
          return found;
        }
      }
      return kSuccess;
    });
    if (status != kSuccess) {
      return status;
    }
  }
  *result = Register(std::move(key));
  return kSuccess;
}

Status SqliteRegistry::RegQueryValueExA(Key handle, std::string_view value_name,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* size) {
  const OpenKey* key = Find(handle);
  if (key == nullptr) {
    return kInvalidHandle;
  }
  if ((key->access & kKeyQueryValue) == 0) {
    return kAccessDenied;
  }
  if (data != nullptr && size == nullptr) {
    return kInvalidParameter;
  }
  Hive& hive = *key->hive;
  if (const Status status = Connect(hive, false); status != kSuccess) {
    return status;
  }
  Statement query(hive.db, "SELECT type, data FROM value WHERE path = ?1 AND name = ?2");
  const int rc = query.Bind(key->path).Bind(Utf8FromCp932(value_name)).Step();
  if (rc != SQLITE_ROW) {
    return rc == SQLITE_DONE ? kFileNotFound : FromSqlite(rc);
  }
  if (type != nullptr) {
    *type = static_cast<std::uint32_t>(sqlite3_column_int64(query.get(), 0));
  }
  const void* stored = sqlite3_column_blob(query.get(), 1);
  const auto stored_size = static_cast<std::uint32_t>(sqlite3_column_bytes(query.get(), 1));
  if (data != nullptr) {
    if (*size < stored_size) {
      *size = stored_size;
      return kMoreData;
    }
    if (stored_size > 0) {
      std::memcpy(data, stored, stored_size);
    }
  }
  if (size != nullptr) {
    *size = stored_size;
  }
  return kSuccess;
}

Status SqliteRegistry::RegSetValueExA(Key handle, std::string_view value_name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  const OpenKey* key = Find(handle);
  if (key == nullptr) {
    return kInvalidHandle;
  }
  if ((key->access & kKeySetValue) == 0 || !key->hive->writable) {
    return kAccessDenied;
  }
  if (data == nullptr && size > 0) {
    return kInvalidParameter;
  }
  Hive& hive = *key->hive;
  if (const Status status = Connect(hive, true); status != kSuccess) {
    return status;
  }
  const std::string name = Utf8FromCp932(value_name);
  return InTransaction(hive.db, [&] {
    // Another process may have deleted the key since it was opened; a value without its key
    // would be invisible to everyone.
    if (!key->path.empty()) {
      std::string stored;
      if (const Status found = FindKey(hive.db, key->path, &stored); found != kSuccess) {
        return found == kFileNotFound ? kKeyDeleted : found;
      }
    }
    // An existing value keeps the case of its name, as in the Win32 registry.
    Statement upsert(hive.db,
                     "INSERT INTO value (path, name, type, data) VALUES (?1, ?2, ?3, ?4)"
                     " ON CONFLICT (path, name) DO UPDATE SET type = excluded.type,"
                     " data = excluded.data");
    const int rc = upsert.Bind(key->path)
                       .Bind(name)
                       .Bind(std::int64_t{type})
                       .Bind(std::span(data, size))
                       .Step();
    return rc == SQLITE_DONE ? kSuccess : FromSqlite(rc);
  });
}

Status SqliteRegistry::RegCloseKey(Key key) {
  if (key == kCurrentUser || key == kLocalMachine) {
    return kSuccess;
  }
  return open_keys_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

}  // namespace quillora::registry
