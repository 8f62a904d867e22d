// Window geometry is described in twips: 1440 to the inch, 15 to a logical pixel.
#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

namespace viewer {

inline constexpr int kTwipsPerPixel = 15;

inline int toPixels(int twips) {
  return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}
inline int toTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

// Places `widget` at left, top, width, height given in twips, relative to its parent.
inline void placeInTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

}  // namespace viewer
