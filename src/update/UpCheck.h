// The program's side of the update notifier Pellanor: writes this program's record into the
// registry and reads back whether the notifier knows a newer build.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"
#include "platform/registry.h"

namespace quillora {

// The running program as UpCheck sees it: where it lives, what it is called, its version.
struct ProgramInfo {
  Text folder;           // the executable's folder
  Text executable_name;  // the executable's base name, without extension
  Text product_name;     // the software name when DistinctName is not set
  std::int16_t major = 0;
  std::int16_t minor = 0;
  std::int16_t revision = 0;
};

namespace upcheck {

inline constexpr std::uint32_t kNotInstalled = 0x80040001;       // notifier missing on a write
inline constexpr std::uint32_t kNoMailAddress = 0x80040002;      // MailAddress empty
inline constexpr std::uint32_t kNoAuthor = 0x80040003;           // Author empty on WriteData
inline constexpr std::uint32_t kNoInfoUrl = 0x80040004;          // update-information URL empty
inline constexpr std::uint32_t kNoSoftwareName = 0x80040005;     // DistinctName and product empty
inline constexpr std::uint32_t kNegativeIconIndex = 0x80040006;  // IconIndex below 0 on WriteData
inline constexpr std::uint32_t kRegistryError = 0x8004000A;      // a registry call failed
inline constexpr std::uint32_t kOverflow = 6;  // the version gives a build beyond 32767

}  // namespace upcheck

class UpCheckError : public std::exception {
 public:
  explicit UpCheckError(std::uint32_t number);

  [[nodiscard]] std::uint32_t number() const noexcept { return number_; }
  // The Japanese description that goes with the number.
  [[nodiscard]] std::u16string_view message() const noexcept;
  // The description in UTF-8.
  [[nodiscard]] const char* what() const noexcept override { return utf8_message_.c_str(); }

 private:
  std::uint32_t number_;
  std::string utf8_message_;
};

// Every registry call goes through the registry given; keys are opened and closed within each
// operation. Operations other than the setters throw UpCheckError.
class UpCheck {
 public:
  UpCheck(registry::Registry& registry, ProgramInfo program);

  // True: the program's folder joined with its executable name and ".EXE"; false: empty.
  void FilePath(bool vData);
  [[nodiscard]] bool InstalledUpCheck();
  [[nodiscard]] bool CheckNewVer();
  void MailAddress(Text vData) { mail_address_ = std::move(vData); }
  void DisplayHost(Text vData) { display_host_ = std::move(vData); }
  void Author(Text vData) { author_ = std::move(vData); }
  void DisplayName(Text vData) { display_name_ = std::move(vData); }
  void DistinctName(Text vData) { distinct_name_ = std::move(vData); }
  void Build(std::int32_t vData) { build_ = vData; }
  void IconIndex(std::int32_t vData) { icon_index_ = vData; }
  // Slot 0 or 1 sets the primary URL, which WriteData writes; slot n >= 2 writes "InfoURL<n>" now.
  void InfoURL(std::u16string_view szURL, std::uint8_t btID);
  void WriteData();

  // WriteData stores its fallbacks for these two back into the properties.
  [[nodiscard]] const Text& DistinctName() const { return distinct_name_; }
  [[nodiscard]] std::int32_t Build() const { return build_; }

 private:
  bool WriteStringValue(registry::Key key, std::string_view value_name, const Text& value);
  static Text CombinePath(const Text& directory, const Text& file_name);
  [[nodiscard]] std::int32_t GetVersionBuild() const;
  [[nodiscard]] Text DeveloperKey() const;

  registry::Registry& registry_;
  ProgramInfo program_;
  Text mail_address_;
  Text display_host_;
  Text author_;
  Text display_name_;
  Text distinct_name_;
  std::int32_t build_ = 0;
  std::int32_t icon_index_ = 0;
  Text file_path_;
  Text info_url_;
};

}  // namespace quillora
