#pragma once
// The viewer's command line: its options, and the tiles to open as the
// system's bytes, so that names that are not UTF-8 open.

#include <QByteArrayList>
#include <QString>

enum class CommandLineError {
    None,
    UnknownOption,
    UnknownLanguage,  // --lang with something else than en or ja, or nothing
};

struct CommandLine {
    bool help = false;  // --help or -h
    bool version = false;  // --version
    QString language;  // from --lang; empty for the system's choice
    QByteArrayList tiles;  // every argument that is not an option, in order
    CommandLineError error = CommandLineError::None;  // the first one met
    QString errorArgument;  // what it was met in
};

// `arguments` come after the program name, Qt's own options already taken
// out, read by the programs' convention (core/optionscanner.h): options may
// stand anywhere before "--", "--lang en" or "--lang=en"; every argument
// after "--" is a tile, so that a file named like an option can still be
// opened.
CommandLine ParseCommandLine(const QByteArrayList& arguments);

// What --help and --version print, in the application's language.
QString UsageText();
QString VersionLine();
// The error, and a line pointing at --help; empty when there is none. Made
// when asked, so that it comes in the language chosen after the parse.
QString ErrorText(const CommandLine& line);
