// vantorel-render as users run it: pictures, heights, frames and refusals.

#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "elevation/landscapeload.h"
#include "tests/support/tileload.h"
#include "tilefiles.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// `shellFirst` runs in the same shell before the tool: a limit it is to run under.
ToolRun runTool(const std::string& arguments, const testtiles::TempDir& dir, const std::string& shellFirst = "")
{
    const auto errFile = dir / "stderr.txt";
    const std::string command = shellFirst + std::string(VANTOREL_RENDER) + " " + arguments + " 2>" + errFile.string();
    ToolRun run{-1, {}, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

// The system's language as a user sets it, and nothing else of it.
const std::string kEnglish = "env -u LC_ALL -u LC_MESSAGES -u LANG LANGUAGE=en ";
const std::string kJapanese = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=ja_JP.UTF-8 ";

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Files in `folder` whose names start with `prefix`: none is left part-written.
int filesNamed(const testtiles::TempDir& dir, const std::string& prefix)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / ""))
        count += entry.path().filename().string().rfind(prefix, 0) == 0;
    return count;
}

constexpr const char* kSmallGpx = "<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.6\"/>"
                                  "<trkpt lat=\"35.31\" lon=\"138.61\"/></trkseg></trk></gpx>";

std::string quoted(const std::filesystem::path& path)
{
    std::string text = "'";
    text += path.string();
    text += '\'';
    return text;
}

TEST(RenderTool, WritesReliefMapAndHeightsOfTheLoadedTile)
{
    testtiles::TempDir dir;
    const auto relief = dir / "r.png", map = dir / "m.png", heights = dir / "h.bin";
    const ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --relief " + quoted(relief) + " --map " +
            quoted(map) + " --heights " + quoted(heights),
        dir);
    ASSERT_EQ(run.status, 0) << run.err;

    static Terrain terrain;
    RenderParams params;
    Viewpoint view;
    LoadListener quiet;
    ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, view, quiet), TileError::None);

    const QImage reliefImage(QString::fromStdString(relief.string()));
    ASSERT_EQ(reliefImage.width(), 2931);
    ASSERT_EQ(reliefImage.height(), 3601);
    for (auto [r, c] : {std::pair{0, 0}, {1800, 1465}, {3600, 2930}, {1234, 77}})
        EXPECT_EQ(reliefImage.pixel(c, r) & 0xFFFFFF, terrain.tileInfo.scanLines[r][c]) << r << "," << c;

    const QImage mapImage(QString::fromStdString(map.string()));
    ASSERT_EQ(mapImage.width(), 293);
    ASSERT_EQ(mapImage.height(), 360);
    EXPECT_EQ(mapImage.pixel(100, 200) & 0xFFFFFF, terrain.mapBitmap.scanLine(200)[100]);

    std::ifstream file(heights, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_EQ(bytes.size(), std::size_t(2931) * 3601 * 2);
    for (int r : {0, 1800, 3600})
        for (int c : {0, 5, 2930}) {
            const auto lo = uint8_t(bytes[2 * (std::size_t(r) * 2931 + c)]);
            const auto hi = uint8_t(bytes[2 * (std::size_t(r) * 2931 + c) + 1]);
            EXPECT_EQ(int16_t(lo | hi << 8), terrain.heightGrid[r][c]) << r << "," << c;
        }
}

