#pragma once
// The page viewer that every work window embeds: the image view with its scale
// box, page dragging, the magnifier and the page tools.
//
// Embedding: create it with the window's configuration and hooks, put it in a
// layout, and load pages through it.
//
//     auto* viewer = new rida::viewer::ImageViewer(rida::viewer::ViewerConfig::lookup(), {
//         .reopen = [this] { N7Click(); },
//         .pageModified = [this] { modifiedOutput->setChecked(true); },
//     }, this);
//     try { viewer->loadPage(path); } catch (const rida::image::ImageError& e) { /* general error report */ }
//     viewer->selectScaleEntry(1); // "25%"
//
// The window's reset sets PanAllowed (resetPanMode), an opening of a record
// resets the brightness counter (resetBrightness). Printing and captures read
// page() or paint the view with view()->paintTo(). With functionKeys the viewer
// binds F5 (magnifier) and F6 (cancel), with scaleStepKeys F7 / F8, as window
// shortcuts of the window that holds it.
//
// Coordinates: view pixels are those of the view's visible area; page
// coordinates are page pixels (origin top-left, y down); the scale box and the
// magnifier's side are in percent and view pixels as stated at each member.

#include "image/bitmap.h"
#include "ui/imageview/imageview.h"
#include "ui/imageview/layer.h"
#include "viewer/viewerconfig.h"

#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <filesystem>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QSlider;
class QAbstractButton;
class QToolButton;

namespace rida::viewer {

class ImageViewer : public QWidget {
    Q_OBJECT
public:
    // Start values of the magnifier's settings.
    static constexpr int kMagnificationStart = 10; // slider 0..50: 10^(value/50) times
    static constexpr int kOpacityStart = 255;      // 0 = invisible, 255 = opaque
    static constexpr int kRotationStart = 0;       // degrees, positive turns the content clockwise
    static constexpr int kBrightnessStep = 5;      // added to red, green and blue per step
    // The magnifier settings panel over the page area's top right corner, view pixels.
    static constexpr int kMagnifierPanelWidth = 230;
    static constexpr int kMagnifierPanelMargin = 4;

    ImageViewer(ViewerConfig config, ViewerHooks hooks, QWidget* parent = nullptr);
    ~ImageViewer() override;

    const ViewerConfig& config() const { return config_; }

    // Page access for the hosting window.
    ui::ImageView* view() const { return ImgView; }
    image::Bitmap& page() { return ImgView->page(); }
    // Loads into the page's own memory; throws image::ImageError (the page is then empty).
    void loadPage(const QString& path);
    // The same by the name's own bytes, so that a name that is not valid in the locale's encoding still opens.
    void loadPage(const std::filesystem::path& file);
    // Scrolls the view so that `pagePoint` lies in the middle of the visible
    // area, as far as the scroll bars allow; the offset is truncated toward zero.
    void centreOn(QPointF pagePoint);
    // The page point in the middle of the visible area.
    QPointF viewCentre() const;
    void clearPage();
    // Selects entry `index` of the scale list and applies it.
    void selectScaleEntry(int index);
    void resetPanMode() { PanAllowed = true; }
    void resetBrightness();

    // Viewer state of the window (all start false / none).
    bool PanAllowed = false;
    bool Panning = false;
    QPoint PanOrigin; // view pixels
    ui::Layer* Selection = nullptr;
    ui::RubberBand* RubberBand = nullptr;
    // Marker image path: no command sets it.
    QString markerPath;

    // Controls, named as in the window forms.
    ui::ImageView* ImgView = nullptr;
    QComboBox* ScaleCombo = nullptr;
    QCheckBox* ImageInterpolate = nullptr;
    QGroupBox* PnlMagn = nullptr;
    QSlider* MagnMagnification = nullptr;
    QSlider* MagnOpacity = nullptr;
    QSlider* MagnRotation = nullptr;
    QCheckBox* MagnInterpolate = nullptr;
    QLineEdit* bright = nullptr;
    QToolButton* SpinButtonFactorUp = nullptr;
    QToolButton* SpinButtonFactorDown = nullptr;
    QAbstractButton* suiButton6 = nullptr;  // magnifier
    QAbstractButton* suiButton3 = nullptr;  // magnifier settings
    QAbstractButton* suiButton17 = nullptr; // marker
    QAbstractButton* suiButton2 = nullptr;  // apply
    QAbstractButton* suiButton5 = nullptr;  // cancel
    QAbstractButton* suiButton8 = nullptr;  // rotate 90
    QAbstractButton* suiButton9 = nullptr;  // rotate 180
    QMenu* suiPopupMenu2 = nullptr;

    // Handlers and commands.
    void ScaleComboChange();
    void stepScale(int direction); // +1 = F7 (next entry), -1 = F8
    void ImgViewMouseDown(QPoint view, Qt::MouseButton button);
    void ImgViewMouseMove(QPoint view);
    void ImgViewMouseUp(QPoint view, Qt::MouseButton button);
    void ImgViewClick();
    void ImageInterpolateClick();
    void SetSelection(ui::Layer* layer);
    void LayerMouseDown(ui::Layer& layer);
    void RubberBandResizing(const image::RectF& oldLocation, image::RectF& newLocation, ui::BandDrag drag,
                            Qt::KeyboardModifiers modifiers);

    void suiButton6Click();  // the magnifier command: "돋보기", "돋보기 실행", F5
    void suiButton3Click();  // shows or hides the magnifier settings panel
    // Throws model::ConversionError when the scale box holds no integer, model::Error when it is 0 or less.
    ui::Layer* CreateMagnifier();
    void MagnifierPaint(ui::Layer& layer, ui::LayerPaint& buffer);
    void MagnOpacityChange();

    void suiButton17Click();  // marker
    void suiButton2Click();   // apply ("적용")
    void suiButton5Click();   // cancel ("취소"), F6
    void suiButton8Click();   // rotate 90
    void suiButton9Click();   // rotate 180
    void SpinButtonFactorUpClick();    // brightness up
    void SpinButtonFactorDownClick();  // brightness down
    void AdjustBrightness(int delta);
    void reopenCommand();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusScaleBox(Qt::FocusReason reason);
    void nameControlsForScreenReaders();
    void placeMagnifierSettings();
    void buildBar(QHBoxLayout* bar);
    void addSmoothingBox(QHBoxLayout* bar);
    void buildMagnifierSettings();
    void buildMenu();
    void bindKeys();
    void showMessage(const QString& text);
    void reportError(const QString& text);
    template <class F> void guarded(F&& command);

    ViewerConfig config_;
    ViewerHooks hooks_;
    image::Bitmap magnified_; // the magnifier's working bitmap, kept between frames
};

} // namespace rida::viewer
