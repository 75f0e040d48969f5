#include "app/commandline.h"

#include <string_view>
#include <vector>

#include <QCoreApplication>

#include "app/language.h"
#include "app/version.h"
#include "core/optionscanner.h"

namespace {

enum Option {
    kHelp,
    kVersion,
    kLanguage,
    kQtOption,  // one of Qt's own, which QApplication takes out of the line
};

// Qt's own options (QGuiApplication's and QApplication's) are known too: the
// line is read before the application, so that an error needs no display.
constexpr OptionSpec kOptions[] = {
    {"--help", kHelp},
    {"-h", kHelp},
    {"--version", kVersion},
    {"--lang", kLanguage, true},
    {"-platform", kQtOption, true},
    {"-platformpluginpath", kQtOption, true},
    {"-platformtheme", kQtOption, true},
    {"-plugin", kQtOption, true},
    {"-qwindowgeometry", kQtOption, true},
    {"-qwindowicon", kQtOption, true},
    {"-qwindowtitle", kQtOption, true},
    {"-display", kQtOption, true},
    {"-geometry", kQtOption, true},
    {"-title", kQtOption, true},
    {"-name", kQtOption, true},
    {"-session", kQtOption, true},
    {"-style", kQtOption, true},
    {"-stylesheet", kQtOption, true},
    {"-qmljsdebugger", kQtOption, true},
    {"-reverse", kQtOption},
    {"-widgetcount", kQtOption},
    {"-nograb", kQtOption},
    {"-dograb", kQtOption},
    {"-sync", kQtOption},
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
            case kQtOption: break;
            }
            break;
        // A line that ends with --lang chose no language; one that ends with
        // a Qt option that needs a value is Qt's to refuse.
        case ArgumentKind::MissingValue:
            if (scanned.id == kLanguage)
                chooseLanguage({});
            break;
        case ArgumentKind::UnknownOption:
        case ArgumentKind::UnwantedValue: fail(CommandLineError::UnknownOption, scanned.text); break;
        }
    }
    return line;
}

QString UsageText()
{
    //: The text of vantorel --help. The option names, product names, file names and key names stay as they are.
    return QCoreApplication::translate("CommandLine",
        "使い方：vantorel [オプション] [ファイル…]\n"
        "\n"
        "標高タイルを3Dの風景と地図で表示します。引数のうち最初の標高タイル（またはフォルダ）を開き，\n"
        "続くGPXファイルと山名リストをその上に表示します。ファイルはウィンドウにドロップするか，\n"
        "Ctrl+O でも開けます。\n"
        "\n"
        "開ける標高タイル（緯度経度1度分）：\n"
        "  ASTER GDEM v2/v3（…_dem.tif），SRTM 1秒・3秒と NASADEM（.hgt，.hgt.zip，NASADEM_HGT_….zip），\n"
        "  Copernicus DEM GLO-30・GLO-90（Copernicus_DSM_….tif），ALOS World 3D 30m（ALPSMLC30_…_DSM.tif），\n"
        "  緯度経度で位置の分かる1度分の GeoTIFF（int16，uint16，float32 の1バンド）。\n"
        "  フォルダを指定すると，中央に最も近いタイルを開きます。同じフォルダの隣のタイルは結合されます。\n"
        "GPXファイル（.gpx）：トラック，ルート，ウェイポイントを表示します（F でトラックに沿って飛びます）。\n"
        "山名リスト：OpenStreetMap（.osm，.osm.pbf，.osm.gz，.osm.bz2），GeoNames（.txt），\n"
        "  CSV（名前,緯度,経度[,標高]）。\n"
        "\n"
        "オプション：\n"
        "  --lang en|ja   表示する言語（指定がなければシステムの言語設定に従います）\n"
        "  -h, --help     この説明を表示して終了します\n"
        "  --version      バージョンを表示して終了します\n"
        "  --             これより後の引数はすべてファイル名です\n"
        "Qt のオプション（-platform，-display など）も使えます。\n"
        "\n"
        "キー：\n"
        "  ↑ ↓ ← →           前進・後退，左右に向きを変える\n"
        "  PageUp/PageDown   上昇・下降\n"
        "  + -               視野角を狭める・広げる\n"
        "  [ ]               高さの強調を弱める・強める\n"
        "  Home              最初の視点に戻る\n"
        "  Space             回転デモの開始・停止\n"
        "  L                 山名の表示を切り替える\n"
        "  N                 自然な見た目を切り替える（Alt+← → で太陽を10分動かす）\n"
        "  C                 地球の丸みを切り替える\n"
        "  F                 GPXトラックに沿って飛ぶ・止める\n"
        "  Delete            GPXファイルを閉じる\n"
        "  Esc               GPXファイルや山名リストの読み込みを止める\n"
        "  Ctrl+O            ファイルを開く\n"
        "  Ctrl+G            地点へ移動する\n"
        "  Ctrl+S            3D画像を保存する（Ctrl+Shift+S で陰影図）\n"
        "  Ctrl+C            3D画像をコピーする\n"
        "  Ctrl+Shift+N      山名リストの一覧\n"
        "  F11               全画面表示の切り替え\n"
        "  F1                キーの一覧\n"
        "\n"
        "終了コード：0 正常，2 コマンドラインの誤り。\n");
}

QString VersionLine()
{
    return ProgramName() + u'\n';
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
