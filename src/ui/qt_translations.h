// Qt's own texts (standard buttons, file dialogs, context menus) in the interface language.
#pragma once

#include <QString>
#include <memory>

class QTranslator;

namespace ui {

// The qtbase translations that Debian's qt6-translations-l10n installs, switched with the
// program's language. One object per window; it takes its translation out again when destroyed.
class QtTranslations {
 public:
  // `folder` holds qtbase_zh_CN.qm and qtbase_zh_TW.qm; by default Qt's translations folder.
  explicit QtTranslations(QString folder = DefaultFolder());
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  // Language 1 installs the Simplified Chinese texts, 2 the Traditional ones, 3 (and any other
  // number) Qt's built-in English. Returns false when the language's file is missing or
  // unreadable: Qt's texts are English then.
  bool Apply(int language);

  static QString DefaultFolder();

 private:
  QString folder_;
  std::unique_ptr<QTranslator> translator_;  // installed while not null
};

}  // namespace ui
