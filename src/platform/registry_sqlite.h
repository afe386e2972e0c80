// The registry on platforms without one: an SQLite database per hive, with the schema the update
// notifier shares (tables "key" and "value", paths below the hive with backslashes, in UTF-8).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "platform/registry.h"

struct sqlite3;

namespace quillora::registry {

// Long enough to ride out another process's write, short enough that a database held locked by
// someone else costs start-up well under two seconds in all.
inline constexpr int kBusyTimeoutMs = 250;

// The current user's hive: QUILLORA_REGISTRY, else $XDG_CONFIG_HOME/quillora/registry.sqlite3,
// else ~/.config/quillora/registry.sqlite3; empty when none of these can be found.
[[nodiscard]] std::filesystem::path DefaultUserHivePath();

// The machine hive (read-only): QUILLORA_MACHINE_REGISTRY, else /etc/quillora/registry.sqlite3.
[[nodiscard]] std::filesystem::path DefaultMachineHivePath();

class SqliteRegistry final : public Registry {
 public:
  // Neither file needs to exist. The user hive's file, its folder and the schema are created by the
  // first write; until then the hive reads as empty. The machine hive is only ever read, and reads
  // as empty while its file does not exist.
  SqliteRegistry(std::filesystem::path user_hive, std::filesystem::path machine_hive);
  ~SqliteRegistry() override;
  SqliteRegistry(const SqliteRegistry&) = delete;
  SqliteRegistry& operator=(const SqliteRegistry&) = delete;

  Status RegOpenKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                       std::uint32_t access, Key* result) override;
  Status RegCreateKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                         std::uint32_t access, Key* result) override;
  Status RegQueryValueExA(Key key, std::string_view value_name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override;
  Status RegSetValueExA(Key key, std::string_view value_name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  Status RegCloseKey(Key key) override;

 private:
  struct Hive {
    std::filesystem::path file;
    bool writable = false;
    sqlite3* db = nullptr;  // connected on first use; kept until destruction
  };
  struct OpenKey {
    Hive* hive = nullptr;
    std::string path;  // as stored, so the key keeps the case it was created with
    std::uint32_t access = 0;
  };

  // The key behind a handle, the predefined roots included; nullptr for an unknown handle.
  [[nodiscard]] const OpenKey* Find(Key key) const;
  Key Register(OpenKey key);
  // kFileNotFound when the hive has no database yet and the caller only reads.
  Status Connect(Hive& hive, bool for_write);

  Hive user_;
  Hive machine_;
  OpenKey user_root_;
  OpenKey machine_root_;
  std::map<Key, OpenKey> open_keys_;
  Key next_handle_ = 0x100;
};

}  // namespace quillora::registry
