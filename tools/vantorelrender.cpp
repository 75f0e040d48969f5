// Loads a tile through the viewer's own code and writes what it is asked
// for: the shaded relief, the map image, the height grid, or perspective
// frames of a view.
//
// usage: vantorel-render TILE [--single] [--summits FILE.csv] [--relief FILE.png] [--map FILE.png] [--heights FILE]
//                             [--size WxH] [--view LAT,LON,MINALT,AZ,PITCH,ANGLE]
//                             [--frames N] [--out FILE.png] [--labels] [--gpx FILE] [--names FILE] [--curvature]
//                             [--video FILE.mp4 [--fly FILE.gpx]]
//        vantorel-render --help

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QGuiApplication>
#include <QLocale>
#include <QPainter>

#include "core/geometry.h"
#include "core/optionscanner.h"
#include "core/sunposition.h"
#include "core/viewrecords.h"
#include "core/wholefile.h"
#include "elevation/landscapeload.h"
#include "elevation/tilefolder.h"
#include "elevation/tilename.h"
#include "elevation/tileset.h"
#include "flight/chaseflight.h"
#include "flight/democircle.h"
#include "flight/groundheight.h"
#include "overlays/bitmapimage.h"
#include "overlays/flightfilm.h"
#include "overlays/frameoverlays.h"
#include "overlays/gpx.h"
#include "overlays/gpxoverlay.h"
#include "overlays/labelledpanorama.h"
#include "overlays/summitlabels.h"
#include "overlays/translation.h"
#include "overlays/usermessages.h"
#include "places/matching.h"
#include "places/placefiles.h"
#include "relief/naturalrelief.h"
#include "render/frame.h"
#include "render/panorama.h"
#include "render/renderer.h"
#include "summits/summits.h"

