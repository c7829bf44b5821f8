// Installing and removing Qt's own translations.
#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <utility>

namespace ui {

QtTranslations::QtTranslations(QString folder) : folder_(std::move(folder)) {}

QtTranslations::~QtTranslations() {
  Apply(3);
}

QString QtTranslations::DefaultFolder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslations::Apply(int language) {
  if (translator_) {
    QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
  }
  const QString locale = language == 2 ? QStringLiteral("zh_TW") : QStringLiteral("zh_CN");
  if (language == 3) {
    return true;
  }
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + locale, folder_)) {
    return false;
  }
  // Installing sends every widget a LanguageChange, so open Qt dialogs follow at once.
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
  return true;
}

}  // namespace ui
