#include "app/profilepanel.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "app/mainwindow.h"
#include "overlays/flightfilm.h"
#include "overlays/gpx.h"
#include "overlays/gpxprofile.h"
#include "overlays/mapmarks.h"

namespace {

constexpr QSize kPanelSize(680, 280);
constexpr QSize kPanelMinimum(420, 220);
constexpr int kTickTarget = 6;  // about as many labelled ticks on each axis
const QColor kGroundCurve(40, 110, 40);
const QColor kFileCurve(30, 90, 220);

// A tick step of 1, 2 or 5 times a power of ten giving about `target` ticks.
double NiceStep(double range, int target)
{
    const double raw = std::max(range, 1e-9) / target;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

QString Kilometres(double metres)
{
    return QString::number(metres / 1000, 'f', metres < 10000 ? 2 : 1);
}

QString Metres(double metres)
{
    return QString::number(std::lround(metres));
}

// The heights shown: both curves, with a little room over and under.
std::pair<double, double> HeightRange(const TrackProfile& profile)
{
    double low = INFINITY, high = -INFINITY;
    for (const ProfilePoint& point : profile.points)
        for (const double h : {point.ground, point.file})
            if (!std::isnan(h)) {
                low = std::min(low, h);
                high = std::max(high, h);
            }
    if (!(low <= high))
        return {0, 100};
    const double pad = std::max((high - low) * 0.08, 10.0);
    return {low - pad, high + pad};
}

// Where the curve goes in a plot of `size`: room on the left and below for
// the axes' labels.
QRect PlotArea(QSize size, const QFontMetrics& metrics)
{
    const int left = metrics.horizontalAdvance(QStringLiteral("-8888 m")) + 10;
    const int bottom = metrics.height() + 8;
    return QRect(left, metrics.height() / 2 + 4, std::max(size.width() - left - 16, 10),
        std::max(size.height() - bottom - metrics.height() / 2 - 4, 10));
}

// The curve, its axes and its marks, drawn with our own painter; the mouse
// over it sets the panel's hovered distance.
class ProfilePlot : public QWidget {
public:
    explicit ProfilePlot(ProfilePanel& panel) : QWidget(&panel), panel_(panel)
    {
        setMouseTracking(true);
        setMinimumHeight(120);
    }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QRect area = PlotArea(size(), fontMetrics());
        const double length = panel_.profile().length;
        if (panel_.profile().points.empty() || length <= 0)
            return;
        const double f = std::clamp((event->position().x() - area.left()) / area.width(), 0.0, 1.0);
        panel_.SetHoveredAt(f * length);
    }
    void leaveEvent(QEvent*) override { panel_.SetHoveredAt(std::nullopt); }

private:
    void DrawAxes(QPainter& painter, const QRect& area, double low, double high) const;
    void DrawCurve(QPainter& painter, const QRect& area, double low, double high, double ProfilePoint::*height,
        const QColor& colour) const;
    void DrawMarks(QPainter& painter, const QRect& area, double low, double high) const;

    ProfilePanel& panel_;
};

void ProfilePlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const TrackProfile& profile = panel_.profile();
    if (profile.points.empty())
        return;
    const QRect area = PlotArea(size(), fontMetrics());
    const auto [low, high] = HeightRange(profile);
    DrawAxes(painter, area, low, high);
    painter.setClipRect(area.adjusted(-2, -2, 2, 2));
    painter.setRenderHint(QPainter::Antialiasing);
    DrawCurve(painter, area, low, high, &ProfilePoint::ground, kGroundCurve);
    DrawCurve(painter, area, low, high, &ProfilePoint::file, kFileCurve);
    painter.setClipping(false);
    DrawMarks(painter, area, low, high);
}

