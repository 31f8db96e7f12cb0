#pragma once
// Stand-in for the page viewer until the shared viewer is embedded: it holds
// the page bitmap, the scale box and the brightness counter with the members
// the windows call, and shows the page scaled in a label.

#include "ui/image/bitmap.h"

#include <QPoint>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace rida::lookup {

class PlaceholderViewer : public QWidget {
    Q_OBJECT
public:
    explicit PlaceholderViewer(QWidget* parent = nullptr);

    image::Bitmap& page() { return page_; }
    // Throws image::ImageError; the page is then empty.
    void loadPage(const QString& path);
    void clearPage();
    void selectScaleEntry(int index);
    void resetPanMode() { PanAllowed = true; }
    void resetBrightness();
    void stepScale(int direction);
    void magnifierCommand() {}
    void cancelCommand() {}
    void ImgViewClick();
    void ScaleComboChange();
    double scale() const { return scale_; }

    bool PanAllowed = false;
    QLabel* ImgView = nullptr;
    QComboBox* ScaleCombo = nullptr;
    QLineEdit* bright = nullptr;

private:
    void render();
    image::Bitmap page_;
    double scale_ = 1.0;
};

} // namespace rida::lookup
