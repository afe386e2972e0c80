// A registry shaped like the five Win32 calls the program uses, with their result codes. Names and
// string data are code page 932 bytes, as the "A" calls take them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillora::registry {

using Key = std::uintptr_t;  // an open key, or one of the predefined roots
using Status = std::int32_t;

inline constexpr Key kCurrentUser = 0x80000001;   // HKEY_CURRENT_USER
inline constexpr Key kLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

inline constexpr Status kSuccess = 0;        // ERROR_SUCCESS
inline constexpr Status kFileNotFound = 2;   // ERROR_FILE_NOT_FOUND: no such key or value
inline constexpr Status kAccessDenied = 5;   // ERROR_ACCESS_DENIED: e.g. writing the read-only hive
inline constexpr Status kInvalidHandle = 6;  // ERROR_INVALID_HANDLE
inline constexpr Status kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr Status kBadPathname = 161;      // ERROR_BAD_PATHNAME: a leading backslash
inline constexpr Status kMoreData = 234;      // ERROR_MORE_DATA: the value does not fit the buffer
inline constexpr Status kBadDatabase = 1009;  // ERROR_BADDB: the store cannot be read or written
inline constexpr Status kKeyDeleted = 1018;   // ERROR_KEY_DELETED: the open key has been deleted

inline constexpr std::uint32_t kRegSz = 1;                 // REG_SZ
inline constexpr std::uint32_t kRegDword = 4;              // REG_DWORD
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;    // KEY_QUERY_VALUE
inline constexpr std::uint32_t kKeySetValue = 0x0002;      // KEY_SET_VALUE
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;  // KEY_CREATE_SUB_KEY
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

class Registry {
 public:
  virtual ~Registry() = default;

  virtual Status RegOpenKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                               std::uint32_t access, Key* result) = 0;
  // Creates the key and its missing parents, then opens it.
  virtual Status RegCreateKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                                 std::uint32_t access, Key* result) = 0;
  // data may be null to ask for the size; *size is the buffer size on entry and the value's size on
  // return (kMoreData when the buffer is too small).
  virtual Status RegQueryValueExA(Key key, std::string_view value_name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) = 0;
  virtual Status RegSetValueExA(Key key, std::string_view value_name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) = 0;
  virtual Status RegCloseKey(Key key) = 0;
};

// The registry of this platform: the Win32 registry on Windows, the SQLite store elsewhere (at
// QUILLORA_REGISTRY, or the documented default path).
std::unique_ptr<Registry> OpenPlatformRegistry();

}  // namespace quillora::registry
