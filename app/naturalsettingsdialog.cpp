#include "app/naturalsettingsdialog.h"

#include <cmath>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/sunmoment.h"

namespace {

constexpr int kHazeSteps = 100;
constexpr int kSnowLineMax = 9000;
constexpr int kSnowLineStep = 100;

}  // namespace

NaturalSettingsDialog::NaturalSettingsDialog(const NaturalSettings& settings, double longitude, QWidget* parent) :
    QDialog(parent), momentEdit(new QLineEdit(MomentText(settings.moment), this)),
    hazeSlider(new QSlider(Qt::Horizontal, this)), snowLineBox(new QSpinBox(this)), momentError_(new QLabel(this))
{
    setWindowTitle(tr("自然な見え方の設定"));
    auto* form = new QFormLayout;

    auto* noon = new QPushButton(tr("今日の正午"), this);
    connect(noon, &QPushButton::clicked, this,
        [this, longitude] { momentEdit->setText(MomentText(LocalNoonToday(longitude))); });
    auto* momentRow = new QHBoxLayout;
    momentRow->addWidget(momentEdit, 1);
    momentRow->addWidget(noon);
    //: The moment's form, as typed: date, time and the clock's offset from UTC.
    momentEdit->setToolTip(tr("年-月-日T時:分±時:分（UTCとの差）"));
    form->addRow(tr("日時："), momentRow);
    momentError_->setStyleSheet(QStringLiteral("color: red;"));
    momentError_->hide();
    form->addRow(QString(), momentError_);

    hazeSlider->setRange(0, kHazeSteps);
    hazeSlider->setValue(int(std::lround(settings.haze * kHazeSteps)));
    auto* hazeRow = new QHBoxLayout;
    hazeRow->addWidget(new QLabel(tr("澄んだ日"), this));
    hazeRow->addWidget(hazeSlider, 1);
    hazeRow->addWidget(new QLabel(tr("霞んだ日"), this));
    form->addRow(tr("かすみ："), hazeRow);

    snowLineBox->setRange(0, kSnowLineMax);
    snowLineBox->setSingleStep(kSnowLineStep);
    snowLineBox->setSuffix(QStringLiteral(" m"));
    snowLineBox->setValue(settings.snowLine);
    form->addRow(tr("雪線："), snowLineBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<NaturalSettings> NaturalSettingsDialog::Settings() const
{
    const std::optional<CivilTime> moment = ParseCivilTime(momentEdit->text().trimmed().toStdString());
    if (!moment)
        return std::nullopt;
    return NaturalSettings{*moment, double(hazeSlider->value()) / kHazeSteps, snowLineBox->value()};
}

void NaturalSettingsDialog::accept()
{
    if (!Settings()) {
        //: Shown under a moment that cannot be read.
        momentError_->setText(tr("「2026-06-21T07:00+09:00」の形で入力してください．"));
        momentError_->show();
        return;
    }
    QDialog::accept();
}
