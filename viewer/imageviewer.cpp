#include "viewer/imageviewer.h"

#include "image/codec.h"
#include "image/ops.h"
#include "image/transform.h"
#include "model/digits.h"
#include "model/error.h"
#include "ui/services.h"
#include "viewer/magnifier.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace rida::viewer {

using image::RectF;
using image::RectI;

namespace {

QString scaleDigits(const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char('%'));
    t.remove(QLatin1Char(' '));
    return t;
}

QToolButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(hint);
    return b;
}

QPushButton* textButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace

template <class F> void ImageViewer::guarded(F&& command)
{
    try {
        command();
    } catch (...) {
        // Memory running out reads "메모리가 부족합니다.", as in the general error report.
        reportError(ui::errorText(std::current_exception()));
    }
}

ImageViewer::ImageViewer(ViewerConfig config, ViewerHooks hooks, QWidget* parent)
    : QWidget(parent), config_(std::move(config)), hooks_(std::move(hooks))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(2);
    imageView = new ui::ImageView(this);
    imageView->setObjectName(QStringLiteral("ImgView"));
    imageView->setBackground(config_.background);
    imageView->setPageCursor(config_.pageCursor);
    middle->addWidget(imageView, 1);
    buildMagnifierSettings();
    outer->addLayout(middle, 1);
    auto* bar = new QHBoxLayout;
    buildBar(bar);
    outer->addLayout(bar);
    buildMenu();
    bindKeys();
    nameControlsForScreenReaders();

    connect(imageView, &ui::ImageView::mousePressed, this,
            [this](QPoint v, Qt::MouseButton b, Qt::KeyboardModifiers) { onMousePress(v, b); });
    connect(imageView, &ui::ImageView::mouseMoved, this,
            [this](QPoint v, Qt::MouseButtons, Qt::KeyboardModifiers) { onMouseMove(v); });
    connect(imageView, &ui::ImageView::mouseReleased, this,
            [this](QPoint v, Qt::MouseButton b, Qt::KeyboardModifiers) { onMouseRelease(v, b); });
    connect(imageView, &ui::ImageView::clicked, this, &ImageViewer::onClick);
    connect(imageView, &ui::ImageView::contextMenuRequested, this, [this](QPoint global) {
        if (!pageMenu->isEmpty())
            pageMenu->popup(global);
    });
}

ImageViewer::~ImageViewer() = default;

void ImageViewer::nameControlsForScreenReaders()
{
    const auto nameIfUnnamed = [](QWidget* w, const QString& name) {
        if (w && w->accessibleName().isEmpty())
            w->setAccessibleName(name);
    };
    // Picture-only buttons are spoken by their hint.
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->text().isEmpty() && !b->toolTip().isEmpty())
            nameIfUnnamed(b, b->toolTip());
    nameIfUnnamed(scaleBox, config_.scaleLabel.isEmpty() ? QStringLiteral("화면비율") : config_.scaleLabel);
    nameIfUnnamed(imageView, QStringLiteral("이미지 뷰어"));
    nameIfUnnamed(brightnessUpButton, QStringLiteral("명도 올림"));
    nameIfUnnamed(brightnessDownButton, QStringLiteral("명도 내림"));
}

