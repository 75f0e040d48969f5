// Videos: the writer's files as FFmpeg's own programs read them, and
// vantorel-render's flights filmed, refusals named.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/raster.h"
#include "elevation/terrain.h"
#include "flight/chaseflight.h"
#include "flight/groundheight.h"
#include "overlays/flightfilm.h"
#include "tests/support/tileload.h"
#include "tilefiles.h"
#include "video/videowriter.h"
#include "videoprobe.h"

namespace {

double MeanDifference(const std::string& a, const std::string& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::abs(int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i])));
    return sum / double(a.size());
}

// A frame whose left part is bright up to `edge` and dark beyond.
void PaintEdge(Bitmap32& frame, int edge)
{
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.scanLine(y)[x] = x < edge ? 0xFFE0C080u : 0xFF102030u;
}

TEST(VideoWriter, WritesH264FramesThatFFmpegReadsBack)
{
    const testtiles::TempDir dir;
    const auto path = dir / "edge.mp4";
    // An odd size loses its last column and row.
    VideoWriter writer(path.string(), 65, 49);
    ASSERT_TRUE(writer.ok()) << VideoErrorMessage(writer.error());
    EXPECT_EQ(writer.width(), 64);
    EXPECT_EQ(writer.height(), 48);
    Bitmap32 frame(65, 49);
    for (int k = 0; k < 12; ++k) {
        PaintEdge(frame, 4 + 5 * k);
        ASSERT_TRUE(writer.Write(frame.scanLines()));
    }
    ASSERT_TRUE(writer.Finish()) << VideoErrorMessage(writer.error());
    EXPECT_EQ(writer.framesWritten(), 12);

    const auto probed = Probe(path);
    EXPECT_EQ(probed.at("codec_name"), "h264");
    EXPECT_EQ(probed.at("width"), "64");
    EXPECT_EQ(probed.at("height"), "48");
    EXPECT_EQ(probed.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(probed.at("r_frame_rate"), "30/1");
    EXPECT_EQ(probed.at("nb_read_frames"), "12");
    // The edge moved: the last frame is brighter on the right half's left.
    const std::vector<std::string> frames = DecodeFrames(path, 0, 11);
    ASSERT_EQ(frames.size(), 2u);
    const auto grey = [](const std::string& f, int x, int y) {
        return int(static_cast<unsigned char>(f[y * 160 + x]));
    };
    EXPECT_LT(grey(frames[0], 80, 45), 80);
    EXPECT_GT(grey(frames[1], 80, 45), 120);
}

TEST(VideoWriter, RefusalsNameTheFileAndLeaveNothingBehind)
{
    const testtiles::TempDir dir;
    const auto missing = dir / "no-such-folder" / "x.mp4";
    VideoWriter unwritable(missing.string(), 64, 48);
    EXPECT_FALSE(unwritable.ok());
    EXPECT_EQ(unwritable.error().problem, VideoProblem::CannotOpen);
    EXPECT_EQ(unwritable.error().file, missing.string());
    EXPECT_FALSE(unwritable.error().reason.empty());
    const std::string message = VideoErrorMessage(unwritable.error());
    EXPECT_NE(message.find(missing.string()), std::string::npos) << message;
    EXPECT_NE(message.find(unwritable.error().reason), std::string::npos) << message;
    Bitmap32 frame(64, 48);
    EXPECT_FALSE(unwritable.Write(frame.scanLines()));
    EXPECT_FALSE(unwritable.Finish());

    VideoWriter tiny((dir / "tiny.mp4").string(), 1, 40);
    EXPECT_EQ(tiny.error().problem, VideoProblem::TooSmall);
    EXPECT_FALSE(std::filesystem::exists(dir / "tiny.mp4"));

    // A video given up part way is removed, not left unplayable.
    {
        VideoWriter abandoned((dir / "abandoned.mp4").string(), 64, 48);
        ASSERT_TRUE(abandoned.ok());
        EXPECT_TRUE(abandoned.Write(frame.scanLines()));
        EXPECT_TRUE(std::filesystem::exists(dir / "abandoned.mp4"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "abandoned.mp4"));
}

TEST(FlightFilm, FilmsFromWhereTheFlightStartsAndAFrameATimeAfter)
{
    Terrain terrain;
    RenderParams params;
    Viewpoint eye;
    LoadListener quiet;
    ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, eye, quiet), TileError::None);
    const GeoPoint start{35.3, 138.6};
    const GeoPoint end = MoveAlong(start, 30, 3000);
    ChaseFlight flight(TrackPath({start, end}), DrawnGround(terrain, params, kTrueHeightQuarters));
    const testtiles::TempDir dir;
    VideoWriter writer((dir / "film.mp4").string(), 96, 64);
    const FlightScene scene{&terrain, &terrain.tileInfo, &terrain.reliefLevels, params, nullptr};
    FlightFilm film(scene, FrameSettings{}, writer);

    // The first frame is drawn from behind the track's start, not from
    // where the eye was.
    ASSERT_TRUE(film.Shoot(flight, eye));
    EXPECT_EQ(flight.at(), 0);
    EXPECT_NEAR(GroundMetres({eye.latitude, eye.longitude}, start), kChaseBehind, 1);
    EXPECT_NEAR(eye.azimuth, 30, 0.1);
    ASSERT_TRUE(film.Shoot(flight, eye));
    EXPECT_NEAR(flight.at(), kChaseStartSpeed / kVideoFramesPerSecond, 1e-9);
    EXPECT_EQ(film.shot(), 2);
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(Probe(dir / "film.mp4").at("nb_read_frames"), "2");
}

