#pragma once
// Where the labels of a frame go: one layout for summits, named places and
// waypoints. The most wanted come first, none overlaps another, a leader line
// (from a label lifted off its marker) crosses no text, and their number
// follows the frame's size. Kept from frame to frame: a label appears once
// its top has been seen for a few frames, stays where it was while it fits,
// and goes only after its top has been unseen for some frames and some time,
// so that flying and set swaps do not make labels flicker.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFontMetrics;

// One thing that may carry a label in this frame, most wanted first.
struct LabelCandidate {
    // Where the thing stands on the ground; the same place across frames and
    // set swaps is the same thing.
    double latitude = 0;
    double longitude = 0;
    QPoint top;  // where its top lands on the frame
    bool seen = false;  // the frame shows its top, not hidden by nearer ground
    QString text;
    int subject = -1;  // the caller's index
};

struct PlacedLabel {
    int subject = -1;
    QPoint top;  // the marker's top
    QRect box;  // the text with its halo
    QString text;

    // A label lifted above its marker is joined to it by a line.
    bool HasLeader() const;
};

// How long labels take to come and go. Frames and time both count so that a
// fast flight (many frames a second) and a slow one (few) both settle.
struct LabelTiming {
    int framesToAppear = 2;
    int framesToGo = 4;
    int64_t msToGo = 300;
};

// At once: for a single picture, drawn without frames before it.
inline constexpr LabelTiming kLabelsAtOnce{1, 1, 0};

inline constexpr int kLabelMarkerSize = 4;  // half the marker's width, pixels
inline constexpr int kLabelHalo = 2;  // the outline round a label's text, pixels
inline constexpr int kMaxLabels = 40;

// How many labels a frame has room for: one per this many pixels of frame.
inline constexpr int kPixelsPerLabel = 16000;
int LabelBudget(QSize frame);

class LabelLayout {
public:
    explicit LabelLayout(LabelTiming timing = {}) : timing_(timing) { }

    // Places the labels of one frame at `nowMs` (any steady clock).
    void Place(const std::vector<LabelCandidate>& candidates, QSize frame, const QFontMetrics& metrics, int64_t nowMs);
    const std::vector<PlacedLabel>& placed() const { return placed_; }
    // Whether a label waits to appear or to go: another frame soon settles it.
    bool Pending() const { return pending_; }
    // Forgets every label, as for a landscape elsewhere.
    void Clear();

private:
    struct Track {
        double latitude = 0;
        double longitude = 0;
        int seenFrames = 0;
        int unseenFrames = 0;
        int64_t lastSeenMs = 0;
        bool shown = false;
        int lift = 0;  // label heights above the marker, while shown
        int candidate = -1;  // in this frame's candidates, or -1
        int64_t cell = 0;
    };

    void MatchTracks(const std::vector<LabelCandidate>& candidates, int64_t nowMs);
    std::vector<int> PlacingOrder(const std::vector<LabelCandidate>& candidates, int64_t nowMs);
    bool TryPlace(Track& track, const LabelCandidate& candidate, QSize frame, const QFontMetrics& metrics);
    bool Fits(const QRect& box, const QPoint& top) const;
    bool Stays(const Track& track, int64_t nowMs) const;

    LabelTiming timing_;
    std::vector<Track> tracks_;
    std::unordered_multimap<int64_t, std::size_t> cells_;  // tracks by ground cell
    std::vector<PlacedLabel> placed_;
    bool pending_ = false;
};
