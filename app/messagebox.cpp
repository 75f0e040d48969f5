#include "app/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void ShowModalBox(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
        QApplication::activeWindow());
    box.exec();
}

MessageSink& CurrentSink()
{
    static MessageSink sink = ShowModalBox;
    return sink;
}

}  // namespace

void ShowMessage(const QString& text)
{
    CurrentSink()(text);
}

MessageSink SetMessageSink(MessageSink sink)
{
    MessageSink previous = std::move(CurrentSink());
    CurrentSink() = sink ? std::move(sink) : MessageSink(ShowModalBox);
    return previous;
}
