// Peak lists in the formats people download, and their names matched to the
// summits of a grid of known cones: files of each format are written here,
// the OpenStreetMap ones through libosmium's writer.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/geometry.h"
#include "places/csvplaces.h"
#include "places/geonames.h"
#include "places/linereader.h"
#include "places/matching.h"
#include "places/placefiles.h"
#include "places/placelist.h"
#include "places/placetext.h"
#include "summits/summits.h"
#include "tests/support/listproblems.h"
#include "tests/support/osmextract.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for each test's files, removed after it.
class TempFolder {
public:
    TempFolder() :
        path_(fs::temp_directory_path() /
            ("places-test-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Cones on a plain at sea level, 300 x 300 cells of a tile at 35.5 N 138.5 E:
// A, B and C stand alone; D1 and D2 are two tops 8 cells (250 m) apart, D2
// rising 110 m above the saddle between them; the plain's corner has none.
struct Cone {
    int32_t row, column, top, slope;
};
constexpr Cone kA{60, 60, 1500, 20};
constexpr Cone kB{60, 210, 1200, 20};
constexpr Cone kC{210, 130, 1800, 20};
constexpr Cone kD1{150, 250, 1000, 40};
constexpr Cone kD2{150, 258, 900, 40};
constexpr int32_t kPlainRow = 280, kPlainColumn = 280;

class ConeGrid {
public:
    static constexpr int32_t kSide = 300;

    ConeGrid() : samples_(std::size_t(kSide) * kSide), rows_(kSide)
    {
        for (int32_t r = 0; r < kSide; ++r) {
            rows_[std::size_t(r)] = &samples_[std::size_t(r) * kSide];
            for (int32_t c = 0; c < kSide; ++c) {
                double h = 0;
                for (const Cone& cone : {kA, kB, kC, kD1, kD2})
                    h = std::max(h, cone.top - cone.slope * std::hypot(r - cone.row, c - cone.column));
                rows_[std::size_t(r)][c] = int16_t(std::lround(h));
            }
        }
        params_.columns = kSide;
        params_.rows = kSide;
        params_.metresPerCell = kMetresPerMinute / 60;
        params_.centreLat = 35.5;
        params_.centreLon = 138.5;
        params_.northLat = 36;
        params_.westLon = 138;
        summits_ = FindSummits(rows_.data(), kSide, kSide);
    }

    const RenderParams& params() const { return params_; }
    const std::vector<Summit>& summits() const { return summits_; }
    const int16_t* const* heights() const { return rows_.data(); }
    GeoArea area() const { return AreaOfGrid(params_); }

    // The latitude and longitude `east` and `south` metres from cell (row, column).
    GeoPoint Off(int32_t row, int32_t column, double east, double south) const
    {
        return GridToGeo(params_, column + east / params_.metresPerCell, row + south / params_.metresPerCell);
    }
    GeoPoint Off(const Cone& cone, double east, double south) const { return Off(cone.row, cone.column, east, south); }

    // The index of the summit found at a cone's top.
    int32_t SummitAt(const Cone& cone) const
    {
        for (std::size_t i = 0; i < summits_.size(); ++i)
            if (summits_[i].row == cone.row && summits_[i].column == cone.column)
                return int32_t(i);
        ADD_FAILURE() << "no summit at " << cone.row << ", " << cone.column;
        return -2;
    }

private:
    std::vector<int16_t> samples_;
    std::vector<int16_t*> rows_;
    RenderParams params_;
    std::vector<Summit> summits_;
};

std::string Number(double value)
{
    std::ostringstream text;
    text.precision(9);
    text << value;
    return text.str();
}

// A GeoNames line of 19 columns.
std::string GeoNamesLine(const std::string& name, const std::string& ascii, const std::string& alternates,
    const std::string& latitude, const std::string& longitude, const std::string& featureClass, const std::string& code,
    const std::string& elevation = "", const std::string& dem = "-9999")
{
    return "1\t" + name + "\t" + ascii + "\t" + alternates + "\t" + latitude + "\t" + longitude + "\t" + featureClass +
        "\t" + code + "\tJP\t\t19\t\t\t\t0\t" + elevation + "\t" + dem + "\tAsia/Tokyo\t2024-01-01\n";
}
std::string GeoNamesLine(const std::string& name, const std::string& ascii, const std::string& alternates, GeoPoint at,
    const std::string& featureClass, const std::string& code, const std::string& elevation = "",
    const std::string& dem = "-9999")
{
    return GeoNamesLine(
        name, ascii, alternates, Number(at.latitude), Number(at.longitude), featureClass, code, elevation, dem);
}

std::string CsvLine(const std::string& name, GeoPoint at, const std::string& elevation = "")
{
    return name + "," + Number(at.latitude) + "," + Number(at.longitude) + (elevation.empty() ? "" : "," + elevation) +
        "\n";
}

using Tag = OsmExtract::Tag;

const Place& PlaceOf(const PlaceList& list, const NamedPlace& named, std::size_t i = 0)
{
    return list.places()[std::size_t(named.places.at(i))];
}

// The named place whose first name is `name`, or a failure.
const NamedPlace& Named(const PlaceList& list, const std::vector<NamedPlace>& named, const std::string& name)
{
    for (const NamedPlace& n : named)
        if (PlaceOf(list, n).name == name)
            return n;
    ADD_FAILURE() << name << " is not named";
    static const NamedPlace kNone;
    return kNone;
}

std::vector<std::string> Messages(const ListReading& reading)
{
    std::vector<std::string> messages;
    for (const ListProblem& problem : reading.problems)
        messages.push_back(DescribeListProblem(reading.source.file, problem));
    return messages;
}

bool HasProblem(const ListReading& reading, ListProblemKind kind, int64_t line)
{
    return std::any_of(reading.problems.begin(), reading.problems.end(),
        [&](const ListProblem& p) { return p.kind == kind && p.line == line; });
}

ListReading ReadGeoNamesText(const std::string& text, const GeoArea& area, const ReadControl& control = {})
{
    std::istringstream in(text);
    return ReadGeoNames(in, int64_t(text.size()), "JP.txt", area, control);
}

ListReading ReadCsvText(const std::string& text, const GeoArea& area)
{
    std::istringstream in(text);
    return ReadCsvPlaces(in, int64_t(text.size()), "mine.csv", area, {});
}

class PlacesTest : public ::testing::Test {
protected:
    ConeGrid grid;
    TempFolder folder;
};

TEST_F(PlacesTest, NamesFromEachFormatLandOnTheirSummits)
{
    ASSERT_EQ(grid.summits().size(), 5u);

    // OpenStreetMap: A's name 70 m off its top, a saddle, and what is not to
    // be read: a tree, an unnamed peak, a named peak way, a peak far away.
    OsmExtract osm;
    osm.Node(grid.Off(kA, 50, 49), Tag{"natural", "peak"}, Tag{"name", "A岳"}, Tag{"name:ja", "えーだけ"},
        Tag{"name:en", "Mount A"}, Tag{"ele", "1502 m"}, Tag{"tourism", "viewpoint"});
    osm.Node(grid.Off(110, 90, 0, 0), Tag{"natural", "saddle"}, Tag{"name", "AC峠"});
    osm.Node(grid.Off(kB, 0, 0), Tag{"natural", "tree"}, Tag{"name", "Big tree"});
    osm.Node(grid.Off(kC, 10, 0), Tag{"natural", "peak"}, Tag{"ele", "1800"});
    osm.NamedWay("Way peak");
    osm.Node(GeoPoint{35.9, 138.9}, Tag{"natural", "volcano"}, Tag{"name", "Far"});
    osm.Write(folder / "peaks.osm.pbf");

    // GeoNames: B's name 80 m off, and a town and a valley where B stands.
    const std::string geoNames = GeoNamesLine("B-yama", "B-yama", "Bee,B山", grid.Off(kB, -80, 0), "T", "MT", "1195") +
        GeoNamesLine("B-town", "B-town", "", grid.Off(kB, 0, 0), "P", "PPL") +
        GeoNamesLine("B-valley", "B-valley", "", grid.Off(kB, 10, 0), "T", "VAL");
    // CSV: a header, C's name 60 m off with a comma in it, and a peak on the plain.
    const std::string csv = "name,latitude,longitude,elevation\n" + CsvLine("\"C, the high\"", grid.Off(kC, 0, -60)) +
        CsvLine("Plain top", grid.Off(kPlainRow, kPlainColumn, 0, 0), "12");

    PlaceList list(grid.area());
    const ListReading fromOsm = ReadPlaceFile(folder / "peaks.osm.pbf", grid.area());
    ASSERT_EQ(fromOsm.outcome, ListOutcome::Read) << ::testing::PrintToString(Messages(fromOsm));
    EXPECT_EQ(fromOsm.source.kind, ListKind::Osm);
    EXPECT_EQ(fromOsm.places.size(), 2u);  // A and the saddle
    EXPECT_TRUE(fromOsm.problems.empty());
    const ListReading fromGeoNames = ReadPlaceFile(folder.Write("JP.txt", geoNames), grid.area());
    EXPECT_EQ(fromGeoNames.source.kind, ListKind::GeoNames);
    EXPECT_EQ(fromGeoNames.places.size(), 1u);
    const ListReading fromCsv = ReadPlaceFile(folder.Write("mine.csv", csv), grid.area());
    EXPECT_EQ(fromCsv.source.kind, ListKind::User);
    EXPECT_EQ(fromCsv.places.size(), 2u);
    EXPECT_TRUE(fromCsv.problems.empty()) << ::testing::PrintToString(Messages(fromCsv));
    EXPECT_EQ(list.Add(ListReading(fromOsm)), 0);
    EXPECT_EQ(list.Add(ListReading(fromGeoNames)), 1);
    EXPECT_EQ(list.Add(ListReading(fromCsv)), 2);
    EXPECT_EQ(list.sources()[1].file, folder / "JP.txt");

    const std::vector<NamedPlace> named = MatchPlaces(list, grid.summits(), grid.params(), grid.heights());
    ASSERT_EQ(named.size(), 5u);
    const NamedPlace& a = Named(list, named, "A岳");
    EXPECT_EQ(a.summit, grid.SummitAt(kA));
    EXPECT_EQ(a.row, kA.row);
    EXPECT_EQ(a.column, kA.column);
    EXPECT_EQ(a.height, kA.top);
    EXPECT_EQ(a.prominence, grid.summits()[std::size_t(a.summit)].prominence);
    EXPECT_EQ(a.listedElevation, 1502);  // beside the data's height
    EXPECT_EQ(list.SourceOf(PlaceOf(list, a)).kind, ListKind::Osm);
    EXPECT_EQ(Named(list, named, "B-yama").summit, grid.SummitAt(kB));
    EXPECT_EQ(Named(list, named, "B-yama").listedElevation, 1195);
    EXPECT_EQ(Named(list, named, "C, the high").summit, grid.SummitAt(kC));

    // The peak on the plain and the saddle keep their own places.
    const NamedPlace& plain = Named(list, named, "Plain top");
    EXPECT_EQ(plain.summit, -1);
    EXPECT_NEAR(plain.row, kPlainRow, 1e-3);  // the CSV's 9 digits: 3 mm
    EXPECT_NEAR(plain.column, kPlainColumn, 1e-3);
    EXPECT_EQ(plain.height, 0);
    EXPECT_FALSE(plain.prominence);
    EXPECT_EQ(plain.listedElevation, 12);
    const NamedPlace& saddle = Named(list, named, "AC峠");
    EXPECT_EQ(saddle.summit, -1);
    EXPECT_EQ(PlaceOf(list, saddle).kind, PlaceKind::Saddle);
}

TEST_F(PlacesTest, SaddlesNeverSnapEvenOnATop)
{
    PlaceList list(grid.area());
    const GeoPoint top = grid.Off(kA, 30, 0);
    OsmExtract osm;
    osm.Node(top, Tag{"natural", "saddle"}, Tag{"name", "Col"});
    osm.Write(folder / "col.osm");  // XML this time
    ASSERT_EQ(list.Add(ReadPlaceFile(folder / "col.osm", grid.area())), 0);
    ASSERT_EQ(list.places().size(), 1u);
    const std::vector<NamedPlace> named = MatchPlaces(list, grid.summits(), grid.params(), grid.heights());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].summit, -1);
    EXPECT_EQ(named[0].height, kA.top - 20);  // the grid's height one cell east of the top
}

TEST_F(PlacesTest, ListsNamingOneSummitShareItByPriority)
{
    // The same summit in all three kinds of list, added least trusted first.
    const GeoPoint nearA = grid.Off(kA, 60, 60);
    PlaceList list(grid.area());
    list.Add(ReadGeoNamesText(GeoNamesLine("Geo A", "Geo A", "", nearA, "T", "PK", "", "1490"), grid.area()));
    OsmExtract osm;
    osm.Node(nearA, Tag{"natural", "peak"}, Tag{"name", "Osm A"});
    osm.Write(folder / "a.osm.pbf");
    list.Add(ReadPlaceFile(folder / "a.osm.pbf", grid.area()));
    list.Add(UserPlaces("waypoints.gpx", {{"My A", nearA.latitude, nearA.longitude, std::nullopt}}, grid.area()));
    ASSERT_EQ(list.places().size(), 3u);

    const std::vector<NamedPlace> named = MatchPlaces(list, grid.summits(), grid.params());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].summit, grid.SummitAt(kA));
    ASSERT_EQ(named[0].places.size(), 3u);
    EXPECT_EQ(PlaceOf(list, named[0], 0).name, "My A");
    EXPECT_EQ(PlaceOf(list, named[0], 1).name, "Osm A");
    EXPECT_EQ(PlaceOf(list, named[0], 2).name, "Geo A");
    // Only GeoNames gives a height (its dem column, for want of an elevation).
    EXPECT_EQ(named[0].listedElevation, 1490);
}

