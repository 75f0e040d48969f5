#pragma once
// Every message to the user goes through ShowMessage, a modal box with an OK
// button. Tests put their own sink in its place to see the text without a
// box that waits for a click.

#include <functional>

#include <QString>

using MessageSink = std::function<void(const QString& text)>;

void ShowMessage(const QString& text);

// Installs a sink and returns the one it replaces; an empty sink restores
// the modal box.
MessageSink SetMessageSink(MessageSink sink);