void ImageViewer::buildMagnifierSettings()
{
    // Every window holds the settings: the magnifier reads them at each repaint,
    // also where they are never shown (they keep their start values there).
    // The panel floats over the top right corner of the page area, so that it
    // is part of what a view capture shows while it is open.
    magnifierPanel = new QGroupBox(config_.magnifierPanelCaption, imageView);
    magnifierPanel->setObjectName(QStringLiteral("PnlMagn"));
    magnifierPanel->setAutoFillBackground(true);
    // The panel floats over the page area: its caption goes inside the frame,
    // on the panel's own background, not in a margin showing the page behind.
    magnifierPanel->setStyleSheet(QStringLiteral("QGroupBox#PnlMagn { margin-top: 0; padding-top: 20px; }"
                                                 "QGroupBox#PnlMagn::title { subcontrol-origin: padding; "
                                                 "subcontrol-position: top left; top: 4px; left: 6px; }"));
    magnifierPanel->setFixedWidth(kMagnifierPanelWidth);
    auto* grid = new QVBoxLayout(magnifierPanel);
    auto slider = [&](const char* name, const QString& label, int lo, int hi, int start, const QString& hint) {
        auto* s = new QSlider(Qt::Horizontal, magnifierPanel);
        s->setObjectName(QLatin1String(name));
        s->setRange(lo, hi);
        s->setValue(start);
        s->setToolTip(hint);
        auto* caption = new QLabel(label, magnifierPanel);
        caption->setBuddy(s);
        s->setAccessibleName(QString(label).remove(u':').trimmed());
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(s, 1);
        grid->addLayout(row);
        connect(s, &QSlider::valueChanged, this, &ImageViewer::onOpacityChanged);
        return s;
    };
    magnificationSlider = slider("MagnMagnification", QStringLiteral("배율 :"), 0, 50, kMagnificationStart,
                                 QStringLiteral("돋보기 배율 조절"));
    magnificationSlider->setSingleStep(1);
    magnificationSlider->setPageStep(2);
    opacitySlider =
        slider("MagnOpacity", QStringLiteral("투명 :"), 0, 255, kOpacityStart, QStringLiteral("돋보기 투명도 조절"));
    rotationSlider =
        slider("MagnRotation", QStringLiteral("회전 :"), -180, 180, kRotationStart, QStringLiteral("돋보기 영역 회전"));
    magnifierSmoothingBox = new QCheckBox(QStringLiteral(" 부드럽게"), magnifierPanel);
    magnifierSmoothingBox->setObjectName(QStringLiteral("MagnInterpolate"));
    magnifierSmoothingBox->setToolTip(QStringLiteral("돋보기 영역을 부드럽게 필터링"));
    grid->addWidget(magnifierSmoothingBox);
    grid->addStretch(1);
    connect(magnifierSmoothingBox, &QCheckBox::clicked, this, &ImageViewer::onOpacityChanged);
    magnifierPanel->adjustSize();
    magnifierPanel->hide();
    imageView->viewport()->installEventFilter(this);
    placeMagnifierSettings();
}

void ImageViewer::placeMagnifierSettings()
{
    const QRect area = imageView->viewport()->geometry();
    magnifierPanel->move(area.right() + 1 - kMagnifierPanelMargin - magnifierPanel->width(),
                         area.top() + kMagnifierPanelMargin);
}

bool ImageViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imageView->viewport() && event->type() == QEvent::Resize)
        placeMagnifierSettings();
    return QWidget::eventFilter(watched, event);
}

void ImageViewer::addSmoothingBox(QHBoxLayout* bar)
{
    smoothingBox = new QCheckBox(QStringLiteral("화면보정"), this);
    smoothingBox->setObjectName(QStringLiteral("ImageInterpolate"));
    smoothingBox->setToolTip(QStringLiteral("화면을 부드럽게 필터링"));
    connect(smoothingBox, &QCheckBox::clicked, this, &ImageViewer::onSmoothingToggled);
    bar->addWidget(smoothingBox);
}

