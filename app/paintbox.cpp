#include "app/paintbox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtMath>

namespace {

// Pixel positions are whole pixels from the box's top-left corner; a
// fractional position (scaled screens) belongs to the pixel it lies in.
QPoint PixelOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return {qFloor(p.x()), qFloor(p.y())};
}

ShiftState ShiftOf(const QMouseEvent* event)
{
    return {event->buttons(), event->modifiers()};
}

}  // namespace

PaintBox::PaintBox(QWidget* parent) : QWidget(parent)
{
    // Moves without a button held feed the cursor readout.
    setMouseTracking(true);
}

void PaintBox::Present(const QImage& picture, QSize madeFor)
{
    picture_ = picture;
    pictureMadeFor_ = madeFor.isValid() ? madeFor : size();
    scribbleLines_.clear();
    repaint();
}

void PaintBox::Scribble(const QColor& colour, std::initializer_list<QLine> lines)
{
    scribbleColour_ = colour;
    scribbleLines_ = lines;
    repaint();
}

void PaintBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull() || pictureMadeFor_ != size())
        RequestPicture();
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    if (!scribbleLines_.isEmpty()) {
        painter.setPen(scribbleColour_);
        painter.drawLines(scribbleLines_);
    }
}

void PaintBox::RequestPicture()
{
    if (requestQueued_)
        return;
    requestQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            requestQueued_ = false;
            emit paintRequested();
        },
        Qt::QueuedConnection);
}

void PaintBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit mouseDown(event->button(), ShiftOf(event), p.x(), p.y());
}

void PaintBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit mouseMove(ShiftOf(event), p.x(), p.y());
}

void PaintBox::wheelEvent(QWheelEvent* event)
{
    // Qt counts a wheel's turn in eighths of a degree: 120 to a notch.
    constexpr double kUnitsPerNotch = 120;
    const int units = event->angleDelta().y();
    if (units == 0)
        return QWidget::wheelEvent(event);
    emit wheelTurned(units / kUnitsPerNotch, event->modifiers());
    event->accept();
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = PixelOf(event);
    emit mouseUp(event->button(), ShiftOf(event), p.x(), p.y());
}
