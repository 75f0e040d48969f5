#include "overlays/labellayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFontMetrics>

#include "core/geometry.h"

namespace {

constexpr int kLabelGap = 3;  // between a marker and its label
constexpr int kMargin = 2;  // kept clear around each label
constexpr int kMaxLifts = 4;  // a label moves up at most this many of its heights

// A thing found again in the next frame or set lies within this of where it
// was: the same summit in a set resampled otherwise lies a cell or two off,
// and summits the search finds stand farther apart.
constexpr double kSameThingMetres = 150;
constexpr double kCellDegrees = 0.005;  // the cells tracks are looked up by, larger than the above

int64_t CellKey(int64_t row, int64_t column)
{
    return row * 1000003 + column;
}

int64_t CellIndex(double degrees)
{
    return int64_t(std::floor(degrees / kCellDegrees));
}

double GroundMetres(double latitudeA, double longitudeA, double latitudeB, double longitudeB)
{
    const double north = (latitudeB - latitudeA) * MetresPerDegree;
    const double east =
        LongitudeEastOf(longitudeB, longitudeA) * MetresPerDegree * EastWestScale((latitudeA + latitudeB) / 2);
    return std::hypot(north, east);
}

QRect MarkerRect(const QPoint& top)
{
    return {top.x() - kLabelMarkerSize, top.y() - kLabelMarkerSize, 2 * kLabelMarkerSize + 1, 2 * kLabelMarkerSize + 1};
}

// The leader line from under `box` down to the marker at `top`, as a rect one
// pixel wide; empty when the label sits on its marker.
QRect LeaderRect(const QRect& box, const QPoint& top)
{
    const int from = box.bottom() + 1, to = top.y() - kLabelMarkerSize - 1;
    return to - from >= kLabelGap ? QRect(top.x(), from, 1, to - from + 1) : QRect();
}

}  // namespace

bool PlacedLabel::HasLeader() const
{
    return !LeaderRect(box, top).isEmpty();
}

int LabelBudget(QSize frame)
{
    const int64_t pixels = int64_t(frame.width()) * frame.height();
    return int(std::clamp<int64_t>(pixels / kPixelsPerLabel, 1, kMaxLabels));
}

void LabelLayout::Clear()
{
    tracks_.clear();
    cells_.clear();
    placed_.clear();
    pending_ = false;
}

void LabelLayout::MatchTracks(const std::vector<LabelCandidate>& candidates, int64_t nowMs)
{
    for (Track& track : tracks_)
        track.candidate = -1;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const LabelCandidate& c = candidates[i];
        const int64_t row = CellIndex(c.latitude), column = CellIndex(c.longitude);
        std::size_t best = std::numeric_limits<std::size_t>::max();
        double bestMetres = kSameThingMetres;
        for (int64_t r = row - 1; r <= row + 1; ++r)
            for (int64_t k = column - 1; k <= column + 1; ++k) {
                const auto [from, to] = cells_.equal_range(CellKey(r, k));
                for (auto it = from; it != to; ++it) {
                    const Track& track = tracks_[it->second];
                    const double metres = GroundMetres(track.latitude, track.longitude, c.latitude, c.longitude);
                    if (track.candidate < 0 && metres <= bestMetres) {
                        best = it->second;
                        bestMetres = metres;
                    }
                }
            }
        if (best == std::numeric_limits<std::size_t>::max()) {
            best = tracks_.size();
            tracks_.emplace_back();
        }
        tracks_[best].candidate = int(i);
    }
    for (Track& track : tracks_) {
        const bool seen = track.candidate >= 0 && candidates[std::size_t(track.candidate)].seen;
        if (track.candidate >= 0) {
            track.latitude = candidates[std::size_t(track.candidate)].latitude;
            track.longitude = candidates[std::size_t(track.candidate)].longitude;
        }
        track.seenFrames = seen ? track.seenFrames + 1 : 0;
        track.unseenFrames = seen ? 0 : track.unseenFrames + 1;
        if (seen)
            track.lastSeenMs = nowMs;
    }
    // Those neither shown nor seen start again when next seen.
    std::erase_if(tracks_, [&](const Track& track) { return !track.shown && track.seenFrames == 0; });
    cells_.clear();
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        cells_.emplace(CellKey(CellIndex(tracks_[i].latitude), CellIndex(tracks_[i].longitude)), i);
}