namespace {

constexpr const char* kUsage =
    "  vantorel-render TILE [--single] [--summits FILE.csv] [--relief FILE.png] [--map FILE.png]\n"
    "                       [--heights FILE]\n"
    "                       [--size WxH (at most 16384x16384)] [--view LAT,LON,MINALT,AZ,PITCH,ANGLE]\n"
    "                       [--frames N] [--out FILE.png] [--labels] [--gpx FILE] [--names FILE]\n"
    "                       [--lang en|ja] [--curvature]\n"
    "                       [--look classic|natural] [--sun YYYY-MM-DDTHH:MM+HH:MM] [--haze 0..1]\n"
    "                       [--panorama[=FROM,TO]] [--video FILE.mp4 [--fly FILE.gpx]]\n";

constexpr const char* kHelpText =
    "\n"
    "Loads an elevation tile through the viewer's own code and writes what is asked for. Tiles of one\n"
    "1 x 1 degree cell: ASTER GDEM v2/v3 (..._dem.tif), SRTM 1\" and 3\" and NASADEM (.hgt, .hgt.zip,\n"
    "NASADEM_HGT_....zip), Copernicus DEM GLO-30 and GLO-90 (Copernicus_DSM_....tif), ALOS World 3D\n"
    "30 m (ALPSMLC30_..._DSM.tif), or any GeoTIFF of one cell in latitude and longitude (one band of\n"
    "int16, uint16 or float32). A folder opens the tile nearest the middle of those in it. The tiles\n"
    "beside it in its folder (up to 3 x 3 cells) are joined with it into one landscape.\n"
    "\n"
    "  --single           load the tile alone, without its neighbours\n"
    "  --summits FILE.csv the summits of at least 100 m prominence, most prominent first: latitude,\n"
    "                     longitude, height, prominence, grid row and column, and the name the lists\n"
    "                     give it (UTF-8, may be empty); then each listed peak, volcano or hill in the\n"
    "                     area that matched no summit, with the data's height and an empty prominence\n"
    "  --relief FILE.png  the full-resolution shaded relief\n"
    "  --map FILE.png     the map image\n"
    "  --heights FILE     the final height grid, little-endian int16, row 0 north; its width x height\n"
    "                     is printed on standard error\n"
    "  --size WxH         perspective frames of this size (default 656x400, at most 16384x16384)\n"
    "  --view LAT,LON,MINALT,AZ,PITCH,ANGLE\n"
    "                     the frames' eye: latitude and longitude, its lowest altitude in metres,\n"
    "                     azimuth, pitch and angle of view in degrees (default: the tile's start view)\n"
    "  --frames N         draw N frames (default 1), printing each one's figures\n"
    "  --out FILE.png     write the last frame\n"
    "  --labels           label the summits and named places seen in the written frame, as the\n"
    "                     viewer does\n"
    "  --gpx FILE         draw a GPX file's tracks, routes and waypoints into the written frame\n"
    "                     (may be given more than once); read and checked even without --out;\n"
    "                     its waypoints' names come first among the names\n"
    "  --names FILE       a list of names for the summits (may be given more than once): OpenStreetMap\n"
    "                     (.osm, .osm.pbf, .osm.gz, .osm.bz2), a GeoNames dump (.txt) or CSV\n"
    "                     (name,latitude,longitude[,elevation]); the first list given names first\n"
    "  --lang LANG        en or ja: the names' language on the labels (default en), and the language\n"
    "                     of the messages (default: the system's, as the viewer chooses)\n"
    "  --curvature        draw the frames on a curved earth with standard refraction\n"
    "  --look LOOK        classic (the default) or natural: hypsometric colours lit by the sun with\n"
    "                     cast shadows, a sky that follows the sun, haze with distance\n"
    "  --sun TIME         the natural look's moment, with its offset from UTC\n"
    "                     (2026-06-21T07:00+09:00; default: local noon today)\n"
    "  --haze H           the natural look's haze, 0 (clear) to 1 (hazy; default 0.3)\n"
    "  --panorama[=FROM,TO]\n"
    "                     write a panorama to --out instead of a frame: from the --view eye on a curved\n"
    "                     earth, azimuths FROM to TO clockwise (default 0,360) across --size (default\n"
    "                     3600x600), the pitch tilting the middle row, ANGLE the vertical angle of view\n"
    "                     (0 for square pixels); the summits seen labelled, a degree scale at the foot\n"
    "  --video FILE.mp4   write --frames N frames (at most a lap or the track) of a flight as H.264\n"
    "                     at 30 frames a second, --size each: the demo's circle round the middle of\n"
    "                     the landscape from the --view eye, or the flight along a GPX track\n"
    "  --fly FILE.gpx     with --video: fly the longest line of this GPX file with the chase camera\n"
    "  -h, --help         print this help and exit\n"
    "  --                 end the options: the argument after it is the tile, even one beginning with -\n"
    "\n"
    "An option's value is the next argument, or follows an equals sign (--size=320x200).\n"
    "A refused tile, GPX file or list prints the viewer's message, naming the file, and exits with\n"
    "status 1; a usage error exits with 2. The viewer's keys: vantorel --help.\n";

struct Options {
    std::string tile;
    std::string relief, map, heights, out, summits;
    int width = 656;
    int height = 400;
    std::optional<Viewpoint> view;
    int frames = 1;
    bool framesAsked = false;  // any frame option given
    bool help = false;
    bool single = false;
    bool labels = false;
    bool curvature = false;
    std::vector<std::string> gpx;
    std::vector<std::string> names;
    Language language = Language::English;  // the labels' names'
    std::string messageLanguage;  // as --lang gave it; empty for the system's
    Look look = Look::Classic;
    std::optional<CivilTime> sun;
    double haze = FrameSettings{}.haze;
    bool sizeAsked = false;
    bool panorama = false;
    double panoramaFrom = 0;
    double panoramaTo = 360;
    std::string video, fly;
};

// Frames are held to this many pixels on a side: the buffers of a larger one
// would not fit most machines' memory.
constexpr int kMaxFrameSide = 16384;
constexpr int kMaxFrames = 1000000;
constexpr int kPanoramaWidth = 3600;  // a tenth of a degree a column
constexpr int kPanoramaHeight = 600;

// A whole number within [lo, hi] that is all of `text`; out-of-range values,
// overflow included, are refused rather than wrapped.
std::optional<int> ParseWhole(std::string_view text, int lo, int hi)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
        return std::nullopt;
    return value;
}

bool ParseSize(std::string_view text, Options& options)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    const std::optional<int> width = ParseWhole(text.substr(0, x), 1, kMaxFrameSide);
    const std::optional<int> height = ParseWhole(text.substr(x + 1), 1, kMaxFrameSide);
    if (!width || !height)
        return false;
    options.width = *width;
    options.height = *height;
    options.sizeAsked = true;
    return true;
}

// Exactly values.size() finite numbers separated by commas, all of `text`.
bool ParseNumbers(std::string_view text, std::span<double> values)
{
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0 && (at == end || *at++ != ','))
            return false;
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc() || !std::isfinite(values[i]))
            return false;
        at = next;
    }
    return at == end;
}

