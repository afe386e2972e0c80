// Choosing an installed font for Japanese text.
#include "ui/japanese_font.h"

#include <QFontDatabase>

#if QUILLORA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include "ui/qt_text.h"

namespace quillora {

namespace {

// Fontconfig's first choice of a sans-serif font for Japanese, as the desktop itself would pick.
QString SystemJapaneseFont() {
#if QUILLORA_HAVE_FONTCONFIG
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  QString family;
  FcChar8* name = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
    family = QString::fromUtf8(reinterpret_cast<const char*>(name));
  }
  if (match != nullptr) {
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
#else
  return {};
#endif
}

}  // namespace

std::optional<QString> ChooseShownFont(const QString& stored, const QStringList& installed,
                                       const QStringList& japanese, const QString& system_choice) {
  if (installed.contains(stored)) {
    return stored;
  }
  if (japanese.contains(system_choice)) {
    return system_choice;
  }
  if (!japanese.isEmpty()) {
    return japanese.front();
  }
  return std::nullopt;
}

QStringList JapaneseFonts() {
  return QFontDatabase::families(QFontDatabase::Japanese);
}

QString ShownFontName(const Text& stored) {
  static const QString system_choice = SystemJapaneseFont();
  const QString name = ToQString(stored);
  return ChooseShownFont(name, QFontDatabase::families(), JapaneseFonts(), system_choice)
      .value_or(name);
}

}  // namespace quillora
