#pragma once
// Shows a graphics window's drawing area: the picture the program thread drew, at its own size
// (a scroll area around it shows what does not fit), with tooltips over the host's areas.

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

#include "graphics/field_look.h"
#include "graphics/view/graphics_field_widget.h"

namespace kovw::graphics {

struct TooltipRegion {
  QRect rect;
  QString text;
};

class GraphicsWindowWidget : public QWidget {
  Q_OBJECT

 public:
  GraphicsWindowWidget(QSize size, QColor background, QWidget* parent = nullptr);

  // The drawing area as drawn so far, and its tooltip areas (the last added wins where they
  // overlap).
  void set_picture(const QImage& picture, std::vector<TooltipRegion> tips, bool tips_active);
  const QImage& picture() const { return picture_; }
  // The tooltip text at `at`, empty where none is.
  QString tooltip_at(QPoint at) const;
  // The input field over the picture, as the program shows it (made on first use).
  void set_field(const FieldLook& look);
  GraphicsFieldWidget* field() const { return field_; }

  QSize sizeHint() const override { return size_; }

 signals:
  // A mouse button went down at `at` (drawing-area pixels): the button code (1 left, 2 middle
  // or left and right together, 3 right) and the modifiers (1 Shift, 2 Ctrl, 4 Alt).
  void clicked(QPoint at, int button_code, int modifiers);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QSize size_;
  QColor background_;
  QImage picture_;
  std::vector<TooltipRegion> tips_;
  bool tips_active_ = true;
  QPointer<GraphicsFieldWidget> field_;
};

}  // namespace kovw::graphics
