// ProgressArea: the status bar's progress panel, a red bar growing over 200 pixels with the
// percentage written over it; hidden while no work runs.
#pragma once

#include <QWidget>

namespace ui {

class ProgressArea : public QWidget {
 public:
  static constexpr int kBarWidth = 200;

  explicit ProgressArea(QWidget* parent = nullptr);
  // Bar length = kBarWidth * done / total (truncated), percentage = 100 * done / total. The
  // area shows while 0 <= done < total and hides when total <= 0 or done >= total (the work
  // ended), so a finished bar never stays behind.
  void SetProgress(int done, int total);
  int BarLength() const {
    return bar_length_;
  }
  // "37%" while shown, empty when hidden.
  QString PercentText() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int bar_length_ = 0;
  int percent_ = -1;  // -1 while idle
};

}  // namespace ui
