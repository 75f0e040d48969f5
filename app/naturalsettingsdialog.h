#pragma once
// The natural look's settings: the moment of its sun (date, time and UTC
// offset, as vantorel-render's --sun reads them), its haze and its snow line.

#include <cstdint>
#include <optional>

#include <QDialog>

#include "core/sunposition.h"

class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

struct NaturalSettings {
    CivilTime moment;
    double haze = 0;  // 0 clear .. 1 hazy
    int32_t snowLine = 0;  // metres
};

class NaturalSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // `longitude` sets the clock of the "today's noon" button.
    NaturalSettingsDialog(const NaturalSettings& settings, double longitude, QWidget* parent = nullptr);

    // What the dialog holds; nothing while its moment cannot be read.
    std::optional<NaturalSettings> Settings() const;

    void accept() override;

    QLineEdit* momentEdit;
    QSlider* hazeSlider;
    QSpinBox* snowLineBox;

private:
    QLabel* momentError_;
};
