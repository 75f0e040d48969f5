// The labels over the 3D view: placed without overlap on a crowded view,
// leader lines clear of text, their number held to the room the frame has,
// and kept steady from frame to frame (labellayout.h); their text and the
// order of what they name (labelsubjects.h).

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "overlays/halotext.h"
#include "overlays/labellayout.h"
#include "overlays/labelsubjects.h"
#include "overlays/summitlabels.h"

namespace {

const QSize kFrame(662, 400);

QFontMetrics Metrics()
{
    return QFontMetrics(LabelFont());
}

// Candidate `i` of a view: things about 1 km apart on the ground, their tops
// on the frame where the test puts them.
LabelCandidate Candidate(int i, QPoint top, bool seen = true)
{
    LabelCandidate c;
    c.latitude = 35 + 0.01 * i;
    c.longitude = 138;
    c.top = top;
    c.seen = seen;
    c.text = QStringLiteral("Peak %1 3,%2 m · 12.3 km").arg(i).arg(100 + i);
    c.subject = i;
    return c;
}

// A range of mountains seen from afar: 200 tops crowded into a band of the frame.
std::vector<LabelCandidate> CrowdedView()
{
    std::vector<LabelCandidate> candidates;
    for (int i = 0; i < 200; ++i)
        candidates.push_back(Candidate(i, QPoint(5 + (i * 37) % 650, 120 + (i * 13) % 90)));
    return candidates;
}

QRect LeaderOf(const PlacedLabel& label)
{
    return QRect(QPoint(label.top.x(), label.box.bottom() + 1), QPoint(label.top.x(), label.top.y() - 1));
}

std::vector<int> Subjects(const LabelLayout& layout)
{
    std::vector<int> subjects;
    for (const PlacedLabel& label : layout.placed())
        subjects.push_back(label.subject);
    return subjects;
}

TEST(LabelLayout, ACrowdedViewGetsLabelsThatNeitherOverlapNorHaveLinesThroughText)
{
    LabelLayout layout(kLabelsAtOnce);
    layout.Place(CrowdedView(), kFrame, Metrics(), 0);
    const std::vector<PlacedLabel>& placed = layout.placed();
    ASSERT_GE(placed.size(), 5u);
    EXPECT_LE(int(placed.size()), LabelBudget(kFrame));
    bool someLeader = false;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedLabel& a = placed[i];
        EXPECT_TRUE(QRect(QPoint(0, 0), kFrame).contains(a.box)) << i;
        EXPECT_LT(a.box.bottom(), a.top.y()) << "a label stands above its marker";
        someLeader = someLeader || a.HasLeader();
        for (std::size_t j = 0; j < placed.size(); ++j) {
            if (i == j)
                continue;
            EXPECT_FALSE(a.box.intersects(placed[j].box)) << i << " and " << j;
            if (a.HasLeader()) {
                EXPECT_FALSE(LeaderOf(a).intersects(placed[j].box)) << "the line of " << i << " crosses " << j;
            }
        }
    }
    EXPECT_TRUE(someLeader) << "a crowded view lifts some labels";
}

TEST(LabelLayout, TheMostWantedComeFirstAndTheCountFollowsTheFrame)
{
    LabelLayout small(kLabelsAtOnce), large(kLabelsAtOnce);
    small.Place(CrowdedView(), kFrame, Metrics(), 0);
    large.Place(CrowdedView(), QSize(1920, 1080), Metrics(), 0);
    EXPECT_EQ(Subjects(small).front(), 0);
    EXPECT_LT(LabelBudget(kFrame), kMaxLabels);
    EXPECT_EQ(LabelBudget(QSize(1920, 1080)), kMaxLabels);
    EXPECT_GT(large.placed().size(), small.placed().size());
    EXPECT_LE(int(small.placed().size()), LabelBudget(kFrame));
}

