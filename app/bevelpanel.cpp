#include "app/bevelpanel.h"

#include <QPainter>
#include <QResizeEvent>

namespace {

const char* const kAnchorRight = "anchorRight";
const char* const kDesignLeft = "designLeft";

// Draws `width` rings inside `rect`, light above and left, dark below and
// right for a raised bevel; returns the rectangle inside them.
QRect DrawBevel(QPainter& painter, QRect rect, BevelPanel::Bevel bevel, int width, const QPalette& palette)
{
    if (bevel == BevelPanel::None)
        return rect;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor& topLeft = bevel == BevelPanel::Raised ? light : dark;
    const QColor& bottomRight = bevel == BevelPanel::Raised ? dark : light;
    for (int i = 0; i < width && rect.isValid(); ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

}  // namespace

BevelPanel::BevelPanel(QWidget* parent) : QWidget(parent)
{
    UpdateMargins();
}

void BevelPanel::setColor(const QColor& color)
{
    color_ = color;
    update();
}

void BevelPanel::setBevelOuter(Bevel bevel)
{
    outer_ = bevel;
    UpdateMargins();
}

void BevelPanel::setBevelInner(Bevel bevel)
{
    inner_ = bevel;
    UpdateMargins();
}

void BevelPanel::setBevelWidth(int width)
{
    width_ = qMax(0, width);
    UpdateMargins();
}

void BevelPanel::UpdateMargins()
{
    const int m = width_ * ((outer_ != None) + (inner_ != None));
    setContentsMargins(m, m, m, m);
    update();
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), color_.isValid() ? color_ : palette().color(QPalette::Window));
    const QRect inside = DrawBevel(painter, rect(), outer_, width_, palette());
    DrawBevel(painter, inside, inner_, width_, palette());
}

void BevelPanel::setDesignWidth(int width)
{
    designWidth_ = width;
    PlaceAnchoredChildren();
}

void BevelPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceAnchoredChildren();
}

void BevelPanel::PlaceAnchoredChildren()
{
    if (designWidth_ <= 0)
        return;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->property(kAnchorRight).toBool())
            continue;
        // The first time sees the child where the form put it.
        QVariant left = child->property(kDesignLeft);
        if (!left.isValid()) {
            left = child->x();
            child->setProperty(kDesignLeft, left);
        }
        child->move(width() - (designWidth_ - left.toInt()), child->y());
    }
}
