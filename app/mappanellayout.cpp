#include "app/mappanellayout.h"

#include <algorithm>

#include <QEvent>
#include <QSettings>
#include <QSplitter>
#include <QWidget>

#include "app/mapview.h"

namespace {

const char* const kSplitterKey = "window/viewSplitter";

}  // namespace

MapPanelLayout::MapPanelLayout(
    QWidget* panel, MapView* map, int top, int roomBelow, std::vector<QWidget*> anchoredRight) :
    QObject(panel),
    panel_(panel), map_(map), top_(top), roomBelow_(roomBelow), designWidth_(panel->minimumWidth()),
    designBoxBottom_(map->geometry().bottom())
{
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == map)
            continue;
        const bool right = std::find(anchoredRight.begin(), anchoredRight.end(), child) != anchoredRight.end();
        controls_.push_back({child, child->pos(), right});
    }
    panel->installEventFilter(this);
}

void MapPanelLayout::Place()
{
    map_->FitInto(QRect(0, top_, panel_->width(), std::max(1, panel_->height() - top_ - roomBelow_)));
    const int down = map_->geometry().bottom() - designBoxBottom_;
    const int right = panel_->width() - designWidth_;
    for (const Control& control : controls_)
        control.widget->move(control.designed + QPoint(control.anchoredRight ? right : 0, down));
}

bool MapPanelLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panel_ && event->type() == QEvent::Resize)
        Place();
    return QObject::eventFilter(watched, event);
}

ViewSplitterPlace::ViewSplitterPlace(QSplitter& splitter, int mapWidth) :
    QObject(&splitter), splitter_(splitter), mapWidth_(mapWidth)
{
    placed_ = splitter.restoreState(QSettings().value(QLatin1String(kSplitterKey)).toByteArray());
    connect(&splitter, &QSplitter::splitterMoved, this, [this] {
        placed_ = true;
        QSettings().setValue(QLatin1String(kSplitterKey), splitter_.saveState());
    });
    splitter.installEventFilter(this);
}

bool ViewSplitterPlace::eventFilter(QObject* watched, QEvent* event)
{
    // After the splitter has placed its widgets by its own rule.
    const bool handled = QObject::eventFilter(watched, event);
    if (watched == &splitter_ && event->type() == QEvent::Resize && !placed_)
        Share();
    return handled;
}

void ViewSplitterPlace::Share()
{
    const int width = splitter_.width();
    const int added = std::max(0, width - splitter_.window()->minimumWidth());
    const int map = mapWidth_ + added / 2;
    splitter_.setSizes({width - splitter_.handleWidth() - map, map});
}
