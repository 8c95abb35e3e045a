#pragma once
// An input field drawn over a graphics window's picture: the text in the field's font and
// colours, scrolled so that the cursor stays in sight, with a bar for the cursor (a block in
// overwrite mode). Keys do not stop here: they reach the program through the content window,
// as all graphics input does, so none is lost or reordered.

#include <QWidget>

#include "graphics/field_look.h"

namespace kovw::graphics {

class GraphicsFieldWidget : public QWidget {
  Q_OBJECT

 public:
  explicit GraphicsFieldWidget(QWidget* parent);

  void apply(const FieldLook& look);
  const FieldLook& look() const { return look_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  FieldLook look_;
};

}  // namespace kovw::graphics
