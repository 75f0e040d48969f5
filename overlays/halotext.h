#pragma once
// Dark text in a light outline, which reads over sky, snow and forest alike.
// Stroking a text's outline costs over a millisecond a label, and labels are
// drawn every frame while their texts change only now and then: each text is
// drawn once into an image, which later frames copy.

#include <QCache>
#include <QColor>
#include <QImage>
#include <QString>

#include "overlays/labellayout.h"

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

    // A frame's labels, lit or not, and a few more: while flying, a label's
    // distance changes its text every few frames, and the texts of labels
    // gone go first. More would only hold stale texts, and scatter the heap.
    QCache<QString, QImage> images_{2 * kMaxLabels + 16};
};
