// The update notifier's registry record, written and read through the registry interface.
#include "update/UpCheck.h"

#include <array>
#include <limits>
#include <utility>

#include "text/cp932_codec.h"
#include "text/utf8.h"

namespace quillora {

namespace {

using registry::kCurrentUser;
using registry::kKeyAllAccess;
using registry::kSuccess;

void Require(bool ok) {
  if (!ok) {
    throw UpCheckError(upcheck::kRegistryError);
  }
}

// Key names reach the registry as code page 932 bytes, as the "A" calls take them.
std::string Cp932(const Text& text) {
  const ByteBuffer bytes = TextToBytes(text);
  return {bytes.begin(), bytes.end()};
}

// An open key that is closed also when an error leaves the operation early; only the close on the
// normal path counts as a registry failure.
class OpenedKey {
 public:
  OpenedKey(registry::Registry& registry, registry::Key key) : registry_(registry), key_(key) {}
  ~OpenedKey() {
    if (open_) {
      registry_.RegCloseKey(key_);
    }
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  [[nodiscard]] registry::Key get() const { return key_; }
  void Close() {
    open_ = false;
    Require(registry_.RegCloseKey(key_) == kSuccess);
  }

 private:
  registry::Registry& registry_;
  registry::Key key_;
  bool open_ = true;
};

OpenedKey OpenKey(registry::Registry& registry, const Text& path) {
  registry::Key key = 0;
  Require(registry.RegOpenKeyExA(kCurrentUser, Cp932(path), 0, kKeyAllAccess, &key) == kSuccess);
  return {registry, key};
}

// The key is created when missing; a failed creation is reported only by the open that follows.
OpenedKey CreateKey(registry::Registry& registry, const Text& path) {
  registry::Key key = 0;
  if (registry.RegCreateKeyExA(kCurrentUser, Cp932(path), 0, kKeyAllAccess, &key) == kSuccess) {
    return {registry, key};
  }
  return OpenKey(registry, path);
}

void WriteDwordValue(registry::Registry& registry, registry::Key key, std::string_view name,
                     std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  const std::array<std::uint8_t, 4> data{
      static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
      static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
  Require(registry.RegSetValueExA(key, name, registry::kRegDword, data.data(), data.size()) ==
          kSuccess);
}

// Four bytes, whatever type the notifier stored: a shorter value fills the low bytes, a longer or
// missing one reads as 0.
std::int32_t ReadBuildValue(registry::Registry& registry, registry::Key key,
                            std::string_view name) {
  std::array<std::uint8_t, 4> data{};
  std::uint32_t size = data.size();
  if (registry.RegQueryValueExA(key, name, nullptr, data.data(), &size) != kSuccess) {
    return 0;
  }
  std::uint32_t bits = 0;
  for (auto byte = data.rbegin(); byte != data.rend(); ++byte) {
    bits = bits << 8U | *byte;  // little-endian
  }
  return static_cast<std::int32_t>(bits);
}

// One step of the version arithmetic, which is 16-bit: the largest build is 32767.
std::int32_t Checked16(std::int32_t value) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    throw UpCheckError(upcheck::kOverflow);
  }
  return value;
}

}  // namespace

UpCheckError::UpCheckError(std::uint32_t number)
    : number_(number), utf8_message_(Utf8FromText(message())) {}

std::u16string_view UpCheckError::message() const noexcept {
  switch (number_) {
    case upcheck::kNotInstalled:
      return u"Pellanorがインストールされていないのでソフトの情報が書き込めません";
    case upcheck::kNoMailAddress:
      return u"メールアドレスが指定されていません";
    case upcheck::kNoAuthor:
      return u"開発者名が指定されていません";
    case upcheck::kNoInfoUrl:
      return u"アップデート情報ファイルのアドレスが指定されていません";
    case upcheck::kNoSoftwareName:
      return u"App.Productname からソフト名が取得できません。Distinctnameを指定してください";
    case upcheck::kNegativeIconIndex:
      return u"IconIndex には負の値は設定できません";
    case upcheck::kRegistryError:
      return u"レジストリに原因不明のエラーが発生しアクセスできません";
    case upcheck::kOverflow:
      return u"オーバーフローしました。";
    default:
      return {};
  }
}

UpCheck::UpCheck(registry::Registry& registry, ProgramInfo program)
    : registry_(registry), program_(std::move(program)) {}

void UpCheck::FilePath(bool vData) {
  // The record's form is fixed for the notifier: an upper-case extension, whatever the file on
  // disk is called.
  file_path_ = vData ? CombinePath(program_.folder, program_.executable_name + u".EXE") : Text();
}

bool UpCheck::InstalledUpCheck() {
  registry::Key key = 0;
  if (registry_.RegOpenKeyExA(kCurrentUser, "Software\\Upcheck", 0, kKeyAllAccess, &key) !=
      kSuccess) {
    return false;
  }
  Require(registry_.RegCloseKey(key) == kSuccess);
  return true;
}

bool UpCheck::CheckNewVer() {
  if (mail_address_.empty()) {
    throw UpCheckError(upcheck::kNoMailAddress);
  }
  const Text& software = distinct_name_.empty() ? program_.product_name : distinct_name_;
  if (software.empty()) {
    throw UpCheckError(upcheck::kNoSoftwareName);
  }
  const std::int32_t current = build_ > 0 ? build_ : GetVersionBuild();
  // Only opened: asking must not create the record.
  OpenedKey key = OpenKey(registry_, DeveloperKey() + u'\\' + software);
  // Read afresh each time: the notifier may write them at any moment.
  const std::int32_t latest = ReadBuildValue(registry_, key.get(), "LatestBuild");
  const std::int32_t next = ReadBuildValue(registry_, key.get(), "NextBuild");
  const bool newer = latest > current && (next > current || next == 0);
  key.Close();
  return newer;
}

void UpCheck::InfoURL(std::u16string_view szURL, std::uint8_t btID) {
  if (btID <= 1) {
    info_url_ = szURL;
    return;
  }
  if (!InstalledUpCheck()) {
    throw UpCheckError(upcheck::kNotInstalled);
  }
  if (mail_address_.empty()) {
    throw UpCheckError(upcheck::kNoMailAddress);
  }
  if (szURL.empty()) {
    throw UpCheckError(upcheck::kNoInfoUrl);
  }
  OpenedKey key = CreateKey(registry_, DeveloperKey());
  Require(WriteStringValue(key.get(), "InfoURL" + std::to_string(btID), Text(szURL)));
  key.Close();
}

void UpCheck::WriteData() {
  if (!InstalledUpCheck()) {
    throw UpCheckError(upcheck::kNotInstalled);
  }
  if (mail_address_.empty()) {
    throw UpCheckError(upcheck::kNoMailAddress);
  }
  if (author_.empty()) {
    throw UpCheckError(upcheck::kNoAuthor);
  }
  if (info_url_.empty()) {
    throw UpCheckError(upcheck::kNoInfoUrl);
  }
  if (distinct_name_.empty()) {
    if (program_.product_name.empty()) {
      throw UpCheckError(upcheck::kNoSoftwareName);
    }
    distinct_name_ = program_.product_name;
  }
  if (icon_index_ < 0) {
    throw UpCheckError(upcheck::kNegativeIconIndex);
  }
  if (build_ < 1) {
    build_ = GetVersionBuild();
  }

  // A failure stops here and leaves what was written so far; nothing else is removed.
  OpenedKey developer = CreateKey(registry_, DeveloperKey());
  Require(WriteStringValue(developer.get(), "Author", author_));
  Require(WriteStringValue(developer.get(), "InfoURL", info_url_));
  if (!display_host_.empty()) {
    Require(WriteStringValue(developer.get(), "DisplayHost", display_host_));
  }
  developer.Close();

  OpenedKey software = CreateKey(registry_, DeveloperKey() + u'\\' + distinct_name_);
  Require(WriteStringValue(software.get(), "DistinctName", distinct_name_));
  WriteDwordValue(registry_, software.get(), "Build", build_);
  if (icon_index_ > 0) {
    WriteDwordValue(registry_, software.get(), "IconIndex", icon_index_);
  }
  if (!file_path_.empty()) {
    Require(WriteStringValue(software.get(), "FilePath", file_path_));
  }
  if (!display_name_.empty()) {
    Require(WriteStringValue(software.get(), "DisplayName", display_name_));
  }
  software.Close();
}

bool UpCheck::WriteStringValue(registry::Key key, std::string_view value_name, const Text& value) {
  ByteBuffer data = TextToBytes(value);
  data.push_back(0);  // the stored size counts the terminator
  return registry_.RegSetValueExA(key, value_name, registry::kRegSz, data.data(),
                                  static_cast<std::uint32_t>(data.size())) == kSuccess;
}

Text UpCheck::CombinePath(const Text& directory, const Text& file_name) {
#ifdef _WIN32
  // A drive root ("C:\") is the one folder whose text already ends in the separator.
  if (directory.size() == 3) {
    return directory + file_name;
  }
  return directory + u'\\' + file_name;
#else
  // Likewise the root "/" here; the length rule would eat the separator of a folder such as "/ab".
  if (directory.ends_with(u'/')) {
    return directory + file_name;
  }
  return directory + u'/' + file_name;
#endif
}

std::int32_t UpCheck::GetVersionBuild() const {
  const std::int32_t minor = Checked16(program_.minor * 100);
  const std::int32_t low = Checked16(minor + program_.revision);
  const std::int32_t major = Checked16(program_.major * 10000);
  return Checked16(major + low);
}

Text UpCheck::DeveloperKey() const {
  return u"Software\\Upcheck\\" + mail_address_;
}

}  // namespace quillora
