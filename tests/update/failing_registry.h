// A registry that passes every call to a real one except the Nth, which fails; it logs each call
// and keeps the handles that are open.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace quillora::test {

class FailingRegistry final : public registry::Registry {
 public:
  // fail_at counts from 1; 0 fails nothing.
  explicit FailingRegistry(registry::Registry& inner, std::size_t fail_at = 0)
      : inner_(inner), fail_at_(fail_at) {}

  std::vector<std::string> calls;  // "open Software\Upcheck", "set Author", "close", ...
  std::set<registry::Key> open_keys;

  registry::Status RegOpenKeyExA(registry::Key parent, std::string_view sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 registry::Key* result) override {
    return Opened(
        Pass("open " + std::string(sub_key),
             [&] { return inner_.RegOpenKeyExA(parent, sub_key, options, access, result); }),
        result);
  }
  registry::Status RegCreateKeyExA(registry::Key parent, std::string_view sub_key,
                                   std::uint32_t options, std::uint32_t access,
                                   registry::Key* result) override {
    return Opened(
        Pass("create " + std::string(sub_key),
             [&] { return inner_.RegCreateKeyExA(parent, sub_key, options, access, result); }),
        result);
  }
  registry::Status RegQueryValueExA(registry::Key key, std::string_view value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* size) override {
    return Pass("query " + std::string(value_name),
                [&] { return inner_.RegQueryValueExA(key, value_name, type, data, size); });
  }
  registry::Status RegSetValueExA(registry::Key key, std::string_view value_name,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t size) override {
    return Pass("set " + std::string(value_name),
                [&] { return inner_.RegSetValueExA(key, value_name, type, data, size); });
  }
  // A failing close still releases the handle, so that open_keys shows only the caller's leaks.
  registry::Status RegCloseKey(registry::Key key) override {
    const registry::Status status = inner_.RegCloseKey(key);
    open_keys.erase(key);
    return Pass("close", [&] { return status; });
  }

 private:
  template <typename Call>
  registry::Status Pass(std::string call, Call forward) {
    calls.push_back(std::move(call));
    return calls.size() == fail_at_ ? registry::kBadDatabase : forward();
  }
  registry::Status Opened(registry::Status status, const registry::Key* key) {
    if (status == registry::kSuccess) {
      open_keys.insert(*key);
    }
    return status;
  }

  registry::Registry& inner_;
  std::size_t fail_at_;
};

}  // namespace quillora::test