bool ParseView(std::string_view text, Options& options)
{
    double values[6];
    if (!ParseNumbers(text, values))
        return false;
    Viewpoint view;
    view.latitude = values[0];
    view.longitude = WrapLongitude(values[1]);
    view.minAltitude = values[2];
    view.azimuth = values[3];
    view.pitch = values[4];
    view.viewAngle = values[5];
    options.view = view;
    return true;
}

bool ParseLook(std::string_view text, Look& look)
{
    if (text != "classic" && text != "natural")
        return false;
    look = text == "natural" ? Look::Natural : Look::Classic;
    return true;
}

// A number within [0, 1] that is all of `text`.
bool ParseFraction(std::string_view text, double& value)
{
    double read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size() || !(read >= 0 && read <= 1))
        return false;
    value = read;
    return true;
}

// FROM,TO: degrees clockwise, FROM below TO, at most a turn apart.
bool ParseRange(std::string_view text, Options& options)
{
    double values[2];
    if (!ParseNumbers(text, values) || !(values[0] < values[1] && values[1] - values[0] <= 360))
        return false;
    options.panoramaFrom = values[0];
    options.panoramaTo = values[1];
    return true;
}

enum Option {
    kHelp,
    kSingle,
    kSummits,
    kRelief,
    kMap,
    kHeights,
    kNames,
    kLang,
    kSize,  // this and the ones after it are about the frames
    kView,
    kFrames,
    kOut,
    kLabels,
    kGpx,
    kCurvature,
    kLook,
    kSun,
    kHaze,
    kPanorama,
    kVideo,
    kFly,
};

// Read by the programs' convention (core/optionscanner.h).
constexpr OptionSpec kOptions[] = {
    {"--help", kHelp},
    {"-h", kHelp},
    {"--single", kSingle},
    {"--summits", kSummits, true},
    {"--relief", kRelief, true},
    {"--map", kMap, true},
    {"--heights", kHeights, true},
    {"--size", kSize, true},
    {"--view", kView, true},
    {"--frames", kFrames, true},
    {"--out", kOut, true},
    {"--labels", kLabels},
    {"--gpx", kGpx, true},
    {"--curvature", kCurvature},
    {"--look", kLook, true},
    {"--sun", kSun, true},
    {"--haze", kHaze, true},
    {"--panorama", kPanorama, false, true},
    {"--names", kNames, true},
    {"--lang", kLang, true},
    {"--video", kVideo, true},
    {"--fly", kFly, true},
};

// Takes one option into `options`; false when its value is refused.
bool TakeOption(int id, std::string_view value, Options& options)
{
    options.framesAsked = options.framesAsked || id >= kSize;
    switch (id) {
    case kHelp: options.help = true; return true;
    case kSingle: options.single = true; return true;
    case kSummits: options.summits = value; return true;
    case kRelief: options.relief = value; return true;
    case kMap: options.map = value; return true;
    case kHeights: options.heights = value; return true;
    case kSize: return ParseSize(value, options);
    case kView: return ParseView(value, options);
    case kFrames: {
        const std::optional<int> frames = ParseWhole(value, 1, kMaxFrames);
        options.frames = frames.value_or(options.frames);
        return frames.has_value();
    }
    case kOut: options.out = value; return true;
    case kLabels: options.labels = true; return true;
    case kGpx: options.gpx.emplace_back(value); return true;
    case kCurvature: options.curvature = true; return true;
    case kLook: return ParseLook(value, options.look);
    case kSun: options.sun = ParseCivilTime(value); return options.sun.has_value();
    case kHaze: return ParseFraction(value, options.haze);
    case kPanorama: options.panorama = true; return value.empty() || ParseRange(value, options);
    case kNames: options.names.emplace_back(value); return true;
    case kVideo: options.video = value; return true;
    case kFly: options.fly = value; return true;
    case kLang:
        options.language = value == "ja" ? Language::Japanese : Language::English;
        options.messageLanguage = value;
        return value == "ja" || value == "en";
    default: return true;
    }
}

// Why a command line is refused, with what it was met in.
struct UsageProblem {
    enum Kind {
        SecondTile,
        BadValue,
        UnknownOption,
        MissingValue,
        UnwantedValue,
        NoTile,
        PanoramaWithoutOut,
        FlyWithoutVideo,
        VideoWithPicture,
    };
    Kind kind = NoTile;
    QString option;  // as declared, for BadValue and UnwantedValue
    QString argument;
};

