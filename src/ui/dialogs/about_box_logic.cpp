// The About box's decisions: link colours, registry values as text, and System Information.
#include "ui/dialogs/about_box_logic.h"

#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

#include "app/paths.h"
#include "text/cp932_codec.h"
#include "ui/qt_text.h"

namespace quillora {
namespace {

// Query value, set value, create subkey, enumerate subkeys, notify, create link, read control.
constexpr std::uint32_t kKeyAccess = 0x2003F;
// Query value, enumerate subkeys, notify, read control.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kValueBufferSize = 1024;

// System-information programs of the common desktops, most informative first.
constexpr std::array<std::u16string_view, 6> kDesktopSysInfoPrograms = {
    u"hardinfo2",           u"hardinfo",         u"kinfocenter", u"gnome-system-monitor",
    u"mate-system-monitor", u"xfce4-taskmanager"};

// A REG_DWORD's bytes (little-endian) as an upper-case hexadecimal number without leading zeros.
Text DwordAsHex(std::span<const std::uint8_t> data) {
  std::uint32_t value = 0;
  for (std::size_t i = std::min<std::size_t>(data.size(), 4); i-- > 0;) {
    value = value << 8 | data[i];
  }
  return ToText(QString::number(value, 16).toUpper());
}

}  // namespace

bool LinkColours::PointerOverLink(std::size_t link) {
  if (colours_.at(link) == kLinkRed) {
    return false;
  }
  colours_.at(link) = kLinkRed;
  return true;
}

bool LinkColours::PointerOverSurface() {
  bool changed = false;
  for (std::uint32_t& colour : colours_) {
    if (colour != kLinkBlue) {
      colour = kLinkBlue;
      changed = true;
    }
  }
  return changed;
}

bool GetKeyValue(registry::Registry& registry, registry::Key KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, Text& KeyVal) {
  registry::Key key = 0;
  registry::Status status = registry.RegOpenKeyExA(KeyRoot, KeyName, 0, kKeyAccess, &key);
  // Write access to the machine hive needs elevation on current Windows; reading needs none.
  if (status == registry::kAccessDenied) {
    status = registry.RegOpenKeyExA(KeyRoot, KeyName, 0, kKeyRead, &key);
  }
  if (status != registry::kSuccess) {
    KeyVal.clear();
    return false;
  }
  std::array<std::uint8_t, kValueBufferSize> buffer{};
  std::uint32_t type = 0;
  std::uint32_t size = kValueBufferSize;
  status = registry.RegQueryValueExA(key, SubKeyRef, &type, buffer.data(), &size);
  registry.RegCloseKey(key);
  if (status != registry::kSuccess) {
    KeyVal.clear();
    return false;
  }
  const std::span<const std::uint8_t> data(buffer.data(), std::min(size, kValueBufferSize));
  if (type == registry::kRegSz) {
    KeyVal = BytesToText({data.begin(), std::find(data.begin(), data.end(), 0)});
  } else if (type == registry::kRegDword) {
    KeyVal = DwordAsHex(data);
  }
  return true;
}

std::optional<Text> LocateSysInfo(registry::Registry& registry) {
  Text path;
  if (GetKeyValue(registry, registry::kLocalMachine, R"(SOFTWARE\Microsoft\Shared Tools\MSINFO)",
                  "PATH", path)) {
    return path;  // trusted as recorded; only the folder below is checked
  }
  Text folder;
  if (GetKeyValue(registry, registry::kLocalMachine, R"(SOFTWARE\Microsoft\Shared Tools Location)",
                  "MSINFO", folder)) {
    path = AddBackslash(folder) + u"MSINFO32.EXE";
    std::error_code error;
    if (std::filesystem::is_regular_file(NativePath(path), error)) {
      return path;
    }
  }
  for (const std::u16string_view program : kDesktopSysInfoPrograms) {
    const QString found = QStandardPaths::findExecutable(ToQString(program));
    if (!found.isEmpty()) {
      return ToText(found);
    }
  }
  return std::nullopt;
}

}  // namespace quillora
