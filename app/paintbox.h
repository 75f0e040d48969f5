#pragma once
// A plain drawing surface, like a form designer's paint box: it forwards its
// mouse events to the window's handlers and shows the picture a handler
// rendered for it.
//
// Handlers render into their own off-screen bitmap and hand it over with
// Present(), which puts it on the screen at once. The box never renders
// itself: when the toolkit asks it to paint and the last picture no longer
// fits (first show, resize), it asks its owner for a new one through
// paintRequested(), queued, so that no handler ever runs inside a paint
// event and a frame is never rendered twice for one request.

#include <initializer_list>

#include <QColor>
#include <QImage>
#include <QLine>
#include <QVector>
#include <QWidget>

// What was held during a mouse event: the mouse buttons and modifier keys.
struct ShiftState {
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers keys;
};

class PaintBox : public QWidget {
    Q_OBJECT

public:
    explicit PaintBox(QWidget* parent = nullptr);

    // Shows `picture` from the box's top-left corner, clipped to the box, and
    // repaints at once. The picture may wrap pixel rows that the caller owns;
    // they must stay valid until the next Present(). `madeFor` is the box size
    // the picture was composed for (the current size if not given); when it
    // differs, the box asks for a new picture.
    void Present(const QImage& picture, QSize madeFor = QSize());

    // Draws lines over the shown picture, straight onto the screen, at once.
    // They last until the next Present().
    void Scribble(const QColor& colour, std::initializer_list<QLine> lines);

    const QImage& picture() const { return picture_; }

signals:
    void paintRequested();
    void mouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void mouseMove(ShiftState shift, int x, int y);
    void mouseUp(Qt::MouseButton button, ShiftState shift, int x, int y);
    // The wheel turned by `notches` (120ths of a turn, as Qt counts, over
    // 120; positive away from the user).
    void wheelTurned(double notches, Qt::KeyboardModifiers keys);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void RequestPicture();

    QImage picture_;
    QSize pictureMadeFor_;
    QColor scribbleColour_;
    QVector<QLine> scribbleLines_;
    bool requestQueued_ = false;
};
