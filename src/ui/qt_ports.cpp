// QMessageBox, QFileDialog and processEvents behind the core's ports.
#include "ui/qt_ports.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QWidget>
#include <algorithm>
#include <system_error>
#include <utility>

#include "ui/qt_convert.h"
#include "ui/qt_translations.h"

namespace ui {

void LabelButtons(QMessageBox& box, const MessageBoxButtonTexts& texts) {
  const std::pair<QMessageBox::StandardButton, const QString*> captions[] = {
      {QMessageBox::Yes, &texts.yes},
      {QMessageBox::No, &texts.no},
      {QMessageBox::Ok, &texts.ok},
      {QMessageBox::Cancel, &texts.cancel},
  };
  for (const auto& [which, caption] : captions) {
    if (QAbstractButton* button = box.button(which); button != nullptr && !caption->isEmpty()) {
      button->setText(*caption);
    }
  }
}

void QtMessagePort::Inform(ports::Severity severity, const std::string& text) {
  // The window's title without the "[*]" placeholder of its unsaved mark.
  const QString title =
      parent_ ? parent_->window()->windowTitle().remove(QStringLiteral("[*]")) : QString();
  const QMessageBox::Icon icon = severity == ports::Severity::kError     ? QMessageBox::Critical
                                 : severity == ports::Severity::kWarning ? QMessageBox::Warning
                                                                         : QMessageBox::Information;
  QMessageBox box(icon, title, ToQString(text), QMessageBox::Ok, parent_);
  LabelButtons(box, button_texts_);
  box.exec();
}

ports::Answer QtMessagePort::Ask(const ports::Question& question) {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton escape = QMessageBox::Cancel;
  switch (question.buttons) {
    case ports::Buttons::kOk:
      buttons = QMessageBox::Ok;
      escape = QMessageBox::Ok;
      break;
    case ports::Buttons::kOkCancel:
      buttons = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case ports::Buttons::kYesNo:
      buttons = QMessageBox::Yes | QMessageBox::No;
      escape = QMessageBox::No;
      break;
    case ports::Buttons::kYesNoCancel:
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  QMessageBox box(QMessageBox::Question, ToQString(question.caption), ToQString(question.text),
                  buttons, parent_);
  box.setEscapeButton(escape);
  LabelButtons(box, button_texts_);
  box.exec();
  const auto pressed = box.standardButton(box.clickedButton());
  switch (pressed) {
    case QMessageBox::Yes:
      return ports::Answer::kYes;
    case QMessageBox::No:
      return ports::Answer::kNo;
    case QMessageBox::Ok:
      return ports::Answer::kOk;
    default:
      return question.buttons == ports::Buttons::kYesNo ? ports::Answer::kNo
                                                        : ports::Answer::kCancel;
  }
}

QString ToQtFilter(const ports::FileFilter& filter) {
  QStringList parts;
  for (const auto& [description, pattern] : filter.entries) {
    QString patterns = ToQString(pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString shown = ToQString(description);
    // Descriptions such as "srt格式字幕(*.srt)" already name the pattern; Qt takes the patterns
    // from the last parentheses, so they are always appended.
    parts << QStringLiteral("%1 (%2)").arg(shown, patterns);
  }
  return parts.join(QStringLiteral(";;"));
}

namespace {

void PrepareDialog(QFileDialog& dialog, const ports::FileFilter& filter,
                   const std::filesystem::path& folder) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  LocaliseFileColumns(dialog);
  dialog.setNameFilter(ToQtFilter(filter));
  dialog.setDirectory(PathToQString(folder));
  QString suffix = QString::fromStdString(filter.default_extension);
  if (suffix.startsWith(QLatin1Char('.'))) {
    suffix.remove(0, 1);
  }
  dialog.setDefaultSuffix(suffix);
}

std::optional<std::filesystem::path> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return PathFromQString(dialog.selectedFiles().constFirst());
}

}  // namespace

std::filesystem::path QtFileDialogPort::StartFolder(const std::filesystem::path& wanted) const {
  std::error_code error;
  for (const std::filesystem::path* folder : {&wanted, &last_folder_}) {
    if (!folder->empty() && folder->is_absolute() &&
        std::filesystem::is_directory(*folder, error)) {
      return *folder;
    }
  }
  return PathFromQString(QDir::homePath());
}

std::optional<std::filesystem::path> QtFileDialogPort::ChooseFileToOpen(
    const ports::FileFilter& filter) {
  QFileDialog dialog(parent_);
  PrepareDialog(dialog, filter, StartFolder(filter.start_folder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  auto chosen = Chosen(dialog);
  if (chosen) {
    last_folder_ = chosen->parent_path();
  }
  return chosen;
}

std::optional<std::filesystem::path> QtFileDialogPort::ChooseFolder(
    const std::filesystem::path& start) {
  QFileDialog dialog(parent_);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setDirectory(PathToQString(StartFolder(start)));
  auto chosen = Chosen(dialog);
  if (chosen) {
    last_folder_ = *chosen;
  }
  return chosen;
}

std::unique_ptr<QFileDialog> QtFileDialogPort::NewSaveDialog(
    const ports::FileFilter& filter, const std::filesystem::path& suggestion,
    const ports::SaveListChoice* list) {
  auto dialog = std::make_unique<QFileDialog>(parent_);
  PrepareDialog(*dialog, filter, StartFolder(filter.start_folder));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  if (!suggestion.empty()) {
    dialog->selectFile(PathToQString(suggestion.filename()));
  }
  if (save_folder_changed_) {
    QObject::connect(
        dialog.get(), &QFileDialog::directoryEntered, dialog.get(),
        [this](const QString& folder) { save_folder_changed_(PathFromQString(folder)); });
  }
  // Qt's own dialog lays its controls out in a grid: the list goes in a row of its own under
  // the file type, label left and box right, as the file name and type rows are.
  auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
  if (list != nullptr && grid != nullptr) {
    auto* label = new QLabel(ToQString(list->caption), dialog.get());
    label->setObjectName(QStringLiteral("EncodingLabel"));
    auto* box = new QComboBox(dialog.get());
    box->setObjectName(QStringLiteral("EncodingBox"));
    for (const std::string& entry : list->entries) {
      box->addItem(ToQString(entry));
    }
    box->setCurrentIndex(std::clamp(list->selected, 0, std::max(0, box->count() - 1)));
    label->setBuddy(box);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
  }
  return dialog;
}

std::optional<std::filesystem::path> QtFileDialogPort::ChooseFileToSave(
    const ports::FileFilter& filter, const std::filesystem::path& suggestion) {
  const std::unique_ptr<QFileDialog> dialog = NewSaveDialog(filter, suggestion, nullptr);
  auto chosen = Chosen(*dialog);
  if (chosen) {
    last_folder_ = chosen->parent_path();
  }
  return chosen;
}

std::optional<ports::SaveChoice> QtFileDialogPort::ChooseFileToSaveWithList(
    const ports::FileFilter& filter, const std::filesystem::path& suggestion,
    const ports::SaveListChoice& list) {
  const std::unique_ptr<QFileDialog> dialog = NewSaveDialog(filter, suggestion, &list);
  auto file = Chosen(*dialog);
  if (!file) {
    return std::nullopt;
  }
  last_folder_ = file->parent_path();
  const auto* box = dialog->findChild<QComboBox*>(QStringLiteral("EncodingBox"));
  return ports::SaveChoice{std::move(*file), box != nullptr ? box->currentIndex() : list.selected};
}

QtEventPump::QtEventPump() {
  since_pump_.start();
  since_paint_.start();
}

void QtEventPump::LetPendingEventsRun() {
  if (since_pump_.elapsed() < kPumpIntervalMs) {
    return;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  since_pump_.restart();
}

void QtEventPump::ReportProgress(int done, int total) {
  if (!progress_sink_) {
    return;
  }
  if (done != total && since_paint_.elapsed() < kRepaintIntervalMs) {
    return;
  }
  progress_sink_(done, total);
  since_paint_.restart();
}

}  // namespace ui
