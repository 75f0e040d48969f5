#include "app/version.h"

QString ProgramName()
{
    return QStringLiteral("Ulvaren Vantorel " VANTOREL_VERSION);
}
