// The Win32 registry behind the registry interface: each call is the Win32 call of the same name.
#ifdef _WIN32

#include "platform/registry_win32.h"

#include <windows.h>

#include <string>

namespace quillora::registry {

namespace {

// The predefined roots are sign-extended on 64-bit Windows (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 there), so they cannot be cast from the interface's 32-bit values.
HKEY ToHkey(Key key) {
  if (key == kCurrentUser) {
    return HKEY_CURRENT_USER;
  }
  if (key == kLocalMachine) {
    return HKEY_LOCAL_MACHINE;
  }
  return reinterpret_cast<HKEY>(key);
}

class Win32Registry final : public Registry {
 public:
  Status RegOpenKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                       std::uint32_t access, Key* result) override {
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExA(ToHkey(parent), std::string(sub_key).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS) {
      *result = reinterpret_cast<Key>(opened);
    }
    return status;
  }

  Status RegCreateKeyExA(Key parent, std::string_view sub_key, std::uint32_t options,
                         std::uint32_t access, Key* result) override {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyExA(ToHkey(parent), std::string(sub_key).c_str(), 0,
                                             nullptr, options, access, nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) {
      *result = reinterpret_cast<Key>(created);
    }
    return status;
  }

  Status RegQueryValueExA(Key key, std::string_view value_name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    DWORD value_type = 0;
    DWORD value_size = size != nullptr ? *size : 0;
    const LSTATUS status = ::RegQueryValueExA(ToHkey(key), std::string(value_name).c_str(), nullptr,
                                              type != nullptr ? &value_type : nullptr, data,
                                              size != nullptr ? &value_size : nullptr);
    if (type != nullptr) {
      *type = value_type;
    }
    if (size != nullptr) {
      *size = value_size;
    }
    return status;
  }

  Status RegSetValueExA(Key key, std::string_view value_name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    return ::RegSetValueExA(ToHkey(key), std::string(value_name).c_str(), 0, type, data, size);
  }

  Status RegCloseKey(Key key) override { return ::RegCloseKey(ToHkey(key)); }
};

}  // namespace

std::unique_ptr<Registry> OpenWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace quillora::registry

#endif