TEST_F(PlacesTest, OneListNamesASummitOnceNearestThenMostProminent)
{
    // D1 and D2 are 250 m apart. Halfway between, the more prominent D1
    // wins; two names by D1 in one list: the nearer has it, the other goes
    // on to D2 within reach; a third keeps its own place.
    const GeoArea area = grid.area();
    const auto at = [&](const char* name, double east, double south) {
        const GeoPoint p = grid.Off(kD1, east, south);
        return UserPlace{name, p.latitude, p.longitude, std::nullopt};
    };
    PlaceList first(area);
    first.Add(UserPlaces("halfway.gpx", {at("Halfway", 4 * grid.params().metresPerCell, 0)}, area));
    std::vector<NamedPlace> named = MatchPlaces(first, grid.summits(), grid.params());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].summit, grid.SummitAt(kD1));

    // First: 60 m from D1. Second: 108 m from D1, 152 m from D2. Third:
    // 120 m from D1, 367 m from D2.
    PlaceList second(area);
    second.Add(UserPlaces("crowded.gpx", {at("Second", 100, 40), at("First", 60, 0), at("Third", -120, 0)}, area));
    named = MatchPlaces(second, grid.summits(), grid.params());
    ASSERT_EQ(named.size(), 3u);
    EXPECT_EQ(Named(second, named, "First").summit, grid.SummitAt(kD1));
    EXPECT_EQ(Named(second, named, "Second").summit, grid.SummitAt(kD2));
    EXPECT_EQ(Named(second, named, "Third").summit, -1);
}