TEST(LabelLayout, ALabelAppearsAfterTwoFramesAndOutlastsAFrameUnseen)
{
    LabelLayout layout;
    const std::vector<LabelCandidate> seen{Candidate(1, QPoint(300, 200))};
    const std::vector<LabelCandidate> hidden{Candidate(1, QPoint(300, 200), false)};
    layout.Place(seen, kFrame, Metrics(), 0);
    EXPECT_TRUE(layout.placed().empty()) << "one frame is not enough";
    EXPECT_TRUE(layout.Pending());
    layout.Place(seen, kFrame, Metrics(), 20);
    ASSERT_EQ(layout.placed().size(), 1u);
    const QRect box = layout.placed().front().box;
    layout.Place(hidden, kFrame, Metrics(), 40);
    ASSERT_EQ(layout.placed().size(), 1u) << "hidden for one frame, it stays";
    EXPECT_EQ(layout.placed().front().box, box);
    EXPECT_TRUE(layout.Pending());
    // Several frames in a short time do not take it away, nor a long time of few frames.
    for (int64_t ms : {60, 80, 100})
        layout.Place(hidden, kFrame, Metrics(), ms);
    EXPECT_EQ(layout.placed().size(), 1u);
    layout.Place(hidden, kFrame, Metrics(), 1000);
    EXPECT_TRUE(layout.placed().empty()) << "unseen for frames and time, it goes";
    EXPECT_FALSE(layout.Pending());
}

TEST(LabelLayout, ALabelHiddenEveryOtherFrameDoesNotFlicker)
{
    LabelLayout layout;
    int shown = 0;
    for (int frame = 0; frame < 40; ++frame) {
        // Seen in the first two frames, then in every other one.
        layout.Place({Candidate(1, QPoint(300, 200), frame < 2 || frame % 2 == 0)}, kFrame, Metrics(), frame * 16);
        shown += frame >= 2 && layout.placed().size() == 1;
    }
    EXPECT_EQ(shown, 38);
}

TEST(LabelLayout, LabelsStayInPlaceAcrossASetSwap)
{
    // The new set finds the same summits a cell or two off and in another
    // order: the labels keep their places.
    LabelLayout layout;
    std::vector<LabelCandidate> before = CrowdedView();
    for (int64_t ms : {0, 16, 32})
        layout.Place(before, kFrame, Metrics(), ms);
    const std::vector<PlacedLabel> was = layout.placed();
    std::vector<LabelCandidate> after = before;
    for (LabelCandidate& c : after) {
        c.latitude += 0.0004;  // about 45 m
        c.longitude -= 0.0003;
        c.subject += 1000;
    }
    std::swap(after[0], after[1]);
    layout.Place(after, kFrame, Metrics(), 48);
    ASSERT_EQ(layout.placed().size(), was.size());
    for (const PlacedLabel& label : was) {
        const auto same = std::find_if(layout.placed().begin(), layout.placed().end(),
            [&](const PlacedLabel& now) { return now.subject == label.subject + 1000; });
        ASSERT_NE(same, layout.placed().end()) << label.subject;
        EXPECT_EQ(same->box, label.box) << label.subject;
    }
}

TEST(LabelLayout, APlacedLabelKeepsItsLiftWhileItFits)
{
    // B lifted above A; when A goes, B stays lifted rather than jump down.
    LabelLayout layout(kLabelsAtOnce);
    const LabelCandidate a = Candidate(1, QPoint(300, 200));
    // Beside A, its label where A's is unless lifted; its line clear of A's text.
    const int aHalfWidth = Metrics().horizontalAdvance(a.text) / 2;
    const LabelCandidate b = Candidate(2, QPoint(300 + aHalfWidth + 10, 205));
    layout.Place({a, b}, kFrame, Metrics(), 0);
    ASSERT_EQ(layout.placed().size(), 2u);
    ASSERT_TRUE(layout.placed()[1].HasLeader());
    const QRect lifted = layout.placed()[1].box;
    layout.Place({b}, kFrame, Metrics(), 16);
    ASSERT_EQ(layout.placed().size(), 1u);
    EXPECT_EQ(layout.placed()[0].box, lifted);
}