// The options of the command line, and the first problem met, if any. The
// scan goes on past a problem, so that --lang still chooses the language the
// problem is told in.
struct ParsedLine {
    Options options;
    std::optional<UsageProblem> problem;
};

QString Local(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

ParsedLine ParseArguments(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    ParsedLine line;
    Options& options = line.options;
    const auto fail = [&line](UsageProblem::Kind kind, std::string_view option = {}, std::string_view argument = {}) {
        if (!line.problem)
            line.problem = UsageProblem{kind, Local(option), Local(argument)};
    };
    for (const ScannedArgument& scanned : ScanArguments(arguments, kOptions)) {
        switch (scanned.kind) {
        case ArgumentKind::Operand:
            if (!options.tile.empty())
                fail(UsageProblem::SecondTile, {}, scanned.text);
            else
                options.tile = scanned.text;
            break;
        case ArgumentKind::Option:
            if (!TakeOption(scanned.id, scanned.text, options))
                fail(UsageProblem::BadValue, scanned.option, scanned.text);
            break;
        case ArgumentKind::UnknownOption: fail(UsageProblem::UnknownOption, {}, scanned.text); break;
        case ArgumentKind::MissingValue: fail(UsageProblem::MissingValue, {}, scanned.text); break;
        case ArgumentKind::UnwantedValue: fail(UsageProblem::UnwantedValue, scanned.option, scanned.text); break;
        }
    }
    if (options.tile.empty() && !options.help)
        fail(UsageProblem::NoTile);
    if (options.panorama && options.out.empty())
        fail(UsageProblem::PanoramaWithoutOut);
    if (!options.fly.empty() && options.video.empty())
        fail(UsageProblem::FlyWithoutVideo);
    if (!options.video.empty() && (!options.out.empty() || options.panorama))
        fail(UsageProblem::VideoWithPicture);
    if (options.panorama && !options.sizeAsked) {
        options.width = kPanoramaWidth;
        options.height = kPanoramaHeight;
    }
    return line;
}

// The problem in the language chosen; option names stay as they are typed.
QString UsageProblemText(const UsageProblem& problem)
{
    switch (problem.kind) {
    case UsageProblem::SecondTile:
        return QCoreApplication::translate("RenderTool", "2つ目のタイルです：%1").arg(problem.argument);
    case UsageProblem::BadValue:
        return QCoreApplication::translate("RenderTool", "%1 の値が正しくありません：%2")
            .arg(problem.option, problem.argument);
    case UsageProblem::UnknownOption:
        return QCoreApplication::translate("RenderTool", "知らないオプションです：%1").arg(problem.argument);
    case UsageProblem::MissingValue:
        return QCoreApplication::translate("RenderTool", "%1 には値が要ります").arg(problem.argument);
    case UsageProblem::UnwantedValue:
        return QCoreApplication::translate("RenderTool", "%1 は値を取りません：%2")
            .arg(problem.option, problem.argument);
    case UsageProblem::NoTile: return QCoreApplication::translate("RenderTool", "タイルが指定されていません");
    case UsageProblem::PanoramaWithoutOut:
        return QCoreApplication::translate("RenderTool", "--panorama には --out が要ります");
    case UsageProblem::FlyWithoutVideo:
        return QCoreApplication::translate("RenderTool", "--fly には --video が要ります");
    case UsageProblem::VideoWithPicture:
        return QCoreApplication::translate("RenderTool", "--video では --out の画像も --panorama も書きません");
    }
    return {};
}

// The options' synopsis under a translated heading: the option names and
// their values' forms are the same in every language.
void PrintUsage(std::FILE* to)
{
    std::fprintf(to, "%s\n%s", QCoreApplication::translate("RenderTool", "使い方：").toLocal8Bit().constData(), kUsage);
}

// The height grid as little-endian int16, whole or not at all; the errno of
// a failure, or 0.
int WriteHeights(const std::string& path, const Terrain& terrain)
{
    WholeFile out(path);
    const int width = terrain.tileInfo.width;
    std::vector<unsigned char> row(std::size_t(width) * 2);
    for (int r = 0; r < terrain.tileInfo.height && out.error() == 0; ++r) {
        const int16_t* samples = terrain.heightGrid[r];
        // A little-endian host's rows are the file's bytes already.
        const void* bytes = samples;
        if constexpr (std::endian::native != std::endian::little) {
            for (int c = 0; c < width; ++c) {
                const auto sample = static_cast<uint16_t>(samples[c]);
                row[2 * c] = static_cast<unsigned char>(sample);
                row[2 * c + 1] = static_cast<unsigned char>(sample >> 8);
            }
            bytes = row.data();
        }
        out.Write(bytes, row.size());
    }
    return out.Commit();
}

// The names read for the loaded area: the GPX files' waypoints first, then
// the lists in the order given.
struct Names {
    std::unique_ptr<PlaceList> list;
    std::vector<NamedPlace> named;
    std::vector<bool> waypointSource;  // by source: the GPX files', which are no peaks
};

// A CSV field: in double quotes when it holds a comma, quote or line break.
std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

void AppendSummitRow(std::string& text, GeoPoint at, int height, std::optional<int> prominence, int row, int column,
    std::string_view name)
{
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%.6f,%.6f,%d,", at.latitude, at.longitude, height);
    text.append(line, std::size_t(std::clamp(length, 0, int(sizeof line) - 1)));
    if (prominence)
        text += std::to_string(*prominence);
    text += ',' + std::to_string(row) + ',' + std::to_string(column) + ',' + CsvField(name) + '\n';
}

// Every summit found, named or not, then the listed peaks that matched none.
int WriteSummits(
    const std::string& path, const std::vector<Summit>& summits, const Names& names, const RenderParams& params)
{
    std::vector<std::string_view> summitNames(summits.size());
    std::string text = "latitude,longitude,height,prominence,row,column,name\n";
    for (const NamedPlace& named : names.named)
        if (named.summit >= 0)
            summitNames[std::size_t(named.summit)] = names.list->places()[std::size_t(named.places.front())].name;
    for (std::size_t i = 0; i < summits.size(); ++i) {
        const Summit& s = summits[i];
        AppendSummitRow(
            text, GridToGeo(params, s.column, s.row), s.height, s.prominence, s.row, s.column, summitNames[i]);
    }
    for (const NamedPlace& named : names.named) {
        const Place& place = names.list->places()[std::size_t(named.places.front())];
        if (named.summit >= 0 || place.kind == PlaceKind::Saddle || names.waypointSource[std::size_t(place.source)])
            continue;
        AppendSummitRow(text, {place.latitude, place.longitude}, named.height.value_or(0), std::nullopt,
            int(std::lround(named.row)), int(std::lround(named.column)), place.name);
    }
    WholeFile out(path);
    out.Write(text.data(), text.size());
    return out.Commit();
}

// A message for the user on standard error, in the language chosen.
void Say(const QString& text)
{
    std::fprintf(stderr, "vantorel-render: %s\n", text.toLocal8Bit().constData());
}

// The GPX files of the command line, each read and checked whether or not a
// frame is written; false, said on standard error, when one cannot be read.
bool ReadGpxFiles(const Options& options, GpxOverlay& gpx)
{
    for (const std::string& path : options.gpx) {
        GpxReading reading = ReadGpxFile(QByteArray::fromStdString(path));
        if (!reading.ok) {
            Say(CannotOpenText(ShownFileName(path), reading.error));
            return false;
        }
        gpx.Add(std::move(reading.data));
    }
    return true;
}

// The lists of names of the command line read for `area`; false, said on
// standard error, when one is refused. Entries left out are said too.
bool ReadNameLists(const Options& options, const GpxOverlay& gpx, const GeoArea& area, Names& names)
{
    names.list = std::make_unique<PlaceList>(area);
    for (const GpxData& file : gpx.files()) {
        names.list->Add(UserPlaces("GPX", WaypointPlaces(file), area));
        names.waypointSource.push_back(true);
    }
    for (const std::string& path : options.names) {
        ListReading reading = ReadPlaceFile(path, area);
        for (const ListProblem& problem : reading.problems)
            Say(ListProblemText(ShownFileName(path), problem));
        if (reading.outcome != ListOutcome::Read)
            return false;
        names.list->Add(std::move(reading));
        names.waypointSource.push_back(false);
    }
    return true;
}

// The application object that Qt's translations and fonts need: a plain one
// for the messages, which asks for no platform (nor warns of its settings),
// replaced by a headless GUI one once text is to be drawn.
class ToolApplication {
public:
    // Messages in `language` ("en", "ja", or empty for the system's) from here on.
    void Speak(const std::string& language)
    {
        language_ = QString::fromStdString(language);
        application_ = std::make_unique<QCoreApplication>(argc_, argv_);
        SpeakChosenLanguage(language_, "vantorel-render");
    }
    void StartFonts()
    {
        if (qobject_cast<QGuiApplication*>(application_.get()))
            return;
        application_.reset();
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
        // The translation went with the plain application.
        SpeakChosenLanguage(language_, "vantorel-render");
    }

private:
    int argc_ = 1;
    char name_[16] = "vantorel-render";
    char* argv_[2] = {name_, nullptr};
    QString language_;
    std::unique_ptr<QCoreApplication> application_;
};

// The summit labels and GPX files over the last frame, as the viewer draws
// them.
void DrawOverlays(ToolApplication& application, const Renderer& renderer, const Options& options, const GpxOverlay& gpx,
    Bitmap32& frame, const Terrain& terrain, const RenderParams& params, const std::vector<Summit>& summits,
    const Names& names)
{
    if (!options.labels && gpx.empty())
        return;
    application.StartFonts();
    std::vector<LabelSubject> subjects;
    if (options.labels)
        subjects = LabelSubjects(summits, names.named, names.list.get(), options.language);
    DrawFrameOverlays(renderer, frame, terrain, params, {&gpx, options.labels ? &subjects : nullptr});
}

// The look's settings; for the natural look, its relief too, lit by the sun
// of the moment asked from where the eye stands.
std::optional<NaturalRelief> SetUpLook(const Options& options, const Terrain& terrain, const RenderParams& params,
    const Viewpoint& eye, FrameSettings& settings)
{
    if (options.look != Look::Natural)
        return std::nullopt;
    const SunPosition sun = SunAt(options.sun.value_or(LocalNoonToday(eye.longitude)), eye.latitude, eye.longitude);
    settings.look = Look::Natural;
    settings.sun = {sun.azimuth, sun.elevation};
    settings.haze = options.haze;
    std::optional<NaturalRelief> natural(std::in_place, terrain.tileInfo.width, terrain.tileInfo.height);
    natural->Build(terrain.heightGrid.rows(), params.metresPerCell, {settings.sun, kDefaultSnowLine});
    std::fprintf(stderr, "sun: azimuth %.1f, elevation %.1f\n", sun.azimuth, sun.elevation);
    return natural;
}

// A panorama from the eye, its summits labelled and its degree scale drawn,
// written to --out: the errno of a failed write, or 0.
int RenderPanoramaFile(ToolApplication& application, const Options& options, const Terrain& terrain,
    const RenderParams& params, const Viewpoint& eye, const std::vector<Summit>& summits, const Names& names)
{
    FrameSettings settings;
    const std::optional<NaturalRelief> natural = SetUpLook(options, terrain, params, eye, settings);
    const PanoramaScene scene{natural ? natural->Relief() : terrain.tileInfo,
        natural ? natural->Levels() : terrain.reliefLevels, terrain.heightGrid.rows(), params};
    const PanoramaRequest request{options.panoramaFrom, options.panoramaTo, eye};
    application.StartFonts();
    const std::vector<LabelSubject> subjects = LabelSubjects(summits, names.named, names.list.get(), options.language);
    const std::optional<LabelledPanorama> panorama =
        DrawLabelledPanorama(scene, request, settings, subjects, QSize(options.width, options.height));
    std::printf("panorama: %d x %d, %g to %g degrees, %zu summits seen\n", options.width, options.height,
        options.panoramaFrom, options.panoramaTo, panorama->topsSeen);
    return WritePng(panorama->image, options.out);
}

// Draws the frames as the 3D view does while the user holds still, and
// writes the last when asked: the errno of a failed write, or 0.
int RenderFrames(ToolApplication& application, const Options& options, const GpxOverlay& gpx, const Terrain& terrain,
    const RenderParams& params, Viewpoint view, const std::vector<Summit>& summits, const Names& names)
{
    Bitmap32 frameBitmap(options.width, options.height);
    Renderer renderer(frameBitmap);
    renderer.settings.earthCurvature = options.curvature;
    const std::optional<NaturalRelief> natural = SetUpLook(options, terrain, params, view, renderer.settings);
    const TileInfo& relief = natural ? natural->Relief() : terrain.tileInfo;
    const ReliefLevels& levels = natural ? natural->Levels() : terrain.reliefLevels;
    for (int k = 1; k <= options.frames; ++k) {
        view.renderAzimuth = view.azimuth;
        BuildViewStrips(
            renderer, options.width, options.height, relief, levels, terrain.heightGrid.rows(), params, view);
        const int32_t altitude = RasteriseFrame(renderer, relief, terrain.heightGrid.rows(), params, view);
        std::printf("frame %d: altitude %d strips %d stride %d detail %.6f feedback %d\n", k, altitude,
            renderer.last.stripCount, renderer.last.stripStride, renderer.carried.detailFactor,
            renderer.carried.rasterFeedback);
    }
    std::fflush(stdout);
    if (options.out.empty())
        return 0;
    DrawOverlays(application, renderer, options, gpx, frameBitmap, terrain, params, summits, names);
    return WritePng(options.out, renderer.Buffers().ColourRows, options.width, options.height);
}

// The flight a video films: along the --fly file's flight line, or the
// demo's lap round the middle of the landscape; null, said, when the file
// has no line to fly.
std::unique_ptr<Flight> VideoFlight(const Options& options, const GpxOverlay& fly, const Terrain& terrain,
    const RenderParams& params, int32_t heightQuarters, Viewpoint& eye)
{
    if (options.fly.empty())
        return std::make_unique<DemoLap>(params.centreLat, params.centreLon, eye);
    const GpxLine* line = fly.FlightLine();
    if (!line || line->points.size() < 2) {
        std::fprintf(stderr, "vantorel-render: %s: no track or route to fly\n", options.fly.c_str());
        return nullptr;
    }
    return std::make_unique<ChaseFlight>(PathOf(*line), DrawnGround(terrain, params, heightQuarters));
}

// Films --frames frames of the flight into --video, with progress on
// standard error; false, said, on failure.
bool RenderVideo(ToolApplication& application, const Options& options, const GpxOverlay& gpx, const Terrain& terrain,
    const RenderParams& params, Viewpoint eye)
{
    GpxOverlay shown = gpx;
    if (!options.fly.empty()) {
        GpxReading reading = ReadGpxFile(QByteArray::fromStdString(options.fly));
        if (!reading.ok) {
            Say(CannotOpenText(ShownFileName(options.fly), reading.error));
            return false;
        }
        shown.Add(std::move(reading.data));
    }
    FrameSettings settings;
    settings.earthCurvature = options.curvature;
    const std::optional<NaturalRelief> natural = SetUpLook(options, terrain, params, eye, settings);
    const std::unique_ptr<Flight> flight = VideoFlight(options, shown, terrain, params, settings.heightQuarters, eye);
    if (!flight)
        return false;
    VideoWriter writer(options.video, options.width, options.height);
    if (!writer.ok()) {
        std::fprintf(stderr, "vantorel-render: %s\n", VideoErrorMessage(writer.error()).c_str());
        return false;
    }
    if (!shown.empty())
        application.StartFonts();
    const FlightScene scene{&terrain, natural ? &natural->Relief() : &terrain.tileInfo,
        natural ? &natural->Levels() : &terrain.reliefLevels, params, &shown};
    FlightFilm film(scene, settings, writer);
    const auto start = std::chrono::steady_clock::now();
    for (int k = 1; writer.ok() && k <= options.frames && !(k > 1 && flight->Finished()); ++k) {
        film.Shoot(*flight, eye);
        std::fprintf(stderr, "\rvideo: frame %d of %d", k, options.frames);
    }
    if (writer.ok() && writer.Finish()) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "\nvideo: %d frames of %d x %d in %.1f s (%.1f frames a second)\n", writer.framesWritten(),
            writer.width(), writer.height(), seconds, writer.framesWritten() / seconds);
        return true;
    }
    std::fprintf(stderr, "\nvantorel-render: %s\n", VideoErrorMessage(writer.error()).c_str());
    return false;
}

