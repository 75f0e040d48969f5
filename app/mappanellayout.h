#pragma once
// The map panel's layout: the map box as large as the panel leaves room
// for, and the hints, step buttons and sun controls under it. The form
// places them for the smallest window, a 360-pixel panel; as the panel
// grows they keep their places under the box's bottom edge, those named
// `anchoredRight` their distance to the panel's right edge too.

#include <vector>

#include <QObject>
#include <QPoint>

class MapView;
class QSplitter;
class QWidget;

class MapPanelLayout : public QObject {
public:
    // `top` is the box's distance to the panel's top, `roomBelow` the height
    // the controls under it take.
    MapPanelLayout(QWidget* panel, MapView* map, int top, int roomBelow, std::vector<QWidget*> anchoredRight);

    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control {
        QWidget* widget;
        QPoint designed;  // where the form put it
        bool anchoredRight;
    };

    QWidget* panel_;
    MapView* map_;
    int top_;
    int roomBelow_;
    int designWidth_;
    int designBoxBottom_;
    std::vector<Control> controls_;
};

// The splitter between the 3D view and the map. Until the user drags it,
// the map is `mapWidth` wide in the smallest window and gets half of what a
// larger one adds; once dragged, the splitter keeps the proportions the
// user chose, remembered for the next sessions.
class ViewSplitterPlace : public QObject {
public:
    ViewSplitterPlace(QSplitter& splitter, int mapWidth);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Share();

    QSplitter& splitter_;
    int mapWidth_;
    bool placed_ = false;  // by the user, now or in an earlier session
};
