#pragma once
// Shared set-up of the GUI tests: the real loading and main windows, the
// program-wide state put back to its start values, messages caught instead
// of shown in a modal box, and tiles under names the tests choose.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "app/loadingwindow.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/sharedstate.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << list.join(QStringLiteral(" | ")).toStdString();
}
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
inline void PrintTo(const QPoint& p, std::ostream* os)
{
    *os << '(' << p.x() << ',' << p.y() << ')';
}
inline void PrintTo(const QSize& s, std::ostream* os)
{
    *os << s.width() << 'x' << s.height();
}
inline void PrintTo(const QColor& c, std::ostream* os)
{
    *os << c.name().toStdString();
}

// Names as the system's bytes, as the viewer's command line gets them.
inline QByteArrayList NativePaths(const QStringList& names)
{
    QByteArrayList paths;
    for (const QString& name : names)
        paths.append(QFile::encodeName(name));
    return paths;
}

// The English translation for one test, as the viewer installs it under an
// English system.
class InEnglish {
public:
    InEnglish()
    {
        EXPECT_TRUE(translator_.load(QStringLiteral("vantorel_en"), QStringLiteral(":/i18n")));
        QCoreApplication::installTranslator(&translator_);
    }
    ~InEnglish() { QCoreApplication::removeTranslator(&translator_); }
    InEnglish(const InEnglish&) = delete;
    InEnglish& operator=(const InEnglish&) = delete;

private:
    QTranslator translator_;
};

// The loading window lives as long as the test program, as in the viewer.
inline LoadingWindow& TheLoadingWindow()
{
    static LoadingWindow* window = new LoadingWindow;
    return *window;
}

// A clock that moves only when a test says so.
inline uint32_t FakeTicks = 0;
inline uint32_t FakeTickSource()
{
    return FakeTicks;
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheViewpoint = {};
        TheRenderParams = {};
        TheTileSet = {};
        ShownAltitude = 0;
        CursorX = CursorY = 0;
        RateFrameCount = 0;
        RateTicks = {};
        FakeTicks = 0;
        SetTickSource(FakeTickSource);
        SetMessageSink([this](const QString& text) { messages.append(text); });
        // Every test starts from the choices of a first session.
        QSettings().clear();
        ASSERT_TRUE(dir.isValid());
    }

    void TearDown() override
    {
        mainWindow.reset();
        SetMessageSink({});
        SetTickSource(nullptr);
    }

    // The main window, shown on the offscreen screen, at its start size.
    MainWindow& MakeForm(QStringList commandLine = {})
    {
        mainWindow = std::make_unique<MainWindow>(TheLoadingWindow(), NativePaths(commandLine));
        mainWindow->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(mainWindow.get()));
        return *mainWindow;
    }

    // The sample tile under another name (the name gives the tile's place).
    QString SampleAs(const QString& name)
    {
        const QString path = dir.filePath(name);
        if (!QFile::exists(path)) {
            EXPECT_TRUE(QFile::link(QStringLiteral(VANTOREL_SAMPLE_TILE), path));
        }
        return path;
    }

    QString TextFile(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a tile\n");
        return path;
    }

    QTemporaryDir dir;
    QStringList messages;
    std::unique_ptr<MainWindow> mainWindow;
};
