// The help window.
#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace ui {

HelpWindow::HelpWindow(std::function<bool(const QUrl&)> open_external, QWidget* parent)
    : QDialog(parent),
      open_external_(std::move(open_external)),
      browser_(new QTextBrowser(this)),
      close_(new QPushButton(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setModal(false);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  close_->setObjectName(QStringLiteral("HelpClose"));
  // Links are followed here so that web links can leave and guide links stay.
  browser_->setOpenLinks(false);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::LinkClicked);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addLayout(buttons);
  resize(760, 620);
}

void HelpWindow::ShowFile(const std::filesystem::path& file) {
  browser_->setSource(QUrl::fromLocalFile(PathToQString(file)));
}

void HelpWindow::SetTexts(const QString& title, const QString& close) {
  setWindowTitle(title);
  close_->setText(close);
}

void HelpWindow::LinkClicked(const QUrl& url) {
  const QUrl target = browser_->source().resolved(url);
  if (target.isLocalFile()) {
    browser_->setSource(target);
  } else if (open_external_) {
    open_external_(target);
  }
}

}  // namespace ui