// Says why `path` was not written; false, for the exit status.
bool Fail(const std::string& path, int error)
{
    std::fprintf(stderr, "vantorel-render: cannot write %s: %s\n", path.c_str(), std::strerror(error));
    return false;
}

// An output that is one of the inputs (the same file under any name) would
// be overwritten by what was read from it: refused, said, before anything is
// written.
bool OutputsAreNotInputs(const Options& options, const std::string& tile, const TileSet& set)
{
    std::vector<std::string> inputs(set.files.begin(), set.files.end());
    inputs.push_back(tile);
    inputs.insert(inputs.end(), options.gpx.begin(), options.gpx.end());
    inputs.insert(inputs.end(), options.names.begin(), options.names.end());
    inputs.push_back(options.fly);
    bool ok = true;
    for (const std::string* output :
        {&options.relief, &options.map, &options.heights, &options.summits, &options.out, &options.video})
        for (const std::string& input : inputs)
            if (!output->empty() && !input.empty() && SameFile(*output, input)) {
                std::fprintf(stderr, "vantorel-render: cannot write %s: it is the input file %s\n", output->c_str(),
                    input.c_str());
                ok = false;
                break;
            }
    return ok;
}

// What the load found besides its result, on standard error: the cells it
// left at sea level and why, a set opened alone, the samples without data.
void PrintLoadReport(const LoadReport& report)
{
    for (const LoadNote& note : report.notes)
        Say(TranslatedUserText("LoadNote", LoadNoteMessage(note.kind))
                .arg(ShownFileName(FileNameOf(note.file)),
                    note.why == TileError::None ? QString()
                                                : TranslatedUserText("TileError", TileErrorMessage(note.why))));
    if (report.voidSamples > 0)
        // The viewer's text for the same count, in its status line's tooltip.
        Say(QCoreApplication::translate("Readouts", "欠測値%1点は海面としました．")
                .arg(QLocale().toString(qulonglong(report.voidSamples))));
}

