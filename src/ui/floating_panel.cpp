// FloatingPanel: placement and dragging of the window's tool panels.
#include "ui/floating_panel.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

FloatingPanel::FloatingPanel(const QString& name, const QString& title, QSize design_size,
                             int top_offset, PanelDragState& drag, QWidget* parent)
    : QFrame(parent), drag_(drag), top_offset_(top_offset) {
  setObjectName(name);
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);
  setAutoFillBackground(true);
  resize(design_size);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  title_ = new QLabel(title, this);
  title_->setObjectName(name + QStringLiteral("Title"));
  title_->setAlignment(Qt::AlignCenter);
  title_->setAutoFillBackground(true);
  QPalette palette = title_->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
  title_->setPalette(palette);
  title_->setMinimumHeight(20);
  layout->addWidget(title_);
  body_ = new QVBoxLayout();
  layout->addLayout(body_, 1);
  AddDragHandle(title_);
  hide();
}

void FloatingPanel::AddDragHandle(QWidget* handle) {
  handle->installEventFilter(this);
}

QPoint FloatingPanel::CentredPosition(QSize area, QSize panel, int top_offset) {
  return {(area.width() - panel.width()) / 2, (area.height() - panel.height()) / 2 - top_offset};
}

QPoint FloatingPanel::KeptInside(QPoint position, QSize panel, QSize bounds) {
  const int left = std::max(0, std::min(position.x(), bounds.width() - panel.width()));
  const int top = std::max(0, std::min(position.y(), bounds.height() - panel.height()));
  return {left, top};
}

void FloatingPanel::PlaceIn(QSize area) {
  QPoint position = CentredPosition(area, size(), top_offset_);
  // The window's size includes its menu and tool bars, the parent's does not: centring alone
  // would let a tall panel hang below the status bar or a wide one off a narrow window.
  if (parentWidget() != nullptr && !parentWidget()->size().isEmpty()) {
    position = KeptInside(position, size(), parentWidget()->size());
  }
  move(position);
}

void FloatingPanel::Press(QPoint point) {
  raise();
  emit Pressed(this);
  if (!drag_.dragging) {
    drag_.origin = point;
    drag_.dragging = true;
  }
}

void FloatingPanel::Move(QPoint point) {
  if (drag_.dragging) {
    move(pos() + point - drag_.origin);
  }
}

void FloatingPanel::mousePressEvent(QMouseEvent* event) {
  Press(event->position().toPoint());
  event->accept();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event) {
  Move(event->position().toPoint());
  event->accept();
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event) {
  drag_.dragging = false;
  event->accept();
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event) {
  auto* handle = qobject_cast<QWidget*>(watched);
  if (handle == nullptr) {
    return false;
  }
  // Points are taken relative to the panel, so the press point stays under the cursor.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      Press(handle->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint()));
      return true;
    case QEvent::MouseMove:
      Move(handle->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint()));
      return true;
    case QEvent::MouseButtonRelease:
      drag_.dragging = false;
      return true;
    default:
      return false;
  }
}

}  // namespace ui