TEST(PlaceNames, FollowTheLanguage)
{
    Place osm{"富士山", "ふじさん", "Mount Fuji", "", 35, 138, std::nullopt, PlaceKind::Volcano, 0};
    EXPECT_EQ(PlaceName(osm, Language::Japanese), "ふじさん");
    EXPECT_EQ(PlaceName(osm, Language::English), "Mount Fuji");
    osm.nameJa.clear();
    osm.nameEn.clear();
    EXPECT_EQ(PlaceName(osm, Language::Japanese), "富士山");
    EXPECT_EQ(PlaceName(osm, Language::English), "富士山");  // nothing Latin to take
    const Place latin{"Großglockner", "", "", "Grossglockner", 47, 12, std::nullopt, PlaceKind::Peak, 0};
    EXPECT_EQ(PlaceName(latin, Language::English), "Großglockner");

    // GeoNames: the Japanese alternate for Japanese; the ASCII name, else a
    // Latin alternate, for English.
    const GeoArea world{-90, 90, -180, 180};
    const std::string lines =
        GeoNamesLine("富士山", "Fuji-san", "Fujiyama,Φούτζι,富士山,ふじさん", {35.36, 138.73}, "T", "VLC") +
        GeoNamesLine("槍ヶ岳", "", "Yarigatake,槍ヶ岳", {36.34, 137.65}, "T", "MT");
    const ListReading reading = ReadGeoNamesText(lines, world);
    ASSERT_EQ(reading.places.size(), 2u);
    EXPECT_EQ(PlaceName(reading.places[0], Language::Japanese), "富士山");
    EXPECT_EQ(PlaceName(reading.places[0], Language::English), "Fuji-san");
    EXPECT_EQ(reading.places[0].kind, PlaceKind::Volcano);
    EXPECT_EQ(PlaceName(reading.places[1], Language::English), "Yarigatake");
}

