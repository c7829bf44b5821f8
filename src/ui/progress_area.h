// ProgressArea: the status bar's progress panel, a red bar growing over 200 pixels.
#pragma once

#include <QWidget>

namespace ui {

class ProgressArea : public QWidget {
 public:
  static constexpr int kBarWidth = 200;

  explicit ProgressArea(QWidget* parent = nullptr);
  // Bar length = kBarWidth * done / total (truncated); total <= 0 clears the bar.
  void SetProgress(int done, int total);
  int BarLength() const {
    return bar_length_;
  }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int bar_length_ = 0;
};

}  // namespace ui
