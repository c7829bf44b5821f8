// FloatingPanel: a tool panel lying hidden inside the main window's central area, centred when
// the window is laid out and dragged by its background and its title label.
#pragma once

#include <QFrame>
#include <QPoint>
#include <QSize>

class QLabel;
class QVBoxLayout;

namespace ui {

// One drag state shared by all panels: while a drag is in progress, a second press does not
// move the drag origin.
struct PanelDragState {
  bool dragging = false;
  QPoint origin;  // press point in the coordinates of the pressed panel
};

class FloatingPanel : public QFrame {
  Q_OBJECT

 public:
  // `name` is the panel's objectName, `title` the caption of its title label (objectName
  // `name` + "Title"), `design_size` its size, `top_offset` how far above the centre it sits.
  FloatingPanel(const QString& name, const QString& title, QSize design_size, int top_offset,
                PanelDragState& drag, QWidget* parent);

  QLabel* TitleLabel() const {
    return title_;
  }
  // The layout below the title label where a panel's own controls go.
  QVBoxLayout* Body() const {
    return body_;
  }
  // Makes `handle` (a child such as a picture or a name label) drag the panel too.
  void AddDragHandle(QWidget* handle);

  // Centres the panel for a window of size `area` (CentredPosition), then keeps it inside its
  // parent: a panel never starts left of or above the parent's corner, nor reaches past its right
  // or bottom edge where the parent is big enough to hold it.
  void PlaceIn(QSize area);
  // Left = (area width - panel width) / 2, top = (area height - panel height) / 2 - offset,
  // divisions truncating toward zero; a panel wider than the area gets a negative left edge.
  static QPoint CentredPosition(QSize area, QSize panel, int top_offset);
  // `position` moved the least needed for a panel of size `panel` to lie inside `bounds` (a
  // parent of that size); where the panel is bigger than `bounds`, its top left corner is kept.
  static QPoint KeptInside(QPoint position, QSize panel, QSize bounds);

 signals:
  // A mouse button went down on the panel; the window raises the wait panel after it.
  void Pressed(ui::FloatingPanel* panel);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Press(QPoint point);
  void Move(QPoint point);

  PanelDragState& drag_;
  int top_offset_;
  QLabel* title_;
  QVBoxLayout* body_;
};

}  // namespace ui
