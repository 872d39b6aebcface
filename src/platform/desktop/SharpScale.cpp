#include "platform/desktop/SharpScale.h"

#include <QPaintDevice>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace pelaryn {

ScalePlan PlanScale(QSize area, QSize picture) {
  ScalePlan plan;
  if (area.isEmpty() || picture.isEmpty()) return plan;
  // In 64 bits: a window system may report sizes whose products overflow an int.
  const int64_t aw = area.width(), ah = area.height();
  const int64_t pw = picture.width(), ph = picture.height();
  int64_t w = aw, h = ah;
  if (aw * ph <= ah * pw) {
    h = (2 * aw * ph + pw) / (2 * pw);  // rounded to nearest; never more than ah
  } else {
    w = (2 * ah * pw + ph) / (2 * ph);
  }
  w = std::max<int64_t>(w, 1);
  h = std::max<int64_t>(h, 1);
  const int64_t factor = std::max<int64_t>(1, std::min(w / pw, h / ph));
  plan.Factor = static_cast<int>(factor);
  plan.Smooth = w != factor * pw || h != factor * ph;
  plan.Target = QRect(static_cast<int>((aw - w) / 2), static_cast<int>((ah - h) / 2),
                      static_cast<int>(w), static_cast<int>(h));
  return plan;
}

void SharpScaler::Enlarge(const QImage& picture, int factor) {
  const QSize size = picture.size() * factor;
  if (enlarged_.size() != size) enlarged_ = QImage(size, QImage::Format_RGB32);
  const auto rowBytes = static_cast<std::size_t>(size.width()) * sizeof(uint32_t);
  for (int y = 0; y < picture.height(); ++y) {
    const auto* from = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
    auto* to = reinterpret_cast<uint32_t*>(enlarged_.scanLine(y * factor));
    for (int x = 0; x < picture.width(); ++x) {
      // Qt's RGB32 holds 0xff in the top byte, whatever the game's surface left there.
      std::fill_n(to + static_cast<std::ptrdiff_t>(x) * factor, factor, from[x] | 0xff000000u);
    }
    for (int copy = 1; copy < factor; ++copy) {
      std::memcpy(enlarged_.scanLine(y * factor + copy), to, rowBytes);
    }
  }
}

void SharpScaler::Draw(QPainter& painter, const QImage& picture, const QRect& area,
                       const QColor& margins) {
  if (picture.depth() != 32) {
    if (margins.isValid()) painter.fillRect(area, margins);
    return;
  }
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const QSize devicePixels(static_cast<int>(std::lround(area.width() * ratio)),
                           static_cast<int>(std::lround(area.height() * ratio)));
  const ScalePlan plan = PlanScale(devicePixels, picture.size());
  if (plan.Target.isEmpty()) {
    if (margins.isValid()) painter.fillRect(area, margins);
    return;
  }
  const QRectF target(area.x() + plan.Target.x() / ratio, area.y() + plan.Target.y() / ratio,
                      plan.Target.width() / ratio, plan.Target.height() / ratio);
  if (margins.isValid()) {
    // Pixels the picture covers only in part are filled too, and the picture blends over them.
    const int left = static_cast<int>(std::ceil(target.left()));
    const int top = static_cast<int>(std::ceil(target.top()));
    const QRect covered(left, top, static_cast<int>(std::floor(target.right())) - left,
                        static_cast<int>(std::floor(target.bottom())) - top);
    for (const QRect& part : QRegion(area).subtracted(QRegion(covered))) {
      painter.fillRect(part, margins);
    }
  }
  const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, plan.Smooth);
  if (plan.Factor == 1) {
    painter.drawImage(target, picture);
  } else {
    Enlarge(picture, plan.Factor);
    painter.drawImage(target, enlarged_);
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace pelaryn
