// Every text the user sees has an English translation: lupdate, run over the
// sources and forms as the project runs it, merges into a copy of
// translations/vantorel_en.ts, and no message of the result may be left
// without a finished translation. A new tr() text, or a changed one, fails
// here until it is translated (`cmake --build BUILD --target update-translations`,
// then Qt Linguist or an editor).

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "vanished", "obsolete" or empty for a finished one
};

std::vector<Message> ReadMessages(const QString& path)
{
    std::vector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !messages.empty()) {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.empty()) {
            messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
            messages.back().translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// The %1, %2, ... that QString::arg fills in.
std::set<QString> Placeholders(const QString& text)
{
    static const QRegularExpression kPlaceholder(QStringLiteral("%L?[0-9]+"));
    std::set<QString> found;
    for (const QRegularExpressionMatch& match : kPlaceholder.globalMatch(text))
        found.insert(match.captured());
    return found;
}

TEST(Translations, EveryTextHasAFinishedEnglishTranslation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString merged = dir.filePath(QStringLiteral("vantorel_en.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VANTOREL_TS_FILE), merged));
    QFile::setPermissions(merged, QFile::ReadOwner | QFile::WriteOwner);

    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(VANTOREL_SOURCE_DIR));
    lupdate.start(QStringLiteral(VANTOREL_LUPDATE),
        QString::fromUtf8(VANTOREL_LUPDATE_ARGS).split(u'|') << QStringLiteral("-ts") << merged);
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const std::vector<Message> messages = ReadMessages(merged);
    int current = 0;
    for (const Message& message : messages) {
        // Texts no longer in the code need no translation.
        if (message.type == u"vanished" || message.type == u"obsolete")
            continue;
        ++current;
        SCOPED_TRACE((message.context + QStringLiteral(": ") + message.source).toStdString());
        EXPECT_TRUE(message.type.isEmpty()) << "no finished English translation";
        EXPECT_FALSE(message.translation.isEmpty());
        EXPECT_EQ(Placeholders(message.translation), Placeholders(message.source));
    }
    // The forms alone hold dozens of texts: an empty result means lupdate read nothing.
    EXPECT_GT(current, 20);
}

}  // namespace
