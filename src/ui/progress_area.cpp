// ProgressArea: drawing of the status bar's red progress bar.
#include "ui/progress_area.h"

#include <QPainter>
#include <algorithm>

namespace ui {

ProgressArea::ProgressArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StatusProgress"));
  setFixedWidth(kBarWidth + 8);
}

void ProgressArea::SetProgress(int done, int total) {
  const bool working = total > 0 && done < total;
  const int length =
      working ? static_cast<int>(static_cast<long long>(kBarWidth) * std::max(done, 0) / total) : 0;
  const int percent = working ? static_cast<int>(100LL * std::max(done, 0) / total) : -1;
  const int clamped = std::clamp(length, 0, kBarWidth);
  if (clamped != bar_length_ || percent != percent_) {
    bar_length_ = clamped;
    percent_ = percent;
    update();
  }
  setVisible(working);
}

QString ProgressArea::PercentText() const {
  return percent_ < 0 ? QString() : QStringLiteral("%1%").arg(percent_);
}

QSize ProgressArea::sizeHint() const {
  return {kBarWidth + 8, 18};
}

void ProgressArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QRect track(4, 3, kBarWidth, height() - 6);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(track.adjusted(0, 0, -1, -1));
  if (bar_length_ > 0) {
    painter.fillRect(QRect(track.left(), track.top(), bar_length_, track.height()),
                     QColor(255, 0, 0));
  }
  // The percentage in the middle, dark on the empty part and white over the bar.
  painter.setPen(bar_length_ * 2 > kBarWidth ? Qt::white : palette().color(QPalette::WindowText));
  painter.drawText(track, Qt::AlignCenter, PercentText());
}

}  // namespace ui
