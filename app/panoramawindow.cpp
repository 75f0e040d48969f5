#include "app/panoramawindow.h"

#include <cmath>
#include <new>
#include <optional>
#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/savepicture.h"
#include "elevation/terrain.h"
#include "overlays/labelledpanorama.h"
#include "render/renderer.h"

namespace {

// A tenth of a degree a column, and 60 degrees from top to foot.
constexpr QSize kPanoramaSize{3600, 600};
constexpr int kProgressSteps = 1000;

// The name a panorama from `eye` is offered under.
QString PanoramaName(const RenderParams& params, const Viewpoint& eye)
{
    const QString view = ViewPictureName(params, eye);
    return view.left(view.lastIndexOf(QStringLiteral("_az"))) + QStringLiteral("_panorama.png");
}

}  // namespace

PanoramaWindow::PanoramaWindow(QWidget* parent, QImage panorama, PngTexts texts, QString name) :
    QDialog(parent), image_(std::move(panorama)), texts_(std::move(texts)), name_(std::move(name)),
    scroll_(new QScrollArea(this))
{
    //: The title of the window showing the panorama around the eye.
    setWindowTitle(QCoreApplication::translate("PanoramaWindow", "パノラマ"));
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(image_));
    scroll_->setWidget(picture);
    scroll_->setObjectName(QStringLiteral("panoramaScroll"));
    auto* save = new QPushButton(QCoreApplication::translate("PanoramaWindow", "保存…"), this);
    auto* close = new QPushButton(QCoreApplication::translate("PanoramaWindow", "閉じる"), this);
    connect(save, &QPushButton::clicked, this, [this] { AskAndSave(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll_);
    layout->addLayout(buttons);
    // As wide as the window it came from, as tall as the picture.
    const int frame = scroll_->frameWidth() * 2;
    resize(parent ? parent->width() : 1000,
        image_.height() + frame + scroll_->horizontalScrollBar()->sizeHint().height() + save->sizeHint().height() + 40);
}

void PanoramaWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The middle of the picture, where the eye looked, once the viewport has its width.
    QScrollBar* bar = scroll_->horizontalScrollBar();
    bar->setValue((bar->maximum() + bar->minimum()) / 2);
}

QString PanoramaWindow::SaveTo(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char* format = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ? "jpeg" : "png";
    const int error = WriteImage(image_, QFile::encodeName(path).toStdString(), format, texts_);
    if (error == 0)
        return {};
    return QCoreApplication::translate("SavePicture", "保存できません：") + path + QStringLiteral("\n") +
        WriteFailureReason(error);
}

void PanoramaWindow::AskAndSave()
{
    QString chosen;
    const QString path =
        QFileDialog::getSaveFileName(this, QCoreApplication::translate("PanoramaWindow", "パノラマを保存"), name_,
            QStringLiteral("PNG (*.png);;JPEG (*.jpg *.jpeg)"), &chosen);
    if (path.isEmpty())
        return;
    if (const QString message = SaveTo(path); !message.isEmpty())
        ShowMessage(message);
}

QImage DrawViewPanorama(MainWindow& window)
{
    if (!window.Model().HasLandscape())
        return {};
    // The drawing reads the landscape while the dialog keeps the window
    // alive: no set may arrive over it meanwhile.
    window.StopBackgroundLoad();
    QProgressDialog progress(QCoreApplication::translate("PanoramaWindow", "パノラマを描いています…"),
        QCoreApplication::translate("PanoramaWindow", "中止"), 0, kProgressSteps, &window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const ReliefPictures pictures = window.FramePictures();
    const PanoramaScene scene{
        *pictures.relief, *pictures.levels, window.Model().terrain->heightGrid.rows(), window.Model().params};
    // The way the eye looks in the middle, the way behind it at both ends.
    PanoramaRequest request{window.Model().eye.azimuth - 180, window.Model().eye.azimuth + 180, window.Model().eye};
    request.eye.pitch = 0;
    request.eye.viewAngle = 0;
    const std::vector<LabelSubject> none;
    const std::vector<LabelSubject>& subjects = window.Labels().shown() ? window.Labels().subjects() : none;
    try {
        const std::optional<LabelledPanorama> panorama = DrawLabelledPanorama(
            scene, request, window.FrameRenderer().settings, subjects, kPanoramaSize, [&progress](double done) {
                progress.setValue(int(done * kProgressSteps));
                return !progress.wasCanceled();
            });
        return panorama ? panorama->image : QImage();
    } catch (const std::bad_alloc&) {
        ShowMessage(QCoreApplication::translate("SavePicture", "メモリが足りません．"));
        return {};
    }
}

void AddPanoramaAction(MainWindow& window)
{
    MainWindow* w = &window;
    auto* action = new QAction(QCoreApplication::translate("PanoramaWindow", "パノラマ…"), window.Form().view3d);
    action->setObjectName(QStringLiteral("panoramaAction"));
    action->setShortcut(QKeySequence(Qt::Key_P));
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, w, [w] {
        const Viewpoint eye = w->Model().eye;
        const QImage panorama = DrawViewPanorama(*w);
        if (panorama.isNull())
            return;
        PngTexts texts = ViewPictureTexts(*w, eye, int32_t(std::lround(w->Model().shownAltitude)));
        texts.push_back({QStringLiteral("PanoramaFrom"), QString::number(eye.azimuth - 180, 'f', 1)});
        texts.push_back({QStringLiteral("PanoramaTo"), QString::number(eye.azimuth + 180, 'f', 1)});
        auto* shown = new PanoramaWindow(w, panorama, std::move(texts), PanoramaName(w->Model().params, eye));
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->show();
    });
    window.Form().view3d->addAction(action);
}
