#pragma once
// What the user is told when a file cannot be opened: the file named, then
// why, in the language installed (overlays/translation.h). The viewer's
// message boxes and vantorel-render's standard error say the same texts.

#include <string_view>

#include <QByteArray>
#include <QString>

#include "elevation/tileerror.h"
#include "places/listproblem.h"

// A text the Qt-free libraries marked with UserText, translated under its
// context.
QString TranslatedUserText(const char* context, std::string_view text);

// A path as the system's bytes, as the user is shown it.
QString ShownFileName(const QByteArray& nativePath);
QString ShownFileName(std::string_view nativePath);

// "Could not open FILE: WHY", for any kind of file.
QString CannotOpenText(const QString& file, const QString& why);

// An elevation file refused (not found, not readable, not an elevation
// file, wrong size, unsupported samples, damaged, ...).
QString TileRefusalText(TileError error, const QString& file);

// A list of names refused as a whole, or a line of it left out:
// "Could not open FILE: WHY" or "FILE:LINE: WHY (DETAIL)".
QString ListProblemText(const QString& file, const ListProblem& problem);