TEST(RenderTool, PrintsOneLinePerFrameAndWritesTheLast)
{
    testtiles::TempDir dir;
    const auto out = dir / "f.png";
    const ToolRun run =
        runTool(std::string(VANTOREL_SAMPLE_TILE) + " --size 320x200 --frames 3 --out " + quoted(out), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string text;
    int frames = 0;
    while (std::getline(lines, text)) {
        int k = 0, altitude = 0, strips = 0, stride = 0, feedback = -1, consumed = 0;
        double detail = -1;
        ASSERT_EQ(std::sscanf(text.c_str(), "frame %d: altitude %d strips %d stride %d detail %lf feedback %d%n", &k,
                      &altitude, &strips, &stride, &detail, &feedback, &consumed),
            6)
            << text;
        EXPECT_EQ(std::size_t(consumed), text.size()) << text;
        EXPECT_EQ(k, ++frames);
        EXPECT_GE(detail, 0.0);
        EXPECT_LE(detail, 0.9);
        EXPECT_GE(feedback, 0);
        EXPECT_LE(feedback, 3);
        // The detail factor with six decimals.
        const std::size_t from = text.find("detail ") + 7;
        const std::string printed = text.substr(from, text.find(" feedback") - from);
        EXPECT_EQ(printed.size(), 8u) << text;
        EXPECT_EQ(printed.find('.'), 1u) << text;
    }
    EXPECT_EQ(frames, 3);
    // The first frame follows no feedback: the detail factor starts at 0.9.
    EXPECT_NE(run.out.find("frame 1: altitude 1000 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("detail 0.900000"), std::string::npos) << run.out;
    const QImage frame(QString::fromStdString(out.string()));
    EXPECT_EQ(frame.size(), QSize(320, 200));
}

TEST(RenderTool, ASingleFrameOverHighGroundIsDrawnFromAboveIt)
{
    // Over the sample tile's highest summit (3,687 m) with a 10 m minimum:
    // the one frame is drawn from 100 m above the ground under the eye, not
    // from a follow that starts at sea level, inside the mountain.
    testtiles::TempDir dir;
    const auto out = dir / "f.png";
    const ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) +
            " --single --size 320x200 --view 35.483056,138.391498,10,0,-20,60 --frames 1 --out " + quoted(out),
        dir);
    ASSERT_EQ(run.status, 0) << run.err;
    int altitude = 0;
    ASSERT_EQ(std::sscanf(run.out.c_str(), "frame 1: altitude %d", &altitude), 1) << run.out;
    EXPECT_GE(altitude, 3687 + 100);
    EXPECT_EQ(QImage(QString::fromStdString(out.string())).size(), QSize(320, 200));
}

TEST(RenderTool, WritesAPanoramaOfTheRangeAsked)
{
    testtiles::TempDir dir;
    const auto out = dir / "p.png";
    ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) +
            " --single --panorama=90,270 --size 720x120 --view 35.36,138.73,10,0,0,0 --out " + quoted(out),
        dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("panorama: 720 x 120, 90 to 270 degrees"), std::string::npos) << run.out;
    EXPECT_EQ(QImage(QString::fromStdString(out.string())).size(), QSize(720, 120));
    // Without a size, a tenth of a degree a column.
    run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --single --panorama --out " + quoted(out), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(QImage(QString::fromStdString(out.string())).size(), QSize(3600, 600));
    for (const char* bad : {"--panorama=270,90", "--panorama=0,400", "--panorama=a,b", "--panorama=0,"}) {
        run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " " + bad + " --out " + quoted(out), dir);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--panorama"), std::string::npos) << run.err;
    }
    run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --panorama", dir, kEnglish);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--panorama needs --out"), std::string::npos) << run.err;
}

// A list's name goes on the label of the top it names, as in the 3D view.
TEST(RenderTool, PanoramaLabelsCarryTheListsNames)
{
    testtiles::TempDir dir;
    const auto list = dir / "names.csv";
    std::ofstream(list) << "name,latitude,longitude\nMount Arven,35.4834,138.3913\n";
    const std::string common = std::string(VANTOREL_SAMPLE_TILE) +
        " --single --panorama=250,340 --size 900x200 --view 35.36,138.73,10,0,0,0 --out ";
    const auto plain = dir / "plain.png", named = dir / "named.png";
    ToolRun run = runTool(common + quoted(plain), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    run = runTool(common + quoted(named) + " --names " + quoted(list), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage a(QString::fromStdString(plain.string())), b(QString::fromStdString(named.string()));
    ASSERT_EQ(a.size(), b.size());
    int changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            changed += a.pixel(x, y) != b.pixel(x, y);
    EXPECT_GT(changed, 100) << "the name is written on the label";
}

TEST(RenderTool, RefusesWithTheViewersMessagesNamingTheFileInTheUsersLanguage)
{
    testtiles::TempDir dir;
    const auto notTile = dir / "heights.tif";
    testtiles::writeRaw(notTile, testtiles::Samples(16), 100);
    const auto shortTile = dir / "short_N35E138_dem.tif";
    testtiles::writeRaw(shortTile, testtiles::Samples(16), 100);
    const auto missing = dir / "missing_N35E138_dem.tif", missingText = dir / "notes.txt";
    const std::string prefix = "vantorel-render: ";
    struct Case {
        std::filesystem::path file;
        std::string english, japanese;
    };
    for (const Case& c : std::vector<Case>{
             {notTile, "Could not open " + notTile.string() + ": This is not an elevation file (tiles of ASTER GDEM,",
                 notTile.string() + " を開けませんでした：標高データのファイルではありません（開けるのはASTER GDEM，"},
             {missing, "Could not open " + missing.string() + ": The file does not exist.",
                 missing.string() + " を開けませんでした：ファイルがありません．"},
             {missingText, "Could not open " + missingText.string() + ": The file does not exist.",
                 missingText.string() + " を開けませんでした：ファイルがありません．"},
             {shortTile, "Could not open " + shortTile.string() + ": The elevation data cannot be read to the end.",
                 shortTile.string() + " を開けませんでした：標高データを最後まで読めません．"}}) {
        ToolRun run = runTool(quoted(c.file) + " --relief " + quoted(dir / "r.png"), dir, kEnglish);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind(prefix + c.english, 0), 0u) << run.err;
        run = runTool(quoted(c.file), dir, kJapanese);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind(prefix + c.japanese, 0), 0u) << run.err;
        // --lang speaks for the messages too, whatever the system's language.
        run = runTool(quoted(c.file) + " --lang=ja", dir, kEnglish);
        EXPECT_EQ(run.err.rfind(prefix + c.japanese, 0), 0u) << run.err;
        run = runTool(quoted(c.file) + " --lang en", dir, kJapanese);
        EXPECT_EQ(run.err.rfind(prefix + c.english, 0), 0u) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "r.png"));

    const ToolRun run = runTool("--frames", dir, kEnglish);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
}