int Run(int argc, char** argv)
{
    const ParsedLine line = ParseArguments(argc, argv);
    // The refusals come in the viewer's language, chosen as the viewer does.
    ToolApplication application;
    application.Speak(line.options.messageLanguage);
    if (line.problem) {
        Say(UsageProblemText(*line.problem));
        PrintUsage(stderr);
        return 2;
    }
    const Options* const options = &line.options;
    if (options->help) {
        PrintUsage(stdout);
        std::fputs(kHelpText, stdout);
        return 0;
    }

    GpxOverlay gpx;
    if (!ReadGpxFiles(*options, gpx))
        return 1;
    std::unique_ptr<Terrain> loaded;
    RenderParams params;
    Viewpoint view;
    TileSet set;
    LoadListener quiet;
    const std::string tile = TileToOpen(options->tile);
    if (const TileError error = LoadTileSetInto(tile, options->single, loaded, params, view, set, quiet);
        error != TileError::None) {
        Say(TileRefusalText(error, ShownFileName(tile)));
        return 1;
    }
    PrintLoadReport(quiet.report);
    if (!OutputsAreNotInputs(*options, tile, set))
        return 1;
    const Terrain& terrain = *loaded;

    bool ok = true;
    if (!options->relief.empty())
        if (const int error =
                WritePng(options->relief, terrain.tileInfo.scanLines, terrain.tileInfo.width, terrain.tileInfo.height))
            ok = Fail(options->relief, error);
    if (!options->map.empty())
        if (const int error = WritePng(
                options->map, terrain.mapBitmap.scanLines(), terrain.mapBitmap.width(), terrain.mapBitmap.height()))
            ok = Fail(options->map, error);
    // Searched once, for the CSV and the labels alike.
    std::vector<Summit> summits;
    if (!options->summits.empty() || options->labels || options->panorama)
        summits = FindLandscapeSummits(terrain, params);
    Names names;
    if (!ReadNameLists(*options, gpx, AreaOfGrid(params), names))
        return 1;
    if (!options->summits.empty() || options->labels || options->panorama)
        names.named = MatchPlaces(*names.list, summits, params, terrain.heightGrid.rows());
    if (!options->summits.empty())
        if (const int error = WriteSummits(options->summits, summits, names, params))
            ok = Fail(options->summits, error);
    if (!options->heights.empty()) {
        std::fprintf(stderr, "heights: %d x %d\n", terrain.tileInfo.width, terrain.tileInfo.height);
        if (const int error = WriteHeights(options->heights, terrain))
            ok = Fail(options->heights, error);
    }

    if (!options->video.empty()) {
        ok = RenderVideo(application, *options, gpx, terrain, params, options->view.value_or(view)) && ok;
    } else if (options->panorama) {
        if (const int error = RenderPanoramaFile(
                application, *options, terrain, params, options->view.value_or(view), summits, names))
            ok = Fail(options->out, error);
    } else if (options->framesAsked) {
        if (const int error =
                RenderFrames(application, *options, gpx, terrain, params, options->view.value_or(view), summits, names))
            ok = Fail(options->out, error);
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // Past a file size limit a write then fails with EFBIG, which is
    // reported, rather than the signal ending the run part way.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vantorel-render: not enough memory\n", stderr);
        return 1;
    }
}