TEST(PlaceLists, KeepOnlyTheAreaAndFindPlacesByCell)
{
    const GeoArea area{35.0, 36.0, 138.0, 139.0};
    const std::string lines = GeoNamesLine("In", "In", "", {35.5, 138.5}, "T", "PK") +
        GeoNamesLine("North", "North", "", {36.01, 138.5}, "T", "PK") +
        GeoNamesLine("West", "West", "", {35.5, 137.99}, "T", "HLL") +
        GeoNamesLine("Corner", "Corner", "", {36.0, 139.0}, "T", "HLLS");
    const ListReading geoNames = ReadGeoNamesText(lines, area);
    ASSERT_EQ(geoNames.places.size(), 2u);
    EXPECT_EQ(geoNames.places[0].name, "In");
    EXPECT_EQ(geoNames.places[1].name, "Corner");  // edges belong to the area
    EXPECT_TRUE(geoNames.problems.empty());
    const ListReading csv = ReadCsvText("In,35.2,138.2\nOut,34.9,138.2\n", area);
    ASSERT_EQ(csv.places.size(), 1u);
    EXPECT_EQ(UserPlaces("w.gpx", {{"Out", 35.5, 140, std::nullopt}}, area).places.size(), 0u);

    // The index finds exactly what a look at every place finds.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> latitude(35, 36), longitude(138, 139);
    std::vector<UserPlace> scattered;
    for (int i = 0; i < 2000; ++i)
        scattered.push_back({std::to_string(i), latitude(random), longitude(random), std::nullopt});
    PlaceList list(area);
    list.Add(UserPlaces("scattered.gpx", scattered, area));
    ASSERT_EQ(list.places().size(), scattered.size());
    for (const GeoArea box : {GeoArea{35.2, 35.25, 138.4, 138.47}, GeoArea{34, 35.01, 138.99, 140},
             GeoArea{35, 36, 138, 139}, GeoArea{36.5, 37, 138, 139}}) {
        std::vector<int32_t> found = list.Within(box);
        std::sort(found.begin(), found.end());
        std::vector<int32_t> expected;
        for (std::size_t i = 0; i < list.places().size(); ++i)
            if (box.Contains(list.places()[i].latitude, list.places()[i].longitude))
                expected.push_back(int32_t(i));
        EXPECT_EQ(found, expected);
    }
    EXPECT_TRUE(list.Within({NAN, 36, 138, 139}).empty());
}

