#include "graphics/pens_and_brushes.h"

#include <QList>

namespace kovw::graphics {

namespace {

// The platform's pen style numbers, for line types other than 1 to 4.
constexpr int kPlatformSolid = 0;
constexpr int kPlatformDash = 1;
constexpr int kPlatformDot = 2;
constexpr int kPlatformDashDot = 3;
constexpr int kPlatformDashDotDot = 4;
constexpr int kPlatformNone = 5;

constexpr int kFirstShadedStyle = 101;

// Dash lengths in pixels of a one-pixel pen; Qt counts them in pen widths, so wider pens get
// proportionally longer dashes.
QList<qreal> dash_pattern(int platform_style) {
  switch (platform_style) {
    case kPlatformDash:
      return {18, 6};
    case kPlatformDot:
      return {3, 3};
    case kPlatformDashDot:
      return {9, 6, 3, 6};
    case kPlatformDashDotDot:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

int platform_style(int line_type) {
  switch (line_type) {
    case kLineSolid:
      return kPlatformSolid;
    case kLineDashed:
      return kPlatformDash;
    case kLineDashDot:
      return kPlatformDashDot;
    case kLineNone:
      return kPlatformNone;
    default:
      return line_type;  // the platform's own numbers; unknown ones draw solid
  }
}

}  // namespace

QPen make_pen(const Stroke& stroke) {
  const int style = platform_style(stroke.line_type);
  if (style == kPlatformNone) return QPen(Qt::NoPen);
  QPen pen(to_qcolor(stroke.colour));
  pen.setWidth(stroke.width > 1 ? stroke.width : 1);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  const QList<qreal> pattern = dash_pattern(style);
  if (!pattern.isEmpty()) pen.setDashPattern(pattern);
  return pen;
}

FillChoice classify_fill(int style, bool shaded_allowed) {
  if (style > kFillKeepPrevious) {
    return shaded_allowed && style >= kFirstShadedStyle ? FillChoice{FillKind::Shaded, Qt::NoBrush}
                                                        : FillChoice{FillKind::Solid, Qt::NoBrush};
  }
  switch (style & 0x0F) {
    case 0:
      return {FillKind::None, Qt::NoBrush};
    case 1:
      return {FillKind::Solid, Qt::SolidPattern};
    case 2:
    case 9:
      return {FillKind::Hatched, Qt::BDiagPattern};  // rising diagonals
    case 3:
    case 8:
    case 10:
      return {FillKind::Hatched, Qt::CrossPattern};
    case 4:
    case 11:
      return {FillKind::Hatched, Qt::FDiagPattern};  // falling diagonals
    case 5:
    case 12:
      return {FillKind::Hatched, Qt::DiagCrossPattern};
    case 6:
    case 13:
      return {FillKind::Hatched, Qt::HorPattern};
    case 7:
    case 14:
      return {FillKind::Hatched, Qt::VerPattern};
    default:
      return {FillKind::SecondColour, Qt::SolidPattern};
  }
}

QBrush make_brush(const FillChoice& choice, const Fill& fill) {
  switch (choice.kind) {
    case FillKind::Solid:
      return QBrush(to_qcolor(fill.colour));
    case FillKind::Hatched:
      return QBrush(to_qcolor(fill.colour), choice.pattern);
    case FillKind::SecondColour:
      return QBrush(to_qcolor(fill.second));
    case FillKind::None:
    case FillKind::Shaded:
      break;
  }
  return QBrush(Qt::NoBrush);
}

}  // namespace kovw::graphics