TEST(LabelSubjects, NamedFirstUserListsFirstThenByProminence)
{
    const std::vector<Summit> summits{{10, 10, 3000, 2000}, {20, 20, 2500, 1500}, {30, 30, 2000, 900}};
    PlaceList list(GeoArea{-90, 90, -180, 180});
    ListReading osm;
    osm.source = {ListKind::Osm, "a.osm"};
    Place low;
    low.name = "Low";
    low.nameEn = "Low Peak";
    osm.places.push_back(low);
    list.Add(std::move(osm));
    ListReading mine;
    mine.source = {ListKind::User, "mine.csv"};
    Place own;
    own.name = "Hut";
    own.listedElevation = 1234.4;
    mine.places.push_back(own);
    list.Add(std::move(mine));
    NamedPlace onLow;
    onLow.places = {0};
    onLow.summit = 2;
    NamedPlace hut;
    hut.places = {1};
    hut.column = 5.5;
    hut.row = 6.5;
    hut.height = 1200;
    hut.listedElevation = 1234.4;

    const std::vector<LabelSubject> subjects = LabelSubjects(summits, {onLow, hut}, &list, Language::English);
    ASSERT_EQ(subjects.size(), 4u);
    EXPECT_EQ(subjects[0].name, QStringLiteral("Hut"));
    EXPECT_FALSE(subjects[0].summit);
    EXPECT_EQ(ShownHeight(subjects[0]), 1234);
    EXPECT_EQ(subjects[1].name, QStringLiteral("Low Peak"));
    EXPECT_EQ(subjects[1].prominence, 900);
    EXPECT_EQ(subjects[2].height, 3000);
    EXPECT_TRUE(subjects[2].name.isEmpty());
    EXPECT_EQ(subjects[3].height, 2500);
    EXPECT_EQ(LabelSubjects(summits, {onLow}, &list, Language::Japanese)[0].name, QStringLiteral("Low"));
}

TEST(LabelText, NameFirstThenHeightAndDistance)
{
    EXPECT_EQ(SummitLabelText(QStringLiteral("Fuji"), 3776, 12345), QStringLiteral("Fuji 3,776 m · 12.3 km"));
    EXPECT_EQ(SummitLabelText(QString(), 3776, 123456), QStringLiteral("3,776 m · 123 km"));
}

// Label texts are drawn once and then copied: a copy is the text asked for,
// in the halo and font asked for, and lies where the box says.
TEST(LabelText, TextsDrawnFromTheCacheAreTheOnesAskedFor)
{
    HaloTexts texts;
    const auto drawn = [&texts](const QString& text, const QColor& halo, int pixels, QPoint at) {
        QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(40, 90, 200));
        QPainter painter(&image);
        QFont font = LabelFont();
        font.setPixelSize(pixels);
        painter.setFont(font);
        texts.Draw(painter, at, text, halo);
        return image;
    };
    const QColor plain(255, 255, 255, 225), lit(255, 210, 60);
    const QImage first = drawn(QStringLiteral("Fuji 3,776 m"), plain, 13, {10, 10});
    EXPECT_NE(first, drawn(QStringLiteral("Fuji 3,776 m"), lit, 13, {10, 10}));
    EXPECT_NE(first, drawn(QStringLiteral("Fuji 3,777 m"), plain, 13, {10, 10}));
    EXPECT_NE(first, drawn(QStringLiteral("Fuji 3,776 m"), plain, 15, {10, 10}));
    EXPECT_EQ(first, drawn(QStringLiteral("Fuji 3,776 m"), plain, 13, {10, 10}));
    // Moved, the same pixels move with the box.
    const QImage moved = drawn(QStringLiteral("Fuji 3,776 m"), plain, 13, {30, 15});
    EXPECT_EQ(first.copy(5, 5, 150, 25), moved.copy(25, 10, 150, 25));
    // Dark text in a light halo, over the blue.
    int dark = 0, light = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const int lightness = first.pixelColor(x, y).lightness();
            dark += lightness < 60;
            light += lightness > 220;
        }
    EXPECT_GT(dark, 20);
    EXPECT_GT(light, 20);
}

}  // namespace