void ImageViewer::buildBar(QHBoxLayout* bar)
{
    bar->setSpacing(4);
    QLabel* scaleCaption = config_.scaleLabel.isEmpty() ? nullptr : new QLabel(config_.scaleLabel, this);
    if (scaleCaption)
        bar->addWidget(scaleCaption);
    scaleBox = new QComboBox(this);
    scaleBox->setObjectName(QStringLiteral("ScaleCombo"));
    if (scaleCaption)
        scaleCaption->setBuddy(scaleBox);
    scaleBox->setEditable(true);
    // Completion would turn a typed "1" into "100%" before the box reads it.
    scaleBox->setCompleter(nullptr);
    scaleBox->setInsertPolicy(QComboBox::NoInsert);
    scaleBox->addItems(config_.scaleList);
    {
        const QSignalBlocker block(scaleBox);
        scaleBox->setCurrentIndex(-1);
        scaleBox->setEditText(QStringLiteral("50%"));
    }
    connect(scaleBox, &QComboBox::editTextChanged, this, &ImageViewer::onScaleChanged);
    bar->addWidget(scaleBox);
    if (config_.smoothing && config_.smoothingFirst)
        addSmoothingBox(bar);

    if (config_.magnifier) {
        auto* b =
            config_.magnifierCaption
                ? static_cast<QAbstractButton*>(
                      textButton(this, "suiButton6", QStringLiteral("돋보기"), QStringLiteral("돋보기 활성화")))
                : pictureButton(this, "suiButton6", QStyle::SP_FileDialogContentsView, QStringLiteral("돋보기 활성화"));
        magnifierButton = b;
        connect(b, &QAbstractButton::clicked, this, &ImageViewer::toggleMagnifier);
        bar->addWidget(b);
    }
    if (config_.magnifierPanel) {
        magnifierSettingsButton =
            pictureButton(this, "suiButton3", QStyle::SP_FileDialogDetailedView, QStringLiteral("돋보기 환경"));
        connect(magnifierSettingsButton, &QAbstractButton::clicked, this, &ImageViewer::toggleMagnifierSettings);
        bar->addWidget(magnifierSettingsButton);
    }
    if (config_.magnifierSlider) {
        // Only the magnification is offered, on the bar; the panel never shows.
        magnificationSlider->setParent(this);
        magnificationSlider->setFixedWidth(120);
        bar->addWidget(magnificationSlider);
    }
    if (config_.marker) {
        markerButton = textButton(this, "suiButton17", QStringLiteral("마커"), QStringLiteral("마커 활성화"));
        connect(markerButton, &QAbstractButton::clicked, this, &ImageViewer::placeMarker);
        bar->addWidget(markerButton);
    }
    if (config_.apply) {
        applyButton = textButton(this, "suiButton2", QStringLiteral("적용"), QStringLiteral("활성화 된 기능 적용"));
        connect(applyButton, &QAbstractButton::clicked, this, &ImageViewer::applySelection);
        bar->addWidget(applyButton);
    }
    if (config_.cancelButton) {
        cancelButton = textButton(this, "suiButton5", QStringLiteral("취소"), QStringLiteral("활성화 된 기능 취소"));
        connect(cancelButton, &QAbstractButton::clicked, this, [this] {
            if (hooks_.cancel)
                hooks_.cancel();
            else
                cancelSelection();
        });
        bar->addWidget(cancelButton);
    }
    if (config_.smoothing && !config_.smoothingFirst)
        addSmoothingBox(bar);
    if (config_.brightness) {
        auto* caption = new QLabel(QStringLiteral("명도:"), this);
        bar->addWidget(caption);
        brightnessField = new QLineEdit(QStringLiteral("0"), this);
        caption->setBuddy(brightnessField);
        brightnessField->setAccessibleName(QStringLiteral("명도"));
        brightnessField->setObjectName(QStringLiteral("bright"));
        brightnessField->setReadOnly(true);
        brightnessField->setToolTip(QStringLiteral("이미지 명도 조절"));
        brightnessField->setFixedWidth(40);
        bar->addWidget(brightnessField);
        auto* spin = new QWidget(this);
        spin->setObjectName(QStringLiteral("SpinButtonFactor"));
        auto* col = new QVBoxLayout(spin);
        col->setContentsMargins(0, 0, 0, 0);
        col->setSpacing(0);
        brightnessUpButton = new QToolButton(spin);
        brightnessUpButton->setObjectName(QStringLiteral("SpinButtonFactorUp"));
        brightnessUpButton->setArrowType(Qt::UpArrow);
        brightnessDownButton = new QToolButton(spin);
        brightnessDownButton->setObjectName(QStringLiteral("SpinButtonFactorDown"));
        brightnessDownButton->setArrowType(Qt::DownArrow);
        for (auto* b : {brightnessUpButton, brightnessDownButton}) {
            b->setFixedHeight(11);
            col->addWidget(b);
        }
        connect(brightnessUpButton, &QToolButton::clicked, this, &ImageViewer::brightnessUp);
        connect(brightnessDownButton, &QToolButton::clicked, this, &ImageViewer::brightnessDown);
        bar->addWidget(spin);
    }
    if (config_.rotation) {
        const bool cap = config_.rotationCaptions;
        // With captions they are push buttons like "돋보기" and "취소" beside them.
        if (cap) {
            rotate90Button = textButton(this, "suiButton8", QStringLiteral("90˚"), QStringLiteral("90도 회전"));
            rotate180Button = textButton(this, "suiButton9", QStringLiteral("180˚"), QStringLiteral("180도 회전"));
        } else {
            rotate90Button = pictureButton(this, "suiButton8", QStyle::SP_BrowserReload, QStringLiteral("90도 회전"));
            rotate180Button = pictureButton(this, "suiButton9", QStyle::SP_ArrowBack, QStringLiteral("180도 회전"));
        }
        connect(rotate90Button, &QAbstractButton::clicked, this, &ImageViewer::rotate90);
        connect(rotate180Button, &QAbstractButton::clicked, this, &ImageViewer::rotate180);
        bar->addWidget(rotate90Button);
        bar->addWidget(rotate180Button);
    }
    bar->addStretch(1);
}