// A GPX file that cannot be used is said as such, naming it, before any
// output is made, in the user's language.
TEST(RenderTool, ABadGpxFileIsToldAsOneAndNothingIsWritten)
{
    testtiles::TempDir dir;
    const auto bad = dir / "bad.gpx", missing = dir / "gone.gpx", out = dir / "x.png";
    writeText(bad, "not xml at all <");
    const std::string frame = std::string(VANTOREL_SAMPLE_TILE) + " --size 64x64 --out " + quoted(out);
    ToolRun run = runTool(frame + " --gpx " + quoted(bad), dir, kEnglish);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("vantorel-render: Could not open " + bad.string() + ": This is not a GPX file", 0), 0u)
        << run.err;
    EXPECT_EQ(run.err.find("cannot write"), std::string::npos) << run.err;
    run = runTool(frame + " --gpx " + quoted(missing), dir, kJapanese);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vantorel-render: " + missing.string() + " を開けませんでした：ファイルがありません．\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(RenderTool, OutOfRangeAndNonFiniteOptionsAreUsageErrors)
{
    testtiles::TempDir dir;
    // Each would otherwise wrap to a small number, draw from NaN, or ask for
    // more memory than the machine has.
    for (const char* options :
        {"--size 65536x65536", "--size 4294967297x4294967298", "--size 0x10", "--frames 4294967298", "--frames 0",
            "--view nan,138.5,300,0,-5,40", "--view 35.25,inf,300,0,-5,40", "--view 35.25,138.5,300,0,-5"}) {
        const ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " " + options, dir, kEnglish);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << options;
    }
}

TEST(RenderTool, ValuesAfterAnEqualsSignAndTheTileAfterADoubleDash)
{
    testtiles::TempDir dir;
    const auto spaced = dir / "spaced.png", joined = dir / "joined.png";
    const std::string view = "35.25,138.5,300,10,-5,40";
    ToolRun run = runTool(
        std::string(VANTOREL_SAMPLE_TILE) + " --single --size 96x64 --view " + view + " --out " + quoted(spaced), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    run = runTool(
        "--single --size=96x64 --view=" + view + " --out=" + quoted(joined) + " -- " + VANTOREL_SAMPLE_TILE, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage a(QString::fromStdString(spaced.string()));
    EXPECT_EQ(a.size(), QSize(96, 64));
    EXPECT_EQ(a, QImage(QString::fromStdString(joined.string())));
}

TEST(RenderTool, UsageErrorsNameTheArgumentInTheUsersLanguage)
{
    testtiles::TempDir dir;
    const std::string tile = VANTOREL_SAMPLE_TILE;
    for (const auto& [arguments, said] :
        {std::pair<std::string, std::string>{tile + " --bogus", "unknown option --bogus"},
            {tile + " --single=yes", "--single takes no value: --single=yes"},
            {tile + " --size=0x10", "bad value for --size: 0x10"}, {tile + " --frames", "--frames needs a value"},
            {tile + " other_N36E138_dem.tif", "a second tile: other_N36E138_dem.tif"}, {"--single", "no tile named"},
            {tile + " --fly t.gpx", "--fly needs --video"}}) {
        const ToolRun run = runTool(arguments, dir, kEnglish);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "vantorel-render: " + said) << arguments;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << arguments;
    }
    // In Japanese by the system's choice or by --lang, wherever --lang stands.
    for (const auto& [shell, arguments] :
        {std::pair<std::string, std::string>{kJapanese, tile + " --bogus"}, {kEnglish, tile + " --bogus --lang ja"}}) {
        const ToolRun run = runTool(arguments, dir, shell);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "vantorel-render: 知らないオプションです：--bogus")
            << arguments;
        EXPECT_NE(run.err.find("使い方："), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("usage:"), std::string::npos) << run.err;
    }
}

