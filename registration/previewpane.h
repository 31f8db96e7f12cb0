#pragma once
// The image viewer panel "이미지 뷰어" of the registration window: the page
// view with this window's tool bar (scale box "화면비율", smoothing "화면보정",
// magnifier "돋보기" with its magnification slider, "취소", "90˚", "180˚") and
// the view's four-item popup menu.

#include "ui/image/bitmap.h"

#include <QGroupBox>

#include <filesystem>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;

namespace rida::registration {

class PreviewPane : public QGroupBox {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    QComboBox* ScaleCombo;
    QCheckBox* ImageInterpolate;   // "화면보정"
    QPushButton* magnifierButton;  // "돋보기"
    QSlider* magnification;        // 0 .. 50, start 10
    QPushButton* cancelButton;     // "취소"
    QPushButton* rotate90Button;   // "90˚"
    QPushButton* rotate180Button;  // "180˚"
    QMenu* viewMenu;               // "돋보기 실행", "돋보기 취소", "90˚ 회전", "180˚ 회전"
    QAction* magnifierOnAction;
    QAction* magnifierCancelAction;

    // Loads a JPEG or BMP file as the page. On failure the view is left empty
    // and the image error is thrown.
    void loadPage(const std::filesystem::path& file);
    void clearPage();
    const image::Bitmap& page() const { return page_; }

    double scale() const { return scale_; }
    // Selects the scale box entry `text` and applies it as a change of the box would.
    void selectScaleEntry(const QString& text);
    // The scale step: the entry after (forward) or before the one equal to the
    // box text; past either end nothing changes. With no entry equal to the
    // text, stepping forward selects the first entry.
    void stepScale(bool forward);
    // Scrolls so that the page point (x, y), in page pixels, is in the middle
    // of the visible area as far as the scroll bars allow.
    void centreOn(double x, double y);
    // Page pixel under the middle of the visible area.
    QPointF visibleCentre() const;
    bool panAllowed() const { return panAllowed_; }
    void setPanAllowed(bool on) { panAllowed_ = on; }

signals:
    // "취소" or "돋보기 취소": the hosting window decides what they do.
    void cancelRequested();

private:
    void ScaleComboChange();
    void render();
    void rotate(int quarterTurns);

    QScrollArea* area_;
    QLabel* canvas_;
    image::Bitmap page_;
    double scale_ = 1.0;
    bool panAllowed_ = true;
};

} // namespace rida::registration
