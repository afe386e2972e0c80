// Who the program is: its title, product name, version and the developer's addresses.
#pragma once

#include <string_view>

namespace quillora::identity {

// Application title, product name and main frame caption alike.
inline constexpr std::u16string_view kTitle = u"Quillora－【文字コード変換】";
inline constexpr std::u16string_view kProductName = kTitle;
inline constexpr std::u16string_view kExecutableBaseName = u"Quillora";

inline constexpr int kVersionMajor = QUILLORA_VERSION_MAJOR;
inline constexpr int kVersionMinor = QUILLORA_VERSION_MINOR;
inline constexpr int kVersionRevision = QUILLORA_VERSION_PATCH;
inline constexpr std::string_view kVersionText = QUILLORA_VERSION_TEXT;

inline constexpr std::u16string_view kAuthor = u"Tovik";
inline constexpr std::u16string_view kMailAddress = u"tovik@example.com";
inline constexpr std::u16string_view kWebHost = u"www.example.com";
inline constexpr std::u16string_view kHomePageUrl = u"http://www.example.com/tovik/";
inline constexpr std::u16string_view kUpdateInfoUrl = u"http://www.example.com/tovik/update.inf";
inline constexpr std::u16string_view kCopyright = u"Copyright (C) 2026 Tovik";

}  // namespace quillora::identity
