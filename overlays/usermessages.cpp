#include "overlays/usermessages.h"

#include <QCoreApplication>
#include <QFile>

QString TranslatedUserText(const char* context, std::string_view text)
{
    return QCoreApplication::translate(context, QByteArray(text.data(), qsizetype(text.size())).constData());
}

QString ShownFileName(const QByteArray& nativePath)
{
    return QFile::decodeName(nativePath);
}

QString ShownFileName(std::string_view nativePath)
{
    return ShownFileName(QByteArray(nativePath.data(), qsizetype(nativePath.size())));
}

QString CannotOpenText(const QString& file, const QString& why)
{
    //: A file that could not be opened (%1, its path) and why (%2, a whole sentence).
    return QCoreApplication::translate("Refusal", "%1 を開けませんでした：%2").arg(file, why);
}

QString TileRefusalText(TileError error, const QString& file)
{
    return CannotOpenText(file, TranslatedUserText("TileError", TileErrorMessage(error)));
}

QString ListProblemText(const QString& file, const ListProblem& problem)
{
    QString why = TranslatedUserText("PlaceList", ListProblemReason(problem.kind));
    if (!problem.detail.empty())
        why += QStringLiteral(" (") + QString::fromStdString(problem.detail) + u')';
    if (problem.line <= 0)
        return CannotOpenText(file, why);
    return file + u':' + QString::number(problem.line) + QStringLiteral(": ") + why;
}
