// Installing and removing Qt's own translations and the locale that goes with them.
#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <utility>

namespace ui {
namespace {

// The words of FileDialogWords, under the context and source texts Qt asks them by.
class WordsTranslator : public QTranslator {
 public:
  explicit WordsTranslator(FileDialogWords words) : words_(std::move(words)) {}

  QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 &&
        qstrcmp(context, "QFileSystemModel") != 0) {
      return {};
    }
    if (qstrcmp(source, "Folder") == 0 || qstrcmp(source, "Directory") == 0) {
      return words_.folder;
    }
    if (qstrcmp(source, "Drive") == 0) {
      return words_.drive;
    }
    if (qstrcmp(source, "bytes") == 0) {
      return words_.bytes;
    }
    return {};
  }
  bool isEmpty() const override {
    return words_.folder.isEmpty() && words_.drive.isEmpty() && words_.bytes.isEmpty();
  }

 private:
  FileDialogWords words_;
};

// Sizes and dates of the file dialog's list in the default locale.
class LocalisedFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || !index.isValid()) {
      return QIdentityProxyModel::data(index, role);
    }
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
      case 1:  // size
        if (files->isDir(source)) {
          return QIdentityProxyModel::data(index, role);
        }
        if (const qint64 size = files->size(source); size < 1024) {
          // Qt's locale data gives the byte unit in English for some locales.
          const QString unit = QCoreApplication::translate("QFileSystemModel", "bytes");
          return QStringLiteral("%1 %2").arg(QLocale().toString(size), unit);
        }
        return QLocale().formattedDataSize(files->size(source));
      case 3:  // date modified
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }
};

}  // namespace

QtTranslations::QtTranslations(QString folder) : folder_(std::move(folder)) {}

QtTranslations::~QtTranslations() {
  Apply(3);
}

QString QtTranslations::DefaultFolder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslations::Apply(int language, const FileDialogWords& words) {
  for (std::unique_ptr<QTranslator>* installed : {&translator_, &words_}) {
    if (*installed) {
      QCoreApplication::removeTranslator(installed->get());
      installed->reset();
    }
  }
  if (language != 1 && language != 2) {
    const QLocale system = QLocale::system();
    QLocale::setDefault(system.language() == QLocale::English
                            ? system
                            : QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
  }
  QLocale::setDefault(QLocale(QLocale::Chinese, language == 2 ? QLocale::Taiwan : QLocale::China));
  if (!words.folder.isEmpty() || !words.drive.isEmpty()) {
    // Installed first, so that qtbase's own file, installed after it, is asked first.
    words_ = std::make_unique<WordsTranslator>(words);
    QCoreApplication::installTranslator(words_.get());
  }
  const QString locale = language == 2 ? QStringLiteral("zh_TW") : QStringLiteral("zh_CN");
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + locale, folder_)) {
    return false;
  }
  // Installing sends every widget a LanguageChange, so open Qt dialogs follow at once.
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
  return true;
}

void LocaliseFileColumns(QFileDialog& dialog) {
  dialog.setProxyModel(new LocalisedFileColumns(&dialog));
}

}  // namespace ui