std::string Tool(const std::string& arguments, const testtiles::TempDir& dir, CommandRun& run)
{
    const auto errors = dir / "stderr.txt";
    run = RunCommand(
        std::string(VANTOREL_RENDER) + " " + Quoted(VANTOREL_SAMPLE_TILE) + " " + arguments + " 2>" + Quoted(errors));
    return FileText(errors);
}

TEST(RenderToolVideo, FilmsNinetyFramesOfTheDemoThatMove)
{
    const testtiles::TempDir dir;
    const auto path = dir / "demo.mp4";
    CommandRun run;
    const std::string errors = Tool("--video " + Quoted(path) + " --frames 90 --size 1280x720", dir, run);
    ASSERT_EQ(run.status, 0) << errors;
    EXPECT_NE(errors.find("video: frame 90 of 90"), std::string::npos) << errors;
    const auto probed = Probe(path);
    EXPECT_EQ(probed.at("codec_name"), "h264");
    EXPECT_EQ(probed.at("width"), "1280");
    EXPECT_EQ(probed.at("height"), "720");
    EXPECT_EQ(probed.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(probed.at("r_frame_rate"), "30/1");
    EXPECT_EQ(probed.at("nb_read_frames"), "90");
    const std::vector<std::string> frames = DecodeFrames(path, 0, 89);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GT(MeanDifference(frames[0], frames[1]), 2.0);
}

TEST(RenderToolVideo, FliesAGpxTrackAndNamesWhatItCannotDo)
{
    const testtiles::TempDir dir;
    std::ofstream(dir / "track.gpx") << "<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.6\"/>"
                                        "<trkpt lat=\"35.31\" lon=\"138.61\"/><trkpt lat=\"35.33\" lon=\"138.6\"/>"
                                        "</trkseg></trk></gpx>";
    const auto path = dir / "fly.mp4";
    CommandRun run;
    std::string errors =
        Tool("--video " + Quoted(path) + " --frames 20 --size 160x96 --fly " + Quoted(dir / "track.gpx"), dir, run);
    ASSERT_EQ(run.status, 0) << errors;
    const auto probed = Probe(path);
    EXPECT_EQ(probed.at("codec_name"), "h264");
    EXPECT_EQ(probed.at("nb_read_frames"), "20");
    const std::vector<std::string> frames = DecodeFrames(path, 0, 19);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GT(MeanDifference(frames[0], frames[1]), 0.5);

    // A folder that does not exist: named, with the reason, and a failure.
    const auto unwritable = dir / "no-such-folder" / "x.mp4";
    errors = Tool("--video " + Quoted(unwritable) + " --frames 2 --size 64x48", dir, run);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(errors.find(unwritable.string()), std::string::npos) << errors;
    EXPECT_NE(errors.find("No such file or directory"), std::string::npos) << errors;

    // A GPX file without a line to fly.
    std::ofstream(dir / "points.gpx") << "<gpx><wpt lat=\"35.3\" lon=\"138.6\"/></gpx>";
    errors = Tool("--video " + Quoted(dir / "none.mp4") + " --fly " + Quoted(dir / "points.gpx"), dir, run);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(errors.find("points.gpx"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(dir / "none.mp4"));

    // Usage errors: a flight without a video, a video with a picture.
    errors = Tool("--lang en --fly " + Quoted(dir / "track.gpx"), dir, run);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(errors.find("--fly needs --video"), std::string::npos) << errors;
    errors = Tool("--video " + Quoted(dir / "none.mp4") + " --out " + Quoted(dir / "x.png"), dir, run);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(errors.find("--video"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(dir / "none.mp4"));
}

}  // namespace
