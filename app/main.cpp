// Ulvaren Vantorel: one elevation tile as an interactive 3D landscape.
// The first argument that is not an option, if any, is a tile to open.

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QApplication>

#include "app/commandline.h"
#include "app/language.h"
#include "app/loadingwindow.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"

namespace {

constexpr int kUsageError = 2;  // as vantorel-render's

QByteArrayList ArgumentsOf(int argc, char* argv[])
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

int main(int argc, char* argv[])
{
    // --help, --version and errors in the line answer before anything asks
    // for a display, which the main application object does: the line is
    // read knowing Qt's options too.
    if (const CommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
        early.help || early.version || early.error != CommandLineError::None) {
        QCoreApplication app(argc, argv);
        SpeakChosenLanguage(early.language, "vantorel");
        if (early.error != CommandLineError::None) {
            Print(stderr, ErrorText(early));
            return kUsageError;
        }
        Print(stdout, early.help ? UsageText() : VersionLine());
        return EXIT_SUCCESS;
    }
    QApplication app(argc, argv);
    // Where the remembered choices (QSettings) are kept.
    QApplication::setOrganizationName(QStringLiteral("Ulvaren"));
    QApplication::setApplicationName(QStringLiteral("Vantorel"));
    // Read again once Qt has taken its own options (-platform, -style, ...).
    const CommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
    // Before the windows are made: their forms take their texts as they are built.
    SpeakChosenLanguage(commandLine.language, "vantorel");
    if (commandLine.error != CommandLineError::None) {
        Print(stderr, ErrorText(commandLine));
        return kUsageError;
    }
    try {
        // The loading window creates the run's large buffers, which the main
        // window's views draw from.
        LoadingWindow loadingWindow;
        // The tiles stay the system's bytes: a path need not be valid UTF-8.
        MainWindow mainWindow(loadingWindow, commandLine.tiles);
        mainWindow.show();
        // The main window starts as the active one, which opens the tile named
        // on the command line.
        mainWindow.activateWindow();
        return app.exec();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromLocal8Bit(error.what()));
    }
    return EXIT_FAILURE;
}