TEST(PlaceLists, ReportProgressAndStopWhenAsked)
{
    // Some 6 MB: three of the reader's chunks.
    const GeoArea area{35, 36, 138, 139};
    std::string dump;
    for (int i = 0; dump.size() < (6u << 20); ++i)
        dump += GeoNamesLine("Town", "Town", "", {10.0 + i % 50, 20}, "P", "PPL");
    dump += GeoNamesLine("Last", "Last", "", {35.5, 138.5}, "T", "PK");

    std::vector<int64_t> reports;
    ReadControl control;
    control.progress = [&](int64_t read, int64_t total) {
        EXPECT_EQ(total, int64_t(dump.size()));
        reports.push_back(read);
    };
    const ListReading whole = ReadGeoNamesText(dump, area, control);
    EXPECT_EQ(whole.outcome, ListOutcome::Read);
    EXPECT_EQ(whole.places.size(), 1u);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), int64_t(dump.size()));

    // Stopped after the first chunk: cancelled, nothing kept, the rest unread.
    std::atomic<bool> stop{false};
    reports.clear();
    control.stop = &stop;
    control.progress = [&](int64_t read, int64_t) {
        reports.push_back(read);
        stop = true;
    };
    const ListReading stopped = ReadGeoNamesText(dump, area, control);
    EXPECT_EQ(stopped.outcome, ListOutcome::Cancelled);
    EXPECT_TRUE(stopped.places.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_LT(reports[0], int64_t(dump.size()));
}

