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
// The window's reset sets panAllowed (resetPanMode), an opening of a record
// resets the brightness counter (resetBrightness). Printing and captures read
// page() or paint the view with view()->paintTo(). With functionKeys the viewer
// binds F5 (magnifier) and F6 (cancel), with scaleStepKeys F7 / F8, as window
// shortcuts of the window that holds it.
//
// Coordinates: view pixels are those of the view's visible area; page
// coordinates are page pixels (origin top-left, y down); the scale box and the
// magnifier's side are in percent and view pixels as stated at each member.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   ImgViewMouseDown → onMousePress, ImgViewMouseMove → onMouseMove, ImgViewMouseUp → onMouseRelease, ImgViewClick →
//   onClick, ImgView → imageView, ScaleComboChange → onScaleChanged, ScaleCombo → scaleBox, ImageInterpolateClick →
//   onSmoothingToggled, ImageInterpolate → smoothingBox, PnlMagn → magnifierPanel, MagnMagnification →
//   magnificationSlider, MagnOpacityChange → onOpacityChanged, MagnOpacity → opacitySlider, MagnRotation →
//   rotationSlider, MagnInterpolate → magnifierSmoothingBox, bright → brightnessField, SpinButtonFactorUpClick →
//   brightnessUp, SpinButtonFactorDownClick → brightnessDown, SpinButtonFactorUp → brightnessUpButton,
//   SpinButtonFactorDown → brightnessDownButton, suiButton6Click → toggleMagnifier, suiButton3Click →
//   toggleMagnifierSettings, suiButton17Click → placeMarker, suiButton2Click → applySelection, suiButton5Click →
//   cancelSelection, suiButton8Click → rotate90, suiButton9Click → rotate180, suiButton6 → magnifierButton,
//   suiButton3 → magnifierSettingsButton, suiButton17 → markerButton, suiButton2 → applyButton, suiButton5 →
//   cancelButton, suiButton8 → rotate90Button, suiButton9 → rotate180Button, suiPopupMenu2 → pageMenu, PanAllowed →
//   panAllowed, Panning → panning, PanOrigin → panOrigin, SetSelection → setSelection, LayerMouseDown →
//   onLayerPressed, RubberBandResizing → onRubberBandResizing, CreateMagnifier → createMagnifier, MagnifierPaint →
//   paintMagnifier, AdjustBrightness → adjustBrightness

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
    ui::ImageView* view() const { return imageView; }
    image::Bitmap& page() { return imageView->page(); }
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
    void resetPanMode() { panAllowed = true; }
    void resetBrightness();

    // Viewer state of the window (all start false / none).
    bool panAllowed = false;
    bool panning = false;
    QPoint panOrigin; // view pixels
    ui::Layer* selection = nullptr;
    ui::RubberBand* rubberBand = nullptr;
    // Marker image path: no command sets it.
    QString markerPath;

    // Controls, named as in the window forms.
    ui::ImageView* imageView = nullptr;
    QComboBox* scaleBox = nullptr;
    QCheckBox* smoothingBox = nullptr;
    QGroupBox* magnifierPanel = nullptr;
    QSlider* magnificationSlider = nullptr;
    QSlider* opacitySlider = nullptr;
    QSlider* rotationSlider = nullptr;
    QCheckBox* magnifierSmoothingBox = nullptr;
    QLineEdit* brightnessField = nullptr;
    QToolButton* brightnessUpButton = nullptr;
    QToolButton* brightnessDownButton = nullptr;
    QAbstractButton* magnifierButton = nullptr;         // magnifier
    QAbstractButton* magnifierSettingsButton = nullptr; // magnifier settings
    QAbstractButton* markerButton = nullptr;            // marker
    QAbstractButton* applyButton = nullptr;             // apply
    QAbstractButton* cancelButton = nullptr;            // cancel
    QAbstractButton* rotate90Button = nullptr;          // rotate 90
    QAbstractButton* rotate180Button = nullptr;         // rotate 180
    QMenu* pageMenu = nullptr;

    // Handlers and commands.
    void onScaleChanged();
    void stepScale(int direction); // +1 = F7 (next entry), -1 = F8
    void onMousePress(QPoint view, Qt::MouseButton button);
    void onMouseMove(QPoint view);
    void onMouseRelease(QPoint view, Qt::MouseButton button);
    void onClick();
    void onSmoothingToggled();
    void setSelection(ui::Layer* layer);
    void onLayerPressed(ui::Layer& layer);
    void onRubberBandResizing(const image::RectF& oldLocation, image::RectF& newLocation, ui::BandDrag drag,
                              Qt::KeyboardModifiers modifiers);

    void toggleMagnifier();         // the magnifier command: "돋보기", "돋보기 실행", F5
    void toggleMagnifierSettings(); // shows or hides the magnifier settings panel
    // Throws model::ConversionError when the scale box holds no integer, model::Error when it is 0 or less.
    ui::Layer* createMagnifier();
    void paintMagnifier(ui::Layer& layer, ui::LayerPaint& buffer);
    void onOpacityChanged();

    void placeMarker();     // marker
    void applySelection();  // apply ("적용")
    void cancelSelection(); // cancel ("취소"), F6
    void rotate90();        // rotate 90
    void rotate180();       // rotate 180
    void brightnessUp();    // brightness up
    void brightnessDown();  // brightness down
    void adjustBrightness(int delta);
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
