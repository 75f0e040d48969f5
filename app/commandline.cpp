#include "app/commandline.h"

#include <QCoreApplication>

#include "app/language.h"
#include "app/sharedstate.h"

namespace {

const char* const kLanguageOption = "--lang";

}  // namespace

CommandLine ParseCommandLine(const QByteArrayList& arguments)
{
    CommandLine line;
    const auto fail = [&line](CommandLineError error, const QByteArray& argument) {
        if (line.error == CommandLineError::None) {
            line.error = error;
            line.errorArgument = QString::fromLocal8Bit(argument);
        }
    };
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            line.tiles.append(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (argument == kLanguageOption || argument.startsWith(QByteArray(kLanguageOption) + '=')) {
            QByteArray value;
            if (argument == kLanguageOption) {
                if (i + 1 < arguments.size())
                    value = arguments[++i];
            } else {
                value = argument.mid(qsizetype(qstrlen(kLanguageOption)) + 1);
            }
            const QString language = QString::fromLocal8Bit(value);
            if (IsOfferedLanguage(language))
                line.language = language;
            else
                fail(CommandLineError::UnknownLanguage, value);
        } else {
            fail(CommandLineError::UnknownOption, argument);
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
