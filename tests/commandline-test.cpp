// The programs' command-line convention (core/optionscanner.h) and the
// viewer's reading of its line with it; vantorel-render's is run in
// rendertool-test.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/commandline.h"
#include "core/optionscanner.h"

#include <sys/wait.h>

namespace {

enum Id {
    kFlag,
    kValue,
    kMaybe,
};

constexpr OptionSpec kSpecs[] = {
    {"--flag", kFlag}, {"-f", kFlag}, {"--value", kValue, true}, {"--maybe", kMaybe, false, true}};

// Each scanned argument as one readable word: "option 1=x", "operand y",
// "unknown --z", "missing --value", "unwanted --flag=1".
std::vector<std::string> Scan(std::vector<std::string_view> arguments)
{
    std::vector<std::string> words;
    for (const ScannedArgument& a : ScanArguments(arguments, kSpecs)) {
        const std::string text(a.text);
        switch (a.kind) {
        case ArgumentKind::Option:
            words.push_back("option " + std::string(a.option) + " " + std::to_string(a.id) + "=" + text);
            break;
        case ArgumentKind::Operand: words.push_back("operand " + text); break;
        case ArgumentKind::UnknownOption: words.push_back("unknown " + text); break;
        case ArgumentKind::MissingValue: words.push_back("missing " + std::string(a.option)); break;
        case ArgumentKind::UnwantedValue: words.push_back("unwanted " + text); break;
        }
    }
    return words;
}

using Words = std::vector<std::string>;

TEST(OptionScanner, OptionsAndOperandsInAnyOrderWithValuesInEitherForm)
{
    EXPECT_EQ(Scan({"a", "--flag", "--value", "1", "b", "--value=2", "-f", "--value="}),
        (Words{"operand a", "option --flag 0=", "option --value 1=1", "operand b", "option --value 1=2",
            "option -f 0=", "option --value 1="}));
    // A value is the next argument whatever it begins with, or all after the first '='.
    EXPECT_EQ(Scan({"--value", "--flag", "--value=-x=y"}), (Words{"option --value 1=--flag", "option --value 1=-x=y"}));
}

TEST(OptionScanner, AnOptionalValueComesOnlyAfterAnEqualsSign)
{
    EXPECT_EQ(Scan({"--maybe", "a", "--maybe=1,2", "--maybe="}),
        (Words{"option --maybe 2=", "operand a", "option --maybe 2=1,2", "option --maybe 2="}));
}

TEST(OptionScanner, DoubleDashEndsTheOptionsAndALoneDashIsAnOperand)
{
    EXPECT_EQ(Scan({"-", "--flag", "--", "--flag", "--", "-f"}),
        (Words{"operand -", "option --flag 0=", "operand --flag", "operand --", "operand -f"}));
}

TEST(OptionScanner, ProblemsNameTheirArgumentAndTheScanGoesOn)
{
    EXPECT_EQ(Scan({"--nope", "--nope=1", "-x", "--flag=1", "-f=1", "--fla", "a", "--value"}),
        (Words{"unknown --nope", "unknown --nope=1", "unknown -x", "unwanted --flag=1", "unknown -f=1", "unknown --fla",
            "operand a", "missing --value"}));
}

TEST(ViewerCommandLine, LanguageInEitherFormAndTilesAfterTheDoubleDash)
{
    CommandLine line = ParseCommandLine({"--lang=en", "a_dem.tif"});
    EXPECT_EQ(line.language, QStringLiteral("en"));
    EXPECT_EQ(line.tiles, (QByteArrayList{"a_dem.tif"}));
    EXPECT_EQ(line.error, CommandLineError::None);

    line = ParseCommandLine({"--lang", "ja", "-", "--", "--help", "-x", "b\xff_dem.tif"});
    EXPECT_EQ(line.language, QStringLiteral("ja"));
    EXPECT_FALSE(line.help);
    EXPECT_EQ(line.tiles, (QByteArrayList{"-", "--help", "-x", "b\xff_dem.tif"}));
    EXPECT_EQ(line.error, CommandLineError::None);
}

TEST(ViewerCommandLine, TheFirstProblemIsNamedAndHelpStillAnswers)
{
    CommandLine line = ParseCommandLine({"--bogus=1", "--lang", "xx", "--help", "--version"});
    EXPECT_EQ(line.error, CommandLineError::UnknownOption);
    EXPECT_EQ(line.errorArgument, QStringLiteral("--bogus=1"));
    EXPECT_TRUE(ErrorText(line).contains(QStringLiteral("--bogus=1")));
    EXPECT_TRUE(line.help);
    EXPECT_TRUE(line.version);

    line = ParseCommandLine({"--help=1"});
    EXPECT_EQ(line.error, CommandLineError::UnknownOption);
    EXPECT_EQ(line.errorArgument, QStringLiteral("--help=1"));
    EXPECT_FALSE(line.help);

    line = ParseCommandLine({"--lang=fr", "--lang"});
    EXPECT_EQ(line.error, CommandLineError::UnknownLanguage);
    EXPECT_EQ(line.errorArgument, QStringLiteral("fr"));
    line = ParseCommandLine({"a_dem.tif", "--lang"});
    EXPECT_EQ(line.error, CommandLineError::UnknownLanguage);
    EXPECT_EQ(line.errorArgument, QString());
    EXPECT_TRUE(line.language.isEmpty());
}

TEST(ViewerCommandLine, QtsOwnOptionsAreKnownSoTheLineIsReadBeforeTheApplication)
{
    CommandLine line = ParseCommandLine({"-platform", "offscreen", "-style", "fusion", "-reverse", "a_dem.tif"});
    EXPECT_EQ(line.error, CommandLineError::None);
    EXPECT_EQ(line.tiles, (QByteArrayList{"a_dem.tif"}));
    line = ParseCommandLine({"-platform", "offscreen", "--bogus-option", "a_dem.tif"});
    EXPECT_EQ(line.error, CommandLineError::UnknownOption);
    EXPECT_EQ(line.errorArgument, QStringLiteral("--bogus-option"));
}

struct ViewerRun {
    int status = -1;
    std::string out;  // standard output and error together
};

// The viewer as a user starts it, without any display: no X or Wayland
// server and no platform chosen, so that anything asking for one fails.
ViewerRun RunViewer(const std::string& environment, const std::string& arguments)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LANGUAGE -u LC_ALL "
                                "-u LC_MESSAGES -u LANG " +
        environment + " " + VANTOREL_VIEWER + " " + arguments + " 2>&1";
    ViewerRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool Says(const ViewerRun& run, const std::string& text)
{
    return run.out.find(text) != std::string::npos;
}

TEST(ViewerCommandLine, OptionErrorsAreUsageErrorsWithoutADisplayInTheUsersLanguage)
{
    ViewerRun run = RunViewer("LANGUAGE=en", "--bogus-option");
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(Says(run, "vantorel: unknown option: --bogus-option")) << run.out;
    EXPECT_TRUE(Says(run, "vantorel --help")) << run.out;
    EXPECT_FALSE(Says(run, "platform")) << run.out;

    run = RunViewer("LANG=ja_JP.UTF-8", "a_dem.tif --nope=1");
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(Says(run, "vantorel: 知らないオプションです：--nope=1")) << run.out;

    // --lang wins over the system's language, in either direction.
    run = RunViewer("LANGUAGE=en", "--lang ja --bogus");
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(Says(run, "知らないオプションです：--bogus")) << run.out;
    run = RunViewer("LANG=ja_JP.UTF-8", "--lang=xx");
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_TRUE(Says(run, "--lang には en か ja を指定してください（xx）")) << run.out;
}

TEST(ViewerCommandLine, HelpListsEveryProductGpxListsAndKeysInBothLanguages)
{
    for (const char* environment : {"LANGUAGE=en", "LANG=ja_JP.UTF-8"}) {
        const ViewerRun run = RunViewer(environment, "--help");
        EXPECT_EQ(run.status, 0) << environment;
        for (const char* said : {"ASTER GDEM", "SRTM", "NASADEM", "Copernicus DEM", "ALOS World 3D", "GeoTIFF", ".gpx",
                 ".osm.pbf", "GeoNames", "CSV", "PageUp", "Ctrl+O", "Ctrl+G", "F1", "--lang"})
            EXPECT_TRUE(Says(run, said)) << environment << " lacks " << said;
    }
    EXPECT_TRUE(Says(RunViewer("LANGUAGE=en", "--help"), "Usage: vantorel"));
    EXPECT_TRUE(Says(RunViewer("LANG=ja_JP.UTF-8", "--help"), "使い方：vantorel"));
    EXPECT_TRUE(Says(RunViewer("", "--help --lang en"), "Usage: vantorel"));
}

}  // namespace
