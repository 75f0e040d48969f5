#pragma once
// The elevation profile of the track flown (the longest line of the GPX
// file opened last), in a window of its own (E, or the 3D view's menu):
// height against distance from the loaded landscape's grid, and from the
// file where its points have <ele>, with the length, the ascent and descent
// and the highest point of each. Hovering the curve marks that place on the
// map and in the 3D view; while the track is flown, the flight's place
// along it is marked on the curve.

#include <optional>

#include <QWidget>

#include "core/geometry.h"
#include "flight/trackpath.h"
#include "flight/trackprofile.h"

class MainWindow;
class QLabel;
struct GpxLine;
struct RenderParams;
struct Terrain;

class ProfilePanel : public QWidget {
    Q_OBJECT

public:
    explicit ProfilePanel(QWidget* parent = nullptr);

    // The profile of `line` over `terrain`; no line (or no landscape) empties it.
    void SetTrack(const GpxLine* line, const Terrain* terrain, const RenderParams& params);
    const TrackProfile& profile() const { return profile_; }
    QString FiguresText() const;

    // Where along the track the flight is, metres, or nothing once it ends.
    void SetFlightAt(std::optional<double> metres);
    const std::optional<double>& flightAt() const { return flightAt_; }

    // The hovered distance along the track and its place, or nothing.
    void SetHoveredAt(std::optional<double> metres);
    const std::optional<double>& hoveredAt() const { return hoveredAt_; }
    std::optional<GeoPoint> HoveredPlace() const;

    // The widget the curve is drawn in, and its pixel for a distance along
    // the track (the plot's own coordinates).
    QWidget* plot() const { return plot_; }
    int PlotXOf(double metres) const;

signals:
    void hoverChanged();

private:
    void ShowFigures();

    TrackPath path_{{}};
    TrackProfile profile_;
    std::optional<double> flightAt_;
    std::optional<double> hoveredAt_;
    QLabel* figures_;
    QWidget* plot_;
};

// The panel under the main window, toggled by E and the 3D view's menu; its
// hovering repaints the map and the 3D view, whose marks it sets.
ProfilePanel* AddProfilePanel(MainWindow& window);