TEST(RenderTool, WritesThatFailAreReportedAndLeaveTheOldFiles)
{
    testtiles::TempDir dir;
    const std::string tile = VANTOREL_SAMPLE_TILE;
    ToolRun run = runTool(tile + " --size 64x64 --out /dev/full", dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write /dev/full: No space left on device"), std::string::npos) << run.err;

    // A disk that fills part way: the file size limit stops each write, which
    // fails with its reason rather than ending the run with SIGXFSZ.
    const auto map = dir / "map.png", heights = dir / "heights.bin";
    writeText(map, "the old map");
    // (Qt's PNG writer leaves a buffer behind when libpng gives up part way:
    // the leak checker, where it runs, is told to look away from this run.)
    run = runTool(tile + " --map " + quoted(map) + " --heights " + quoted(heights), dir,
        "ulimit -f 64; export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\"; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + map.string() + ": File too large"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cannot write " + heights.string() + ": File too large"), std::string::npos) << run.err;
    EXPECT_EQ(fileText(map), "the old map");
    EXPECT_FALSE(std::filesystem::exists(heights));
    EXPECT_EQ(filesNamed(dir, ".vantorel-"), 0);

    // A folder where the file should go.
    run = runTool(tile + " --summits " + quoted(dir / ""), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Is a directory"), std::string::npos) << run.err;
}

TEST(RenderTool, RefusesToWriteOverAnInputFile)
{
    testtiles::TempDir dir;
    const auto tile = dir / "copy_N35E138_dem.tif", alias = dir / "alias.tif", gpx = dir / "track.gpx";
    std::filesystem::copy_file(VANTOREL_SAMPLE_TILE, tile);
    std::filesystem::create_hard_link(tile, alias);
    writeText(gpx, kSmallGpx);
    const std::string tileBytes = fileText(tile);
    for (const std::string& output : {"--map " + quoted(tile), "--heights " + quoted(alias),
             "--size 64x64 --out " + quoted(gpx), "--summits " + quoted(dir / "." / "copy_N35E138_dem.tif")}) {
        const ToolRun run = runTool(quoted(tile) + " --single --gpx " + quoted(gpx) + " " + output, dir);
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_NE(run.err.find("it is the input file"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(fileText(tile) == tileBytes) << "the tile was changed";
    EXPECT_EQ(fileText(gpx), kSmallGpx);
}

TEST(RenderTool, PathsThatAreNotUtf8AreKeptAsGiven)
{
    testtiles::TempDir dir;
    const auto gpx = dir / "\xff track.gpx", out = dir / "\xfe frame.png";
    writeText(gpx, kSmallGpx);
    const ToolRun run = runTool(
        std::string(VANTOREL_SAMPLE_TILE) + " --size 64x64 --gpx " + quoted(gpx) + " --out " + quoted(out), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(filesNamed(dir, "\xef\xbf\xbd"), 0) << "written under U+FFFD";
    std::filesystem::remove(gpx);
    std::filesystem::remove(out);
}

// Read and checked without --out too, rather than left unread.
TEST(RenderTool, GpxFilesAreReadWithoutAFrameToDrawThemIn)
{
    testtiles::TempDir dir;
    const auto good = dir / "good.gpx", bad = dir / "bad.gpx";
    writeText(good, kSmallGpx);
    writeText(bad, "<kml/>");
    ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --gpx " + quoted(good), dir);
    EXPECT_EQ(run.status, 0) << run.err;
    run =
        runTool(std::string(VANTOREL_SAMPLE_TILE) + " --gpx " + quoted(good) + " --gpx " + quoted(bad), dir, kEnglish);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("vantorel-render: Could not open " + bad.string() + ": "), std::string::npos) << run.err;
}

}  // namespace

// The rows of a --summits file, split on commas (no test name holds one).
std::vector<std::vector<std::string>> csvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
            fields.push_back(line.substr(from, comma - from));
        fields.push_back(line.substr(from));
        rows.push_back(fields);
    }
    return rows;
}

std::string osmNode(int id, const std::string& latitude, const std::string& longitude, const std::string& natural,
    const std::string& name)
{
    return "<node id=\"" + std::to_string(id) + "\" version=\"1\" lat=\"" + latitude + "\" lon=\"" + longitude +
        "\"><tag k=\"natural\" v=\"" + natural + "\"/><tag k=\"name\" v=\"" + name + "\"/></node>\n";
}

TEST(RenderTool, NamesFromEveryListGoToTheSummitsTheyMatchAndListedPeaksLeftOverFollow)
{
    testtiles::TempDir dir;
    const auto bare = dir / "bare.csv", named = dir / "named.csv", list = dir / "mine.csv", osm = dir / "peaks.osm";
    ASSERT_EQ(runTool(std::string(VANTOREL_SAMPLE_TILE) + " --single --summits " + quoted(bare), dir).status, 0);
    const auto summits = csvRows(fileText(bare));
    ASSERT_GT(summits.size(), 3u);
    EXPECT_EQ(summits[0],
        (std::vector<std::string>{"latitude", "longitude", "height", "prominence", "row", "column", "name"}));
    for (std::size_t i = 1; i < summits.size(); ++i)
        EXPECT_EQ(summits[i][6], "") << "no list, no names";

    // The CSV names the most prominent summit (50 m off its top) and a place
    // on a flank; the OSM extract the second summit in Japanese, a saddle and
    // a peak off the tile.
    const std::vector<std::string>& first = summits[1];
    const std::vector<std::string>& second = summits[2];
    writeText(list,
        "name,latitude,longitude,elevation\n\"Mount Arven\"," + std::to_string(std::stod(first[0]) + 0.0004) + "," +
            first[1] + ",3701\nFlank Hut,35.6,138.5,1500\n");
    writeText(osm,
        "<?xml version='1.0' encoding='UTF-8'?>\n<osm version=\"0.6\">\n" +
            osmNode(1, second[0], second[1], "peak", "北岳") + osmNode(2, "35.7", "138.7", "saddle", "Low Pass") +
            osmNode(3, "36.5", "138.5", "peak", "Far Away") + "</osm>\n");
    const ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --single --names " + quoted(list) +
            " --names=" + quoted(osm) + " --summits " + quoted(named),
        dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = csvRows(fileText(named));
    ASSERT_EQ(rows.size(), summits.size() + 1) << "every summit, and the one listed place left over";
    EXPECT_EQ(rows[1][6], "Mount Arven");
    EXPECT_EQ(rows[2][6], "北岳");
    for (std::size_t i = 1; i < summits.size(); ++i)
        EXPECT_EQ(std::vector<std::string>(rows[i].begin(), rows[i].begin() + 6),
            std::vector<std::string>(summits[i].begin(), summits[i].begin() + 6))
            << "names change no figure";
    const std::vector<std::string>& hut = rows.back();
    EXPECT_EQ(hut[6], "Flank Hut");
    EXPECT_EQ(hut[0], "35.600000");
    EXPECT_EQ(hut[3], "") << "a place of its own has no prominence";
    EXPECT_GT(std::stoi(hut[2]), 0) << "the data's height under it";
    EXPECT_EQ(fileText(named).find("Low Pass"), std::string::npos) << "saddles are no summits";
    EXPECT_EQ(fileText(named).find("Far Away"), std::string::npos) << "off the tile";
}

TEST(RenderTool, ListsThatCannotBeReadAreRefusedAndLabelsShowTheNames)
{
    testtiles::TempDir dir;
    const auto list = dir / "mine.csv", plain = dir / "plain.png", named = dir / "named.png";
    ToolRun run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --single --names " + quoted(dir / "none.csv"), dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("none.csv"), std::string::npos) << run.err;
    run = runTool(std::string(VANTOREL_SAMPLE_TILE) + " --names " + quoted(dir / "list.xyz"), dir);
    EXPECT_EQ(run.status, 1) << "a name no reader takes";
    EXPECT_EQ(runTool(std::string(VANTOREL_SAMPLE_TILE) + " --lang fr", dir).status, 2);

    // A name on every place in the view's middle: the labelled frame differs
    // from the one labelled with figures alone.
    std::string text = "name,latitude,longitude\n";
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j)
            text += "Name" + std::to_string(i * 40 + j) + "," + std::to_string(35.02 + 0.024 * i) + "," +
                std::to_string(138.02 + 0.024 * j) + "\n";
    writeText(list, text);
    const std::string view = " --single --size 400x240 --labels --out ";
    ASSERT_EQ(runTool(std::string(VANTOREL_SAMPLE_TILE) + view + quoted(plain), dir).status, 0);
    run = runTool(std::string(VANTOREL_SAMPLE_TILE) + view + quoted(named) + " --names " + quoted(list), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(QImage(QString::fromStdString(plain.string())), QImage(QString::fromStdString(named.string())));
    EXPECT_EQ(
        runTool(std::string(VANTOREL_SAMPLE_TILE) + " --names " + quoted(list) + " --summits " + quoted(list), dir)
            .status,
        1)
        << "a list is an input, never written over";
}
