// Qt's own texts (standard buttons, file dialogs, context menus) in the interface language.
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QTranslator;

namespace ui {

// Words of Qt's file dialogs that qtbase's translations lack, in the interface language.
struct FileDialogWords {
  QString folder;  // the type column of a folder
  QString drive;   // the type column of a drive
  QString bytes;   // the unit of a size under 1024 bytes
};

// The qtbase translations that Debian's qt6-translations-l10n installs, switched with the
// program's language, together with the default locale that formats Qt's numbers, sizes and
// dates. One object per window; it takes its translation out again when destroyed.
class QtTranslations {
 public:
  // `folder` holds qtbase_zh_CN.qm and qtbase_zh_TW.qm; by default Qt's translations folder.
  explicit QtTranslations(QString folder = DefaultFolder());
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  // Language 1 installs the Simplified Chinese texts and the zh_CN locale, 2 the Traditional
  // ones and zh_TW, 3 (and any other number) Qt's built-in English and the system locale (en_US
  // when the system's is not English). `words` fill the gaps of qtbase's translations. Returns
  // false when the language's file is missing or unreadable: Qt's texts are English then.
  bool Apply(int language, const FileDialogWords& words = {});

  static QString DefaultFolder();

 private:
  QString folder_;
  std::unique_ptr<QTranslator> translator_;  // installed while not null
  std::unique_ptr<QTranslator> words_;       // installed while not null
};

// Makes the size and date columns of a Qt file dialog follow the default locale (QLocale()),
// which Apply sets, instead of the system locale that Qt's file model uses; a size under 1 KiB
// takes the unit that the installed words give.
void LocaliseFileColumns(QFileDialog& dialog);

}  // namespace ui
