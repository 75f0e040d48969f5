#pragma once
// A panel in the manner of form designers: a filled rectangle with an outer
// and an inner bevel, whose children sit inside the bevels. Children that
// carry the dynamic property anchorRight = true keep their distance to the
// panel's right edge: they sit where the form put them while the panel is
// designWidth wide.

#include <QColor>
#include <QWidget>

class BevelPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(Bevel bevelOuter READ bevelOuter WRITE setBevelOuter)
    Q_PROPERTY(Bevel bevelInner READ bevelInner WRITE setBevelInner)
    Q_PROPERTY(int bevelWidth READ bevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int designWidth READ designWidth WRITE setDesignWidth)

public:
    enum Bevel {
        None,
        Lowered,
        Raised
    };
    Q_ENUM(Bevel)

    explicit BevelPanel(QWidget* parent = nullptr);

    // An invalid colour means the window background.
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    Bevel bevelOuter() const { return outer_; }
    void setBevelOuter(Bevel bevel);
    Bevel bevelInner() const { return inner_; }
    void setBevelInner(Bevel bevel);
    int bevelWidth() const { return width_; }
    void setBevelWidth(int width);
    int designWidth() const { return designWidth_; }
    void setDesignWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargins();
    void PlaceAnchoredChildren();

    QColor color_;
    Bevel outer_ = Raised;
    Bevel inner_ = None;
    int width_ = 1;
    int designWidth_ = 0;
};