TEST_F(PlacesTest, OsmReadsReportProgressAndStopWhenAsked)
{
    OsmExtract osm;
    for (int i = 0; i < 20000; ++i)
        osm.Node(grid.Off(kPlainRow, kPlainColumn, i % 100, i / 100), Tag{"natural", "hill"}, Tag{"name", "H"});
    const std::string path = folder / "hills.osm";
    osm.Write(path);
    const auto size = int64_t(fs::file_size(path));

    int64_t last = 0;
    ReadControl control;
    control.progress = [&](int64_t read, int64_t total) {
        EXPECT_EQ(total, size);
        EXPECT_GE(read, last);
        last = read;
    };
    const ListReading whole = ReadPlaceFile(path, grid.area(), control);
    EXPECT_EQ(whole.outcome, ListOutcome::Read);
    EXPECT_EQ(whole.places.size(), 20000u);
    EXPECT_EQ(last, size);

    std::atomic<bool> stop{true};
    control.stop = &stop;
    const ListReading stopped = ReadPlaceFile(path, grid.area(), control);
    EXPECT_EQ(stopped.outcome, ListOutcome::Cancelled);
    EXPECT_TRUE(stopped.places.empty());
}

TEST_F(PlacesTest, HostileFilesAreRefusedOrSkippedWithTheFileAndReason)
{
    const GeoArea area{35, 36, 138, 139};
    const auto refused = [&](const std::string& path, ListProblemKind kind) {
        const ListReading reading = ReadPlaceFile(path, area);
        EXPECT_EQ(reading.outcome, ListOutcome::Refused) << path;
        EXPECT_TRUE(reading.places.empty());
        ASSERT_FALSE(reading.problems.empty()) << path;
        EXPECT_EQ(reading.problems[0].kind, kind) << path;
        const std::string message = DescribeListProblem(reading.source.file, reading.problems[0]);
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(ListProblemReason(kind)), std::string::npos) << message;
    };
    refused(folder.Write("broken.osm", "<?xml version='1.0'?><osm version='0.6'><node id='1' lat='35.5'"),
        ListProblemKind::Damaged);
    refused(folder.Write("noise.osm.pbf", std::string(4096, '\x7f')), ListProblemKind::Damaged);
    refused(folder.Write("peaks.kml", "<kml/>"), ListProblemKind::UnknownFormat);
    refused(folder / "missing.csv", ListProblemKind::CannotOpen);
    fs::create_directories(folder / "folder.txt");
    refused(folder / "folder.txt", ListProblemKind::CannotOpen);
    ASSERT_EQ(mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    refused(folder / "pipe.txt", ListProblemKind::NotARegularFile);  // would block on its read

    // GeoNames: each bad line left out with its number, the good ones kept.
    const std::string good = GeoNamesLine("Good", "Good", "", {35.5, 138.5}, "T", "PK");
    std::string dump = good;
    dump += "1\tCut\tCut\t\t35.5\t138.5\tT\tPK\tJP\n";  // 2: truncated
    dump += GeoNamesLine("Word", "Word", "", "north", "138.5", "T", "PK");  // 3: not a number
    dump += GeoNamesLine("High", "", "", {95, 138.5}, "T", "PK");  // 4
    dump += GeoNamesLine("Nan", "", "", {NAN, 138.5}, "T", "PK");  // 5
    dump += GeoNamesLine("\xC0\xAF", "", "", {35.5, 138.5}, "T", "PK");  // 6: overlong UTF-8
    dump += std::string(LineReader::kMaxLineBytes + 10, 'x') + "\n";  // 7: skipped unread
    dump += GeoNamesLine(std::string(100, 'y') + std::string(30, 'z'), "", "", {35.5, 138.5}, "T", "PK");  // 8
    std::string tall;
    for (int i = 0; i < 90; ++i)
        tall += "山";
    dump += GeoNamesLine(tall, "", "", {35.5, 138.5}, "T", "PK");  // 9
    dump += good.substr(0, good.size() - 30);  // 10: the end of a file cut short, without its newline
    const ListReading geoNames = ReadPlaceFile(folder.Write("dump.txt", dump), area);
    ASSERT_EQ(geoNames.outcome, ListOutcome::Read);
    EXPECT_EQ(geoNames.skipped, 7);
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::TooFewColumns, 2));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::NotANumber, 3));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::OffTheGlobe, 4));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::OffTheGlobe, 5));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::NotUtf8, 6));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::LineTooLong, 7));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::NameCut, 8));
    EXPECT_TRUE(HasProblem(geoNames, ListProblemKind::TooFewColumns, 10));
    ASSERT_EQ(geoNames.places.size(), 3u);
    EXPECT_EQ(geoNames.places[1].name.size(), kPlaceMaxNameCharacters);
    EXPECT_EQ(geoNames.places[2].name.size(), kPlaceMaxNameCharacters * 3);  // whole characters of 3 bytes
    EXPECT_TRUE(IsUtf8(geoNames.places[2].name));
    EXPECT_NE(Messages(geoNames)[0].find(folder / "dump.txt" + ":2: "), std::string::npos);
    // The same from a stream of unknown size, whose buffer grows as its lines need.
    std::istringstream unknownSize(dump);
    const ListReading streamed = ReadGeoNames(unknownSize, 0, "dump.txt", area, {});
    EXPECT_EQ(streamed.skipped, geoNames.skipped);
    ASSERT_EQ(streamed.places.size(), geoNames.places.size());
    EXPECT_EQ(streamed.places[2].name, geoNames.places[2].name);

    // CSV: an unclosed quote, too few fields, a bad height kept without it.
    const ListReading csv = ReadCsvText("\xEF\xBB\xBFname,lat,lon\n\"Open,35.5,138.5\nTwo,35.5\n"
                                        "\"Say \"\"hi\"\"\" , +35.5 ,138.5, 12a\n",
        area);
    EXPECT_TRUE(HasProblem(csv, ListProblemKind::UnclosedQuote, 2));
    EXPECT_TRUE(HasProblem(csv, ListProblemKind::TooFewColumns, 3));
    EXPECT_TRUE(HasProblem(csv, ListProblemKind::BadElevation, 4));
    ASSERT_EQ(csv.places.size(), 1u);
    EXPECT_EQ(csv.places[0].name, "Say \"hi\"");
    EXPECT_FALSE(csv.places[0].listedElevation);

    // A problem on every line: all counted, the first few kept.
    std::string noisy;
    for (int i = 0; i < 1000; ++i)
        noisy += "x,north,east\n";
    const ListReading many = ReadCsvText(noisy, area);
    EXPECT_EQ(many.problemCount, 999);  // the first row is taken for the header
    EXPECT_EQ(many.problems.size(), kMaxListProblems);
}

TEST(PlaceText, Utf8IsCheckedAndCutOnWholeCharacters)
{
    EXPECT_TRUE(IsUtf8("富士山 Fuji"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE5\xAF", "\x80"})
        EXPECT_FALSE(IsUtf8(bad)) << bad;
    EXPECT_EQ(CutToCharacters("富士山", 2), "富士");
    EXPECT_EQ(CutToCharacters("ab", 5), "ab");
    EXPECT_TRUE(IsLatinScript("Piz Bernina 4049"));
    EXPECT_TRUE(IsLatinScript("Ðorđe-vrh"));
    EXPECT_FALSE(IsLatinScript("4049"));
    EXPECT_FALSE(IsLatinScript("Fuji 富士"));
    EXPECT_TRUE(HasJapaneseScript("Mt. ふじ"));
    EXPECT_FALSE(HasJapaneseScript("Эльбрус"));
}

}  // namespace
