// Curve colours, 24-bit numbers in blue-green-red order, the same in every plot and in the
// captions of the channel boxes.
#pragma once

#include <QColor>
#include <QMap>
#include <QString>

namespace viewer {

inline constexpr int kChannel1 = 255;                 // red
inline constexpr int kChannel2 = 0;                   // black
inline constexpr int kReference1 = 0x8080FF;          // light red
inline constexpr int kReference2 = 0x808080;          // grey
inline constexpr int kReferenceCoherence = 0xFFC0C0;  // light blue
inline constexpr int kCoherence = 0xC00000;           // dark blue
// Told from red and black by colour-blind readers too.
inline constexpr int kRelativeMotion = 0xB27200;  // blue (0, 114, 178)

inline QColor colourOfBgr(int bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
inline int bgrOf(const QColor& colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

inline QMap<int, QString> curveNamesByColour() {
  return {{kChannel1, "channel 1"},
          {kChannel2, "channel 2"},
          {kReference1, "reference 1"},
          {kReference2, "reference 2"},
          {kReferenceCoherence, "reference coherence"},
          {kCoherence, "coherence"}};
}

}  // namespace viewer
