#include "app/commandline.h"

#include <string_view>
#include <vector>

#include <QCoreApplication>

#include "app/language.h"
#include "app/sharedstate.h"
#include "core/optionscanner.h"

namespace {

enum Option {
    kHelp,
    kVersion,
    kLanguage,
};

constexpr OptionSpec kOptions[] = {
    {"--help", kHelp},
    {"-h", kHelp},
    {"--version", kVersion},
    {"--lang", kLanguage, true},
};

QByteArray BytesOf(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

CommandLine ParseCommandLine(const QByteArrayList& arguments)
{
    // Views into `arguments`' own bytes, which outlive the scan.
    std::vector<std::string_view> texts;
    for (const QByteArray& argument : arguments)
        texts.emplace_back(argument.constData(), std::size_t(argument.size()));

    CommandLine line;
    const auto fail = [&line](CommandLineError error, std::string_view argument) {
        if (line.error == CommandLineError::None) {
            line.error = error;
            line.errorArgument = QString::fromLocal8Bit(BytesOf(argument));
        }
    };
    const auto chooseLanguage = [&](std::string_view value) {
        const QString language = QString::fromLocal8Bit(BytesOf(value));
        if (IsOfferedLanguage(language))
            line.language = language;
        else
            fail(CommandLineError::UnknownLanguage, value);
    };
    for (const ScannedArgument& scanned : ScanArguments(texts, kOptions)) {
        switch (scanned.kind) {
        case ArgumentKind::Operand: line.tiles.append(BytesOf(scanned.text)); break;
        case ArgumentKind::Option:
            switch (scanned.id) {
            case kHelp: line.help = true; break;
            case kVersion: line.version = true; break;
            case kLanguage: chooseLanguage(scanned.text); break;
            }
            break;
        // --lang is the only option with a value: a line that ends with it chose no language.
        case ArgumentKind::MissingValue: chooseLanguage({}); break;
        case ArgumentKind::UnknownOption:
        case ArgumentKind::UnwantedValue: fail(CommandLineError::UnknownOption, scanned.text); break;
        }
    }
    return line;
}

QString UsageText()
{
    //: The text of vantorel --help. The option names stay as they are.
    return QCoreApplication::translate("CommandLine",
        "使い方：vantorel [オプション] [タイル_dem.tif]\n"
        "\n"
        "標高タイル（名前に「_dem.tif」を含む 3601×3601 のファイル）を3Dの風景と地図で表示します。\n"
        "タイルはウィンドウにドロップしても開けます。\n"
        "\n"
        "オプション：\n"
        "  --lang en|ja   表示する言語（指定がなければシステムの言語設定に従います）\n"
        "  -h, --help     この説明を表示して終了します\n"
        "  --version      バージョンを表示して終了します\n"
        "  --             これより後の引数はすべてファイル名です\n"
        "Qt のオプション（-platform、-display など）も使えます。\n");
}

QString VersionLine()
{
    return QStringLiteral("Ulvaren Vantorel ") + VersionText + u'\n';
}

QString ErrorText(const CommandLine& line)
{
    QString error;
    switch (line.error) {
    case CommandLineError::None: return {};
    case CommandLineError::UnknownOption:
        error = QCoreApplication::translate("CommandLine", "知らないオプションです：%1");
        break;
    case CommandLineError::UnknownLanguage:
        error = QCoreApplication::translate("CommandLine", "--lang には en か ja を指定してください（%1）");
        break;
    }
    return QStringLiteral("vantorel: ") + error.arg(line.errorArgument) + u'\n' +
        QCoreApplication::translate("CommandLine", "使い方は vantorel --help で表示されます。") + u'\n';
}
