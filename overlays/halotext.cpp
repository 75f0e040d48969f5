#include "overlays/halotext.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "overlays/labellayout.h"

namespace {

constexpr int kMargin = kLabelHalo + 1;  // the stroke reaches a little beyond the box

}  // namespace

void HaloTexts::Draw(QPainter& painter, QPoint topLeft, const QString& text, const QColor& halo)
{
    const QFont& font = painter.font();
    const QString key = font.key() + QChar(0x1f) + QString::number(halo.rgba(), 16) + QChar(0x1f) + text;
    const QPoint corner = topLeft - QPoint(kMargin, kMargin);
    if (const QImage* cached = images_.object(key)) {
        painter.drawImage(corner, *cached);
        return;
    }
    const QImage image = Drawn(font, text, halo);
    painter.drawImage(corner, image);
    images_.insert(key, new QImage(image));  // shares the pixels
}

QImage HaloTexts::Drawn(const QFont& font, const QString& text, const QColor& halo)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 2 * (kLabelHalo + kMargin), metrics.height() + 2 * kMargin,
        QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addText(kMargin + kLabelHalo, kMargin + metrics.ascent(), font, text);
    painter.strokePath(path, QPen(halo, 2 * kLabelHalo + 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, kLabelInk);
    return image;
}
