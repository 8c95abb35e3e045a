#pragma once
// A picture as the bytes of a bitmap file (file header, 40-byte picture header, colour table,
// rows bottom-up padded to four bytes, uncompressed) at 1, 4, 8 or 24 bits per pixel. Pictures
// of fewer bits take the nearest colour of their colour table: black and white for 1 bit, the
// 16 standard colours for 4 bits, the picture's own colours (or a colour cube when it has more
// than 256) for 8 bits.

#include <QByteArray>

class QImage;

namespace kovw::session {

// The bits per pixel a picture of `depth` bits is written with: up to 1 -> 1, up to 4 -> 4,
// up to 8 -> 8, otherwise 24.
int bitmap_bits_for_depth(int depth);

// The file bytes; empty for a null picture or bits other than 1, 4, 8 and 24.
QByteArray bitmap_file(const QImage& image, int bits);

}  // namespace kovw::session
