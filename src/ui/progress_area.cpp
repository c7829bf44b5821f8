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
  const int length =
      total <= 0 ? 0 : static_cast<int>(static_cast<long long>(kBarWidth) * done / total);
  const int clamped = std::clamp(length, 0, kBarWidth);
  if (clamped != bar_length_) {
    bar_length_ = clamped;
    update();
  }
}

QSize ProgressArea::sizeHint() const {
  return {kBarWidth + 8, 18};
}

void ProgressArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (bar_length_ > 0) {
    painter.fillRect(QRect(4, 3, bar_length_, height() - 6), QColor(255, 0, 0));
  }
}

}  // namespace ui
