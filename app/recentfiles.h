#pragma once
// The files opened lately, tiles, GPX files and lists of names alike,
// remembered across sessions (QSettings), newest first, for the open
// button's menu.

#include <QByteArray>
#include <QByteArrayList>

// At most this many are kept.
inline constexpr int kRecentFilesKept = 10;

// The files, as the system's bytes, newest first.
QByteArrayList RecentFiles();
// Puts the file first, once.
void RememberRecentFile(const QByteArray& nativePath);
void ForgetRecentFiles();