void ImageViewer::buildMenu()
{
    pageMenu = new QMenu(this);
    pageMenu->setObjectName(QStringLiteral("suiPopupMenu2"));
    for (MenuCommand c : config_.menu) {
        switch (c) {
        case MenuCommand::Reopen:
            pageMenu->addAction(QStringLiteral("다시 열기"), this, &ImageViewer::reopenCommand);
            break;
        case MenuCommand::Magnifier:
            pageMenu->addAction(QStringLiteral("돋보기 실행"), this, &ImageViewer::toggleMagnifier);
            break;
        case MenuCommand::CancelMagnifier:
            pageMenu->addAction(QStringLiteral("돋보기 취소"), this, [this] {
                if (hooks_.cancel)
                    hooks_.cancel();
                else
                    cancelSelection();
            });
            break;
        case MenuCommand::Marker:
            pageMenu->addAction(QStringLiteral("마커 실행"), this, &ImageViewer::placeMarker);
            break;
        case MenuCommand::Apply:
            pageMenu->addAction(QStringLiteral("기능 적용"), this, &ImageViewer::applySelection);
            break;
        case MenuCommand::Cancel:
            pageMenu->addAction(QStringLiteral("기능 취소"), this, &ImageViewer::cancelSelection);
            break;
        case MenuCommand::Rotate90:
            pageMenu->addAction(QStringLiteral("90˚ 회전"), this, &ImageViewer::rotate90);
            break;
        case MenuCommand::Rotate180:
            pageMenu->addAction(QStringLiteral("180˚ 회전"), this, &ImageViewer::rotate180);
            break;
        }
    }
}

