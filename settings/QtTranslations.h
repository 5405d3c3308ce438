#pragma once
// Qt's own texts (the standard dialog buttons, the file dialogs, the context menus of its widgets) in
// the interface language: the translations Qt ships for it, from Qt's translations folder.
#include "settings/BrivoInisCompact.h"

#include <QString>

namespace qttranslations {

// The locale of Qt's translations for a language that has a table of its own ("ja", "zh_CN",
// "zh_TW"); empty for English and for the languages shown with the English table.
QString localeOf(TLanguage language);

// Puts Qt's translations for the language in place of those put in before (none for English); false
// when the language has translations but they cannot be loaded, and Qt's texts are then English.
bool apply(TLanguage language);

} // namespace qttranslations
