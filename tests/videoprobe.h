#pragma once
// Videos as FFmpeg's own programs read them, for the tests of the videos we
// write: ffprobe's figures, and frames decoded by ffmpeg.

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct CommandRun {
    int status = -1;
    std::string out;
};

// A shell command's standard output and exit status.
inline CommandRun RunCommand(const std::string& command)
{
    CommandRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 65536> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "'" + string.
inline std::string Quoted(const std::filesystem::path& path)
{
    std::string text = "'";
    text += path.string();
    text += '\'';
    return text;
}

inline std::string FileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// What ffprobe finds in the first video stream, decoding every frame to
// count them.
inline std::map<std::string, std::string> Probe(const std::filesystem::path& video)
{
    const CommandRun run = RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                      "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames "
                                      "-of default=noprint_wrappers=1 " +
        Quoted(video));
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    return fields;
}

// Frames `a` and `b` decoded by ffmpeg, grey, scaled to 160 x 90.
inline std::vector<std::string> DecodeFrames(const std::filesystem::path& video, int a, int b)
{
    constexpr std::size_t kFrameBytes = 160 * 90;
    const CommandRun run = RunCommand("ffmpeg -v error -i " + Quoted(video) + " -vf 'select=eq(n\\," +
        std::to_string(a) + ")+eq(n\\," + std::to_string(b) + "),scale=160:90' -vsync 0 -f rawvideo -pix_fmt gray -");
    std::vector<std::string> frames;
    for (std::size_t at = 0; at + kFrameBytes <= run.out.size(); at += kFrameBytes)
        frames.push_back(run.out.substr(at, kFrameBytes));
    return frames;
}
