#pragma once
// Texts the user is shown, written in Japanese in the Qt-free libraries and
// translated by the Qt side under their context. lupdate reads UserText as
// QT_TRANSLATE_NOOP (the project's lupdate options say so), which keeps these
// libraries free of Qt.

#include <string_view>

constexpr std::string_view UserText(const char* /*context*/, std::string_view text)
{
    return text;
}