bool LabelLayout::Stays(const Track& track, int64_t nowMs) const
{
    return track.unseenFrames < timing_.framesToGo || nowMs - track.lastSeenMs < timing_.msToGo;
}

std::vector<int> LabelLayout::PlacingOrder(const std::vector<LabelCandidate>& candidates, int64_t nowMs)
{
    // Candidate index -> track, then the shown first, each group by the
    // candidates' own order.
    std::vector<int> trackOf(candidates.size(), -1);
    for (std::size_t t = 0; t < tracks_.size(); ++t)
        if (tracks_[t].candidate >= 0)
            trackOf[std::size_t(tracks_[t].candidate)] = int(t);
    std::vector<int> order;
    for (const bool shown : {true, false})
        for (const int t : trackOf) {
            if (t < 0 || tracks_[std::size_t(t)].shown != shown)
                continue;
            const Track& track = tracks_[std::size_t(t)];
            const bool wanted = shown ? Stays(track, nowMs) : track.seenFrames >= timing_.framesToAppear;
            pending_ =
                pending_ || (shown && track.unseenFrames > 0 && wanted) || (!shown && track.seenFrames > 0 && !wanted);
            if (wanted)
                order.push_back(t);
        }
    return order;
}

bool LabelLayout::Fits(const QRect& box, const QPoint& top) const
{
    const QRect clear = box.adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QRect leader = LeaderRect(box, top);
    const QRect marker = MarkerRect(top);
    return std::none_of(placed_.begin(), placed_.end(), [&](const PlacedLabel& other) {
        const QRect otherLeader = LeaderRect(other.box, other.top);
        return clear.intersects(other.box) || clear.intersects(MarkerRect(other.top)) ||
            (!otherLeader.isEmpty() && clear.intersects(otherLeader)) ||
            (!leader.isEmpty() && leader.intersects(other.box)) || marker.intersects(other.box);
    });
}

bool LabelLayout::TryPlace(Track& track, const LabelCandidate& candidate, QSize frame, const QFontMetrics& metrics)
{
    const QSize size(metrics.horizontalAdvance(candidate.text) + 2 * kLabelHalo, metrics.height());
    if (size.width() > frame.width())
        return false;
    // Where it stood first, so that a label stays in place while it fits.
    std::vector<int> lifts;
    if (track.shown)
        lifts.push_back(track.lift);
    for (int lift = 0; lift <= kMaxLifts; ++lift)
        if (!track.shown || lift != track.lift)
            lifts.push_back(lift);
    const QPoint top = candidate.top;
    const int left = std::clamp(top.x() - size.width() / 2, 0, frame.width() - size.width());
    for (const int lift : lifts) {
        const QRect box(
            QPoint(left, top.y() - kLabelMarkerSize - kLabelGap - size.height() - lift * (size.height() + kMargin)),
            size);
        if (box.top() < 0 || !Fits(box, top))
            continue;
        placed_.push_back({candidate.subject, top, box, candidate.text});
        track.lift = lift;
        return true;
    }
    return false;
}

void LabelLayout::Place(
    const std::vector<LabelCandidate>& candidates, QSize frame, const QFontMetrics& metrics, int64_t nowMs)
{
    placed_.clear();
    pending_ = false;
    MatchTracks(candidates, nowMs);
    const int budget = LabelBudget(frame);
    for (const int t : PlacingOrder(candidates, nowMs)) {
        Track& track = tracks_[std::size_t(t)];
        const bool placed =
            int(placed_.size()) < budget && TryPlace(track, candidates[std::size_t(track.candidate)], frame, metrics);
        track.shown = placed;
    }
    // Shown labels whose thing has left the frame go at once: nothing marks
    // where they would stand.
    for (Track& track : tracks_)
        if (track.candidate < 0)
            track.shown = false;
}
