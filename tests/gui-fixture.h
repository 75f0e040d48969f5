#pragma once
// Shared set-up of the GUI tests: the real loading and main windows, each
// test's window with a model of its own on a clock the test moves, messages
// caught instead of shown in a modal box, and tiles under names the tests
// choose.

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
#include "app/viewermodel.h"

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

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessageSink([this](const QString& text) { messages.append(text); });
        // Every test starts from the choices of a first session.
        QSettings().clear();
        ASSERT_TRUE(dir.isValid());
    }

    void TearDown() override
    {
        mainWindow.reset();
        SetMessageSink({});
    }

    // The main window, shown on the offscreen screen, at its start size.
    MainWindow& MakeForm(QStringList commandLine = {})
    {
        mainWindow = std::make_unique<MainWindow>(TheLoadingWindow(), NativePaths(commandLine));
        mainWindow->Model().SetClock([this] { return ticks; });
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

    // The state of the window made last.
    ViewerModel& Model() { return mainWindow->Model(); }
    const ViewerModel& Model() const { return mainWindow->Model(); }
    // The frames its 3D view has drawn.
    int32_t Frames() const { return int32_t(mainWindow->Rate().frames()); }

    QTemporaryDir dir;
    QStringList messages;
    // The windows' clock, which moves only when a test says so.
    uint32_t ticks = 0;
    std::unique_ptr<MainWindow> mainWindow;
};
