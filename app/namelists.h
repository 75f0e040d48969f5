#pragma once
// The lists of names the user has opened (OpenStreetMap extracts, GeoNames
// dumps, CSV lists): remembered across sessions, and read again for the area
// of each landscape loaded, on a thread of their own with the progress in a
// bar under the map; Esc stops them. What was read arrives on the GUI thread.

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArrayList>
#include <QRect>
#include <QStringList>

#include "app/backgroundjob.h"
#include "places/listreading.h"

class QProgressBar;
class QTimer;
class QWidget;

// What reading the lists for one area gave: the places of each list read,
// and what the user should hear of the lists that could not be read.
struct NameReading {
    std::shared_ptr<const std::vector<ListReading>> lists;
    GeoArea area;
    QStringList problems;
};

// True for a file the list readers take (placefiles.h), GPX aside. A .txt
// file counts only when its first line is a GeoNames entry, so that other
// text dropped is answered as a file that is no tile, and not remembered.
bool IsNameListFile(const QString& fileName);

class NameLists {
public:
    // `read` runs on the GUI thread with each reading delivered.
    explicit NameLists(std::function<void(NameReading)> read);

    void ShowProgressIn(QWidget* parent, QRect place);
    // The files remembered, as the system's bytes, in the order added.
    QByteArrayList Files() const;
    // Remembers the file, once; ReadFor then reads it.
    void Add(const QByteArray& nativePath);
    void Remove(const QByteArray& nativePath);
    // Reads every remembered list for `area`, in place of any reading under
    // way; nothing when the last reading was of the same files and area.
    void ReadFor(const GeoArea& area);
    // The lists of the last reading delivered, none before one.
    const std::vector<ListReading>& lists() const;
    // Stops the reading without waiting for its thread; whether one ran.
    bool Stop();
    bool Running() const { return job_.Running(); }
    const QProgressBar* bar() const { return bar_; }

private:
    void SaveFiles(const QByteArrayList& files) const;
    void ShowProgress();

    std::function<void(NameReading)> read_;
    BackgroundJob job_;
    NameReading last_;  // the last reading delivered
    QByteArrayList lastFiles_;  // what it was read from
    // Per mille of all the files being read, shared with the reading thread.
    std::shared_ptr<std::atomic<int>> progress_;
    QProgressBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
};
