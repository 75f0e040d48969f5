// The main window's natural look: its menu entries, its keys' handlers, the
// sun's slider under the map and the settings dialog. Every change is drawn
// at once; a new relief, built in the background, is drawn when it arrives.

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QSignalBlocker>

#include "app/mainwindow.h"
#include "app/naturalsettingsdialog.h"
#include "app/sunmoment.h"
#include "elevation/terrain.h"

namespace {

constexpr int kSliderStepMinutes = 10;
constexpr int kSliderPageMinutes = 60;

}  // namespace

void MainWindow::SetUpNaturalLook()
{
    natural_.Restore();
    natural_.DefaultMomentAt(model_.eye.longitude);

    auto* separator = new QAction(ui_.view3d);
    separator->setSeparator(true);
    ui_.view3d->addAction(separator);
    naturalAction_ = new QAction(QCoreApplication::translate("NaturalLook", "自然な見え方"), ui_.view3d);
    naturalAction_->setCheckable(true);
    naturalAction_->setShortcut(QKeySequence(Qt::Key_N));
    connect(naturalAction_, &QAction::triggered, this, &MainWindow::ToggleNaturalLook);
    ui_.view3d->addAction(naturalAction_);
    auto* settings = new QAction(QCoreApplication::translate("NaturalLook", "自然な見え方の設定…"), ui_.view3d);
    connect(settings, &QAction::triggered, this, &MainWindow::ShowNaturalSettings);
    ui_.view3d->addAction(settings);

    ui_.sunSlider->setRange(0, kMinutesPerDay - 1);
    ui_.sunSlider->setSingleStep(kSliderStepMinutes);
    ui_.sunSlider->setPageStep(kSliderPageMinutes);
    //: The sun's slider under the map: the time of day, and the keys that step it.
    ui_.sunSlider->setToolTip(QCoreApplication::translate("NaturalLook", "太陽の時刻（Alt+← / Alt+→で10分ずつ）"));
    connect(ui_.sunSlider, &QSlider::valueChanged, this, &MainWindow::SetSunMinuteOfDay);
    ShowNaturalControls();
}

void MainWindow::ShowNaturalControls()
{
    const bool natural = natural_.natural();
    naturalAction_->setChecked(natural);
    ui_.sunSlider->setVisible(natural);
    ui_.sunClock->setVisible(natural);
    const QSignalBlocker quiet(ui_.sunSlider);
    ui_.sunSlider->setValue(MinuteOfDay(natural_.moment()));
    //: The clock under the map: the date (month-day) and time of day of the natural look's sun.
    ui_.sunClock->setText(
        QCoreApplication::translate("NaturalLook", "太陽 %1").arg(DayAndClockText(natural_.moment())));
    ui_.sunClock->adjustSize();
    ui_.sunClock->setToolTip(MomentText(natural_.moment()));
}

ReliefPictures MainWindow::FramePictures() const
{
    return natural_.Pictures(*model_.terrain);
}

void MainWindow::ToggleNaturalLook()
{
    natural_.SetLook(natural_.natural() ? Look::Classic : Look::Natural);
    ShowNaturalControls();
    PaintView3d();
}

void MainWindow::StepSun(int minutes)
{
    natural_.StepMinutes(minutes);
    ShowNaturalControls();
    PaintView3d();
}

void MainWindow::SetSunMinuteOfDay(int minute)
{
    natural_.SetMoment(AtMinuteOfDay(natural_.moment(), minute));
    ShowNaturalControls();
    PaintView3d();
}

void MainWindow::ShowNaturalSettings()
{
    NaturalSettingsDialog dialog({natural_.moment(), natural_.haze(), natural_.snowLine()},
        model_.params.columns != 0 ? model_.params.centreLon : model_.eye.longitude, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<NaturalSettings> chosen = dialog.Settings();
    if (!chosen)
        return;
    if (MomentText(chosen->moment) != MomentText(natural_.moment()))
        natural_.SetMoment(chosen->moment);
    natural_.SetHaze(chosen->haze);
    natural_.SetSnowLine(chosen->snowLine);
    ShowNaturalControls();
    PaintView3d();
}
