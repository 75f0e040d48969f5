#pragma once
// The program's name with its version, as the build gives it: in the
// window's title, saved pictures and vantorel --version.

#include <QString>

QString ProgramName();
