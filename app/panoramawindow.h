#pragma once
// The labelled 360-degree panorama from the eye (key P): drawn with a
// progress dialog that Esc stops, shown in a window of its own that scrolls
// round the horizon, and saved as PNG or JPEG with the view's texts.

#include <QDialog>
#include <QImage>

#include "overlays/bitmapimage.h"

class MainWindow;
class QScrollArea;

class PanoramaWindow : public QDialog {
public:
    // Shows `panorama` (the eye's way in its middle) scrolled to its middle;
    // saves carry `texts`, and are offered under `name`.
    PanoramaWindow(QWidget* parent, QImage panorama, PngTexts texts, QString name);

    const QImage& image() const { return image_; }
    // Writes the panorama to `path`, as JPEG for a .jpg or .jpeg name and
    // otherwise as PNG: empty when written, else the message for the user.
    QString SaveTo(const QString& path) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AskAndSave();

    QImage image_;
    PngTexts texts_;
    QString name_;
    QScrollArea* scroll_;
};

// The panorama of the landscape on screen, all round the eye with the way it
// looks in the middle: none when the user stopped it or there was no memory
// (said).
QImage DrawViewPanorama(MainWindow& window);

// P, and the 3D view's menu, open the panorama window.
void AddPanoramaAction(MainWindow& window);
