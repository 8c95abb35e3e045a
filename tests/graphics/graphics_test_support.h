#pragma once
// Shared pieces of the graphics tests: the application (fonts and images need one), made on
// first use and deleted after the last test, and small helpers over images.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "support/test_application.h"

namespace kovw::graphics::test {

inline void ensure_application() {
  ::kovw::test::application();
}

// A white image of `width` x `height`.
inline QImage white_image(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

// The image as rows of characters: '.' white, '#' black, 'o' any other colour.
inline std::string picture_of(const QImage& image) {
  std::string out;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      out += p == 0xFFFFFFFFu ? '.' : p == 0xFF000000u ? '#' : 'o';
    }
    out += '\n';
  }
  return out;
}

// Number of pixels in `rect` that are not white.
inline int inked(const QImage& image, const QRect& rect) {
  int count = 0;
  const QRect r = rect & image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) count += image.pixel(x, y) != 0xFFFFFFFFu;
  return count;
}

}  // namespace kovw::graphics::test
