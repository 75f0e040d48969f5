#pragma once
// Dark text in a light outline, which reads over sky, snow and forest alike.
// Stroking a text's outline costs over a millisecond a label, and labels are
// drawn every frame while their texts change only now and then: each text is
// drawn once into an image, which later frames copy.

#include <QCache>
#include <QColor>
#include <QImage>
#include <QString>

class QFont;
class QPainter;
class QPoint;

// The labels' ink: their text, and the markers' and leader lines' edges.
inline const QColor kLabelInk(20, 20, 20);

class HaloTexts {
public:
    // Draws `text` in the painter's font with a `halo` outline, its box's
    // top-left corner at `topLeft`.
    void Draw(QPainter& painter, QPoint topLeft, const QString& text, const QColor& halo);

private:
    static QImage Drawn(const QFont& font, const QString& text, const QColor& halo);

    // About a frame's labels several times over; the texts of labels gone
    // are the first to go.
    QCache<QString, QImage> images_{400};
};