void ProfilePlot::DrawAxes(QPainter& painter, const QRect& area, double low, double high) const
{
    const double length = std::max(panel_.profile().length, 1.0);
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = palette().color(QPalette::Mid);
    const QFontMetrics metrics = fontMetrics();
    const double heightStep = NiceStep(high - low, kTickTarget);
    for (double h = std::ceil(low / heightStep) * heightStep; h <= high; h += heightStep) {
        const int y = area.bottom() - int(std::lround((h - low) / (high - low) * area.height()));
        painter.setPen(QPen(grid, 0, Qt::DotLine));
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(text);
        const QString label = QCoreApplication::translate("ProfilePanel", "%1 m").arg(Metres(h));
        painter.drawText(area.left() - 6 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2, label);
    }
    const double distanceStep = NiceStep(length / 1000, kTickTarget) * 1000;
    for (double d = 0; d <= length + 1e-6; d += distanceStep) {
        const int x = area.left() + int(std::lround(d / length * area.width()));
        painter.setPen(QPen(grid, 0, Qt::DotLine));
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(text);
        const QString label = QCoreApplication::translate("ProfilePanel", "%1 km").arg(d / 1000);
        const int half = metrics.horizontalAdvance(label) / 2;
        painter.drawText(std::clamp(x - half, 0, width() - 2 * half), area.bottom() + 4 + metrics.ascent(), label);
    }
    painter.setPen(text);
    painter.drawRect(area);
}

void ProfilePlot::DrawCurve(QPainter& painter, const QRect& area, double low, double high, double ProfilePoint::*height,
    const QColor& colour) const
{
    const TrackProfile& profile = panel_.profile();
    const double length = std::max(profile.length, 1.0);
    QPainterPath curve;
    bool drawing = false;
    for (const ProfilePoint& point : profile.points) {
        const double h = point.*height;
        if (std::isnan(h)) {
            drawing = false;  // a gap stays a gap
            continue;
        }
        const QPointF at(area.left() + point.metres / length * area.width(),
            area.bottom() - (h - low) / (high - low) * area.height());
        drawing ? curve.lineTo(at) : curve.moveTo(at);
        drawing = true;
    }
    painter.setPen(QPen(colour, 2));
    painter.drawPath(curve);
}

void ProfilePlot::DrawMarks(QPainter& painter, const QRect& area, double low, double high) const
{
    const TrackProfile& profile = panel_.profile();
    if (const std::optional<double> flight = panel_.flightAt()) {
        const int x = panel_.PlotXOf(*flight);
        painter.setPen(QPen(kEyeMarkColour, 2));
        painter.drawLine(x, area.top(), x, area.bottom());
    }
    const std::optional<double> hovered = panel_.hoveredAt();
    if (!hovered || profile.points.empty())
        return;
    const int x = panel_.PlotXOf(*hovered);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(x, area.top(), x, area.bottom());
    // The nearest profile point's heights, by the mark.
    const auto nearest = std::min_element(
        profile.points.begin(), profile.points.end(), [&](const ProfilePoint& a, const ProfilePoint& b) {
            return std::fabs(a.metres - *hovered) < std::fabs(b.metres - *hovered);
        });
    // The readout: the distance, then each height in its curve's colour.
    std::vector<std::pair<QString, QColor>> readout{
        {QCoreApplication::translate("ProfilePanel", "%1 km").arg(Kilometres(*hovered)), Qt::black}};
    const std::pair<double, QColor> heights[] = {{nearest->ground, kGroundCurve}, {nearest->file, kFileCurve}};
    for (const auto& [h, colour] : heights) {
        if (std::isnan(h))
            continue;
        const double y = area.bottom() - (h - low) / (high - low) * area.height();
        DrawProfileMarkOnMap(painter, QPointF(x, y));
        readout.emplace_back(QCoreApplication::translate("ProfilePanel", "%1 m").arg(Metres(h)), colour);
    }
    const QFontMetrics metrics = fontMetrics();
    const int gap = metrics.horizontalAdvance(QStringLiteral("  "));
    int textWidth = -gap;
    for (const auto& piece : readout)
        textWidth += metrics.horizontalAdvance(piece.first) + gap;
    const int left = x + 8 + textWidth < area.right() ? x + 8 : x - 8 - textWidth;
    painter.fillRect(QRect(left - 3, area.top() + 3, textWidth + 6, metrics.height() + 2), QColor(255, 255, 255, 220));
    int at = left;
    for (const auto& [text, colour] : readout) {
        painter.setPen(colour);
        painter.drawText(at, area.top() + 4 + metrics.ascent(), text);
        at += metrics.horizontalAdvance(text) + gap;
    }
}

}  // namespace

