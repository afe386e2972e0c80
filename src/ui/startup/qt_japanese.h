// Qt's own texts (standard buttons, file dialogs, context menus) in Japanese, beside the program's
// Japanese menus, whatever the locale.
#pragma once

class QCoreApplication;

namespace quillora {

// Installs Qt's Japanese translations (qtbase_ja) on application and makes Japanese the default
// locale. False when the translations are not installed; Qt's texts then stay in English.
bool UseQtJapaneseTexts(QCoreApplication& application);

}  // namespace quillora
