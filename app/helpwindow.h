#pragma once
// F1: the keys and mouse actions, in two tables in a window of their own, in
// the window's language.

#include <vector>

#include <QDialog>
#include <QString>

// One line of a table: what to press or do, and what it does.
struct HelpLine {
    QString action;
    QString does;
};

std::vector<HelpLine> KeyHelpLines();
std::vector<HelpLine> MouseHelpLines();

class HelpWindow : public QDialog {
public:
    explicit HelpWindow(QWidget* parent);
};