ProfilePanel::ProfilePanel(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("profilePanel"));
    setWindowTitle(tr("標高断面図"));
    auto* layout = new QVBoxLayout(this);
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("profileFigures"));
    figures_->setWordWrap(true);
    figures_->setTextFormat(Qt::RichText);
    plot_ = new ProfilePlot(*this);
    plot_->setObjectName(QStringLiteral("profilePlot"));
    layout->addWidget(figures_);
    layout->addWidget(plot_, 1);
    setMinimumSize(kPanelMinimum);
    resize(kPanelSize);
    ShowFigures();
}

void ProfilePanel::SetTrack(const GpxLine* line, const Terrain* terrain, const RenderParams& params)
{
    const bool hadHover = hoveredAt_.has_value();
    hoveredAt_.reset();
    if (line && terrain && params.columns > 0) {
        path_ = PathOf(*line);
        profile_ = ProfileOfLine(*line, *terrain, params);
    } else {
        path_ = TrackPath({});
        profile_ = {};
    }
    ShowFigures();
    plot_->update();
    // Only a mark taken away repaints the views: a new landscape is being
    // taken over when this is called, and paints them itself.
    if (hadHover)
        emit hoverChanged();
}

void ProfilePanel::SetFlightAt(std::optional<double> metres)
{
    if (flightAt_ == metres)
        return;
    flightAt_ = metres;
    plot_->update();
}

void ProfilePanel::SetHoveredAt(std::optional<double> metres)
{
    if (hoveredAt_ == metres)
        return;
    hoveredAt_ = metres;
    plot_->update();
    emit hoverChanged();
}

std::optional<GeoPoint> ProfilePanel::HoveredPlace() const
{
    if (!hoveredAt_ || path_.empty())
        return std::nullopt;
    return path_.At(*hoveredAt_);
}

int ProfilePanel::PlotXOf(double metres) const
{
    const QRect area = PlotArea(plot_->size(), plot_->fontMetrics());
    const double f = profile_.length > 0 ? std::clamp(metres / profile_.length, 0.0, 1.0) : 0;
    return area.left() + int(std::lround(f * area.width()));
}

QString ProfilePanel::FiguresText() const
{
    return figures_->text();
}

void ProfilePanel::ShowFigures()
{
    if (profile_.points.empty()) {
        figures_->setText(tr("GPXファイルの軌跡がありません．軌跡のあるGPXファイルを開いてください．"));
        return;
    }
    const auto line = [](const QColor& colour, const QString& source, const ClimbFigures& figures) {
        const QString swatch = QStringLiteral("<span style=\"color:%1\">&#9632;</span> ").arg(colour.name());
        if (!figures.known)
            return swatch + tr("%1：高さがわかりません（読み込んだ範囲の外）").arg(source);
        return swatch +
            tr("%1：上り %2 m，下り %3 m，最高点 %4 m（%5 km地点）")
                .arg(source, Metres(figures.ascent), Metres(figures.descent), Metres(figures.highest),
                    Kilometres(figures.highestAt));
    };
    QString text = tr("長さ %1 km").arg(Kilometres(profile_.length));
    text += QStringLiteral("<br>") + line(kGroundCurve, tr("標高データ"), profile_.ground);
    if (profile_.file.known)
        text += QStringLiteral("<br>") + line(kFileCurve, tr("GPXファイルの標高"), profile_.file);
    // A figure never breaks from its unit at the end of a line.
    static const QRegularExpression kFigureAndUnit(QStringLiteral("(\\d) (k?m)"));
    figures_->setText(text.replace(kFigureAndUnit, QStringLiteral("\\1&nbsp;\\2")));
}

ProfilePanel* AddProfilePanel(MainWindow& window)
{
    auto* panel = new ProfilePanel(&window);
    auto* action = new QAction(QCoreApplication::translate("ProfilePanel", "標高断面図"), window.Form().view3d);
    action->setObjectName(QStringLiteral("profileAction"));
    action->setShortcut(QKeySequence(Qt::Key_E));
    action->setShortcutContext(Qt::WindowShortcut);
    MainWindow* w = &window;
    QObject::connect(action, &QAction::triggered, panel, [panel] {
        panel->setVisible(!panel->isVisible());
        if (!panel->isVisible())
            panel->SetHoveredAt(std::nullopt);
    });
    QObject::connect(panel, &ProfilePanel::hoverChanged, w, [w, panel] {
        w->Form().mapView->SetProfileMark(panel->HoveredPlace());
        w->PaintMap();
        w->PaintView3d();
    });
    window.Form().view3d->addAction(action);
    return panel;
}