void ImageViewer::bindKeys()
{
    auto bind = [this](Qt::Key key, auto slot) {
        auto* s = new QShortcut(QKeySequence(key), this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    if (config_.functionKeys) {
        bind(Qt::Key_F5, &ImageViewer::toggleMagnifier);
        bind(Qt::Key_F6, &ImageViewer::cancelSelection);
    }
    if (config_.scaleStepKeys) {
        bind(Qt::Key_F7, [this] { stepScale(+1); });
        bind(Qt::Key_F8, [this] { stepScale(-1); });
    }
}

void ImageViewer::showMessage(const QString& text)
{
    if (hooks_.showMessage)
        hooks_.showMessage(this, text);
    else
        ui::services().showMessage(this, text);
}

void ImageViewer::reportError(const QString& text)
{
    if (hooks_.reportError)
        hooks_.reportError(this, text);
    else
        ui::reportError(this, text);
}

// ---------------------------------------------------------------- page

void ImageViewer::loadPage(const QString& path)
{
    loadPage(std::filesystem::path(QFile::encodeName(path).toStdString()));
}

void ImageViewer::loadPage(const std::filesystem::path& file)
{
    try {
        image::loadPage(file.native(), imageView->page());
    } catch (...) {
        imageView->pageChanged(); // the page is empty now: the view must not show the previous one
        throw;
    }
    imageView->pageChanged();
}

void ImageViewer::centreOn(QPointF pagePoint)
{
    const QPointF at = imageView->mapPageToView(pagePoint);
    const QPointF middle = QRectF(imageView->visibleArea()).center();
    // On a page zoomed far beyond the view the offset may not fit an int: the
    // scroll bars stop at their ends anyway.
    const auto offset = [](double d) { return int(std::clamp(d, double(INT_MIN), double(INT_MAX))); };
    imageView->scrollByPixels(offset(at.x() - middle.x()), offset(at.y() - middle.y()));
}

QPointF ImageViewer::viewCentre() const
{
    return imageView->mapViewToPage(QRectF(imageView->visibleArea()).center());
}

void ImageViewer::clearPage()
{
    imageView->clearPage();
}

void ImageViewer::selectScaleEntry(int index)
{
    {
        const QSignalBlocker block(scaleBox);
        scaleBox->setCurrentIndex(index);
    }
    onScaleChanged();
}

void ImageViewer::resetBrightness()
{
    if (brightnessField)
        brightnessField->setText(QStringLiteral("0"));
}

// ---------------------------------------------------------------- scale and pan

void ImageViewer::onScaleChanged()
{
    const QString digits = scaleDigits(scaleBox->currentText());
    if (digits.isEmpty())
        return;
    bool ok = false;
    int n = digits.toInt(&ok);
    if (!ok)
        n = -1;
    if (n >= 1 && n <= 2000)
        imageView->setScale(n / 100.0);
    else
        n = int(std::lround(imageView->scale() * 100));
    const QString text = QString::number(n) + QLatin1Char('%');
    QLineEdit* edit = scaleBox->lineEdit();
    const QSignalBlocker block(scaleBox);
    const QSignalBlocker blockEdit(edit);
    if (edit->text() != text)
        edit->setText(text);
    // Typing goes on before the "%", so digits typed one by one each take effect.
    edit->setCursorPosition(int(text.size()) - 1);
}

void ImageViewer::stepScale(int direction)
{
    const int current = scaleBox->findText(scaleBox->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    int next = direction > 0 ? (current < 0 ? 0 : current + 1) : current - 1;
    if (next < 0 || next >= scaleBox->count())
        next = -1; // past either end: no entry, the scale stays
    selectScaleEntry(next);
}

void ImageViewer::onMousePress(QPoint v, Qt::MouseButton button)
{
    if (panAllowed && button == Qt::LeftButton) {
        panOrigin = v;
        panning = true;
        if (config_.panPressCursor)
            imageView->setPageCursor(*config_.panPressCursor);
        if (config_.reportPressPoint && hooks_.pressedPagePoint) {
            const QPointF o = imageView->pageOrigin();
            const double s = imageView->scale();
            hooks_.pressedPagePoint(int((v.x() - o.x()) / s), int((v.y() - o.y()) / s));
        }
        return;
    }
    imageView->viewport()->releaseMouse();
}

void ImageViewer::onMouseMove(QPoint v)
{
    if (!panning)
        return;
    imageView->scrollByPixels(panOrigin.x() - v.x(), panOrigin.y() - v.y());
    panOrigin = v;
    imageView->repaintNow();
}

void ImageViewer::onMouseRelease(QPoint, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    if (panning && config_.panReleaseCursor)
        imageView->setPageCursor(*config_.panReleaseCursor);
    panning = false;
}

void ImageViewer::onClick()
{
    focusScaleBox(Qt::MouseFocusReason);
}

void ImageViewer::focusScaleBox(Qt::FocusReason reason)
{
    // The box takes the focus with its whole text selected, so that what is
    // typed next replaces the scale shown.
    scaleBox->setFocus(reason);
    scaleBox->lineEdit()->selectAll();
}

void ImageViewer::onSmoothingToggled()
{
    imageView->setResampler(smoothingBox && smoothingBox->isChecked() ? image::Resampler::Linear
                                                                      : image::Resampler::Nearest);
}

// ---------------------------------------------------------------- selection

void ImageViewer::setSelection(ui::Layer* layer)
{
    if (layer == selection)
        return;
    if (rubberBand) {
        rubberBand->child = nullptr;
        rubberBand->visible = false;
        rubberBand->receivesMouse = false;
        rubberBand->noUpdate = true;
        imageView->invalidate();
    }
    selection = layer;
    if (!layer)
        return;
    if (rubberBand) {
        imageView->bringToFront(rubberBand);
    } else {
        auto band = std::make_unique<ui::RubberBand>();
        band->minWidth = 1.0;
        band->minHeight = 1.0;
        rubberBand = static_cast<ui::RubberBand*>(imageView->addLayer(std::move(band)));
    }
    rubberBand->child = layer;
    rubberBand->location = layer->location;
    rubberBand->visible = true;
    rubberBand->receivesMouse = true;
    rubberBand->noUpdate = true;
    rubberBand->onResizing = [this](const RectF& o, RectF& n, ui::BandDrag d, Qt::KeyboardModifiers m) {
        onRubberBandResizing(o, n, d, m);
    };
    imageView->invalidate();
}

void ImageViewer::onLayerPressed(ui::Layer& layer)
{
    setSelection(&layer);
}

void ImageViewer::onRubberBandResizing(const RectF& old, RectF& loc, ui::BandDrag drag, Qt::KeyboardModifiers modifiers)
{
    using ui::BandDrag;
    if (drag == BandDrag::Move || drag == BandDrag::None || !(modifiers & Qt::ControlModifier))
        return;
    const double cx = (old.left + old.right) / 2, cy = (old.top + old.bottom) / 2;
    double hw = old.width() / 2, hh = old.height() / 2;
    if (drag == BandDrag::Left || drag == BandDrag::TopLeft || drag == BandDrag::BottomLeft)
        hw = cx - loc.left;
    if (drag == BandDrag::Right || drag == BandDrag::TopRight || drag == BandDrag::BottomRight)
        hw = loc.right - cx;
    if (drag == BandDrag::Top || drag == BandDrag::TopLeft || drag == BandDrag::TopRight)
        hh = cy - loc.top;
    if (drag == BandDrag::Bottom || drag == BandDrag::BottomLeft || drag == BandDrag::BottomRight)
        hh = loc.bottom - cy;
    hw = std::max(hw, 2.0);
    hh = std::max(hh, 2.0);
    loc = {cx - hw, cy - hh, cx + hw, cy + hh};
}

// ---------------------------------------------------------------- magnifier

void ImageViewer::toggleMagnifier()
{
    if (imageView->page().empty())
        return;
    panAllowed = false;
    opacitySlider->setValue(kOpacityStart);
    magnificationSlider->setValue(kMagnificationStart);
    rotationSlider->setValue(kRotationStart);
    guarded([&] {
        ui::Layer* layer = createMagnifier();
        setSelection(layer);
    });
}

void ImageViewer::toggleMagnifierSettings()
{
    placeMagnifierSettings();
    magnifierPanel->setVisible(!magnifierPanel->isVisible());
    magnifierPanel->raise();
}

ui::Layer* ImageViewer::createMagnifier()
{
    const QString digits = scaleDigits(scaleBox->currentText());
    const int s = model::toInteger(digits); // the same conversion error as every typed number
    if (s <= 0)
        throw model::Error(QStringLiteral("화면비율 '%1'로는 돋보기를 만들 수 없습니다.").arg(digits));
    // The side is 20e = 32000 / s page pixels: 320 view pixels at s percent.
    const double e = 1600.0 / s;
    const QRect area = imageView->visibleArea();
    const QPoint centre((area.left() + area.left() + area.width()) / 2, (area.top() + area.top() + area.height()) / 2);
    const QPointF p = imageView->mapViewToPage(QPointF(centre));
    const int X = int(p.x()), Y = int(p.y());
    auto layer = std::make_unique<ui::PositionedLayer>();
    layer->location = {X - 10 * e, Y - 10 * e, X + 10 * e, Y + 10 * e};
    layer->followsPage = true;
    layer->receivesMouse = true;
    layer->onMouseDown = [this](ui::Layer& l) { onLayerPressed(l); };
    layer->onPaint = [this](ui::Layer& l, ui::LayerPaint& b) { paintMagnifier(l, b); };
    return imageView->addLayer(std::move(layer));
}

void ImageViewer::paintMagnifier(ui::Layer& layer, ui::LayerPaint& buffer)
{
    if (!dynamic_cast<ui::PositionedLayer*>(&layer) || buffer.measuring)
        return;
    const RectF frame = layer.followsPage ? buffer.toBuffer(layer.location) : layer.location;
    MagnifierSettings settings;
    settings.magnification = magnificationOfSlider(magnificationSlider->value());
    settings.rotation = rotationSlider->value();
    settings.opacity = opacitySlider->value();
    settings.smoothing = magnifierSmoothingBox->isChecked();
    viewer::paintMagnifier(buffer.buffer, frame, settings, magnified_);
}

void ImageViewer::onOpacityChanged()
{
    if (!imageView->page().empty())
        imageView->invalidate();
}

// ---------------------------------------------------------------- page tools

void ImageViewer::placeMarker()
{
    if (imageView->page().empty())
        return;
    if (markerPath.isEmpty() || !QFile::exists(markerPath)) {
        showMessage(QStringLiteral("지정한 마커를 찾을 수 없습니다! 환경을 설정하십시오."));
        return;
    }
    // No command sets a marker path, so there is no marker to place.
}

void ImageViewer::applySelection()
{
    if (imageView->page().empty())
        return;
    guarded([&] {
        // The selection frame is not burnt in; when the page cannot be painted
        // (memory running out) the selection and the page stay as they were.
        ui::Layer* selected = selection;
        setSelection(nullptr);
        image::Bitmap& page = imageView->page();
        image::Bitmap burnt;
        try {
            imageView->paintTo(burnt, {0, 0, page.width(), page.height()});
        } catch (...) {
            setSelection(selected);
            throw;
        }
        imageView->clearLayers();
        rubberBand = nullptr;
        selection = nullptr;
        imageView->setPage(std::move(burnt));
        magnified_.release(); // at page resolution it may have been as large as the page
        panAllowed = true;
        if (hooks_.pageModified)
            hooks_.pageModified();
    });
}

void ImageViewer::cancelSelection()
{
    if (!selection)
        return;
    panAllowed = true;
    ui::Layer* layer = selection;
    setSelection(nullptr);
    imageView->removeLayer(layer);
}

void ImageViewer::rotate90()
{
    if (imageView->page().empty())
        return;
    guarded([&] {
        image::rotate90(imageView->page());
        imageView->pageChanged();
    });
}

void ImageViewer::rotate180()
{
    if (imageView->page().empty())
        return;
    image::rotate180(imageView->page());
    imageView->pageChanged();
}

void ImageViewer::brightnessUp()
{
    if (imageView->page().empty() || !brightnessField)
        return;
    const int counter = brightnessField->text().toInt();
    if (counter < 0)
        return;
    brightnessField->setText(QString::number(counter + 1));
    adjustBrightness(+kBrightnessStep);
    if (hooks_.pageModified)
        hooks_.pageModified();
}

void ImageViewer::brightnessDown()
{
    if (imageView->page().empty() || !brightnessField)
        return;
    const int counter = brightnessField->text().toInt();
    if (counter <= 0)
        return;
    brightnessField->setText(QString::number(counter - 1));
    adjustBrightness(-kBrightnessStep);
    if (hooks_.pageModified)
        hooks_.pageModified();
}

void ImageViewer::adjustBrightness(int delta)
{
    image::adjustBrightness(imageView->page(), delta);
    imageView->repaintNow();
}

void ImageViewer::reopenCommand()
{
    if (imageView->page().empty())
        return;
    guarded([&] {
        if (hooks_.reopen)
            hooks_.reopen();
    });
    focusScaleBox(Qt::OtherFocusReason);
}

} // namespace rida::viewer
