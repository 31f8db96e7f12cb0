#include "imageviewer.h"

#include "model/digits.h"
#include "model/error.h"
#include "image/codec.h"
#include "image/ops.h"
#include "image/transform.h"
#include "ui/services.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

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
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
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
    ImgView = new ui::ImageView(this);
    ImgView->setObjectName(QStringLiteral("ImgView"));
    ImgView->setBackground(config_.background);
    ImgView->setPageCursor(config_.pageCursor);
    middle->addWidget(ImgView, 1);
    buildMagnifierSettings();
    outer->addLayout(middle, 1);
    auto* bar = new QHBoxLayout;
    buildBar(bar);
    outer->addLayout(bar);
    buildMenu();
    bindKeys();
    nameControlsForScreenReaders();

    connect(ImgView, &ui::ImageView::mousePressed, this,
            [this](QPoint v, Qt::MouseButton b, Qt::KeyboardModifiers) { ImgViewMouseDown(v, b); });
    connect(ImgView, &ui::ImageView::mouseMoved, this,
            [this](QPoint v, Qt::MouseButtons, Qt::KeyboardModifiers) { ImgViewMouseMove(v); });
    connect(ImgView, &ui::ImageView::mouseReleased, this,
            [this](QPoint v, Qt::MouseButton b, Qt::KeyboardModifiers) { ImgViewMouseUp(v, b); });
    connect(ImgView, &ui::ImageView::clicked, this, &ImageViewer::ImgViewClick);
    connect(ImgView, &ui::ImageView::contextMenuRequested, this, [this](QPoint global) {
        if (!suiPopupMenu2->isEmpty())
            suiPopupMenu2->popup(global);
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
    nameIfUnnamed(ScaleCombo, config_.scaleLabel.isEmpty() ? QStringLiteral("화면비율") : config_.scaleLabel);
    nameIfUnnamed(ImgView, QStringLiteral("이미지 뷰어"));
    nameIfUnnamed(SpinButtonFactorUp, QStringLiteral("명도 올림"));
    nameIfUnnamed(SpinButtonFactorDown, QStringLiteral("명도 내림"));
}

void ImageViewer::buildMagnifierSettings()
{
    // Every window holds the settings: the magnifier reads them at each repaint,
    // also where they are never shown (they keep their start values there).
    // The panel floats over the top right corner of the page area, so that it
    // is part of what a view capture shows while it is open.
    PnlMagn = new QGroupBox(config_.magnifierPanelCaption, ImgView);
    PnlMagn->setObjectName(QStringLiteral("PnlMagn"));
    PnlMagn->setAutoFillBackground(true);
    // The panel floats over the page area: its caption goes inside the frame,
    // on the panel's own background, not in a margin showing the page behind.
    PnlMagn->setStyleSheet(QStringLiteral(
        "QGroupBox#PnlMagn { margin-top: 0; padding-top: 20px; }"
        "QGroupBox#PnlMagn::title { subcontrol-origin: padding; subcontrol-position: top left; top: 4px; left: 6px; }"));
    PnlMagn->setFixedWidth(kMagnifierPanelWidth);
    auto* grid = new QVBoxLayout(PnlMagn);
    auto slider = [&](const char* name, const QString& label, int lo, int hi, int start, const QString& hint) {
        auto* s = new QSlider(Qt::Horizontal, PnlMagn);
        s->setObjectName(QLatin1String(name));
        s->setRange(lo, hi);
        s->setValue(start);
        s->setToolTip(hint);
        auto* caption = new QLabel(label, PnlMagn);
        caption->setBuddy(s);
        s->setAccessibleName(QString(label).remove(u':').trimmed());
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(s, 1);
        grid->addLayout(row);
        connect(s, &QSlider::valueChanged, this, &ImageViewer::MagnOpacityChange);
        return s;
    };
    MagnMagnification = slider("MagnMagnification", QStringLiteral("배율 :"), 0, 50, kMagnificationStart,
                               QStringLiteral("돋보기 배율 조절"));
    MagnMagnification->setSingleStep(1);
    MagnMagnification->setPageStep(2);
    MagnOpacity =
        slider("MagnOpacity", QStringLiteral("투명 :"), 0, 255, kOpacityStart, QStringLiteral("돋보기 투명도 조절"));
    MagnRotation =
        slider("MagnRotation", QStringLiteral("회전 :"), -180, 180, kRotationStart, QStringLiteral("돋보기 영역 회전"));
    MagnInterpolate = new QCheckBox(QStringLiteral(" 부드럽게"), PnlMagn);
    MagnInterpolate->setObjectName(QStringLiteral("MagnInterpolate"));
    MagnInterpolate->setToolTip(QStringLiteral("돋보기 영역을 부드럽게 필터링"));
    grid->addWidget(MagnInterpolate);
    grid->addStretch(1);
    connect(MagnInterpolate, &QCheckBox::clicked, this, &ImageViewer::MagnOpacityChange);
    PnlMagn->adjustSize();
    PnlMagn->hide();
    ImgView->viewport()->installEventFilter(this);
    placeMagnifierSettings();
}

void ImageViewer::placeMagnifierSettings()
{
    const QRect area = ImgView->viewport()->geometry();
    PnlMagn->move(area.right() + 1 - kMagnifierPanelMargin - PnlMagn->width(), area.top() + kMagnifierPanelMargin);
}

bool ImageViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ImgView->viewport() && event->type() == QEvent::Resize)
        placeMagnifierSettings();
    return QWidget::eventFilter(watched, event);
}

void ImageViewer::addSmoothingBox(QHBoxLayout* bar)
{
    ImageInterpolate = new QCheckBox(QStringLiteral("화면보정"), this);
    ImageInterpolate->setObjectName(QStringLiteral("ImageInterpolate"));
    ImageInterpolate->setToolTip(QStringLiteral("화면을 부드럽게 필터링"));
    connect(ImageInterpolate, &QCheckBox::clicked, this, &ImageViewer::ImageInterpolateClick);
    bar->addWidget(ImageInterpolate);
}

void ImageViewer::buildBar(QHBoxLayout* bar)
{
    bar->setSpacing(4);
    QLabel* scaleCaption = config_.scaleLabel.isEmpty() ? nullptr : new QLabel(config_.scaleLabel, this);
    if (scaleCaption)
        bar->addWidget(scaleCaption);
    ScaleCombo = new QComboBox(this);
    ScaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    if (scaleCaption)
        scaleCaption->setBuddy(ScaleCombo);
    ScaleCombo->setEditable(true);
    // Completion would turn a typed "1" into "100%" before the box reads it.
    ScaleCombo->setCompleter(nullptr);
    ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    ScaleCombo->addItems(config_.scaleList);
    {
        const QSignalBlocker block(ScaleCombo);
        ScaleCombo->setCurrentIndex(-1);
        ScaleCombo->setEditText(QStringLiteral("50%"));
    }
    connect(ScaleCombo, &QComboBox::editTextChanged, this, &ImageViewer::ScaleComboChange);
    bar->addWidget(ScaleCombo);
    if (config_.smoothing && config_.smoothingFirst)
        addSmoothingBox(bar);

    if (config_.magnifier) {
        auto* b =
            config_.magnifierCaption
                ? static_cast<QAbstractButton*>(
                      textButton(this, "suiButton6", QStringLiteral("돋보기"), QStringLiteral("돋보기 활성화")))
                : pictureButton(this, "suiButton6", QStyle::SP_FileDialogContentsView, QStringLiteral("돋보기 활성화"));
        suiButton6 = b;
        connect(b, &QAbstractButton::clicked, this, &ImageViewer::suiButton6Click);
        bar->addWidget(b);
    }
    if (config_.magnifierPanel) {
        suiButton3 =
            pictureButton(this, "suiButton3", QStyle::SP_FileDialogDetailedView, QStringLiteral("돋보기 환경"));
        connect(suiButton3, &QAbstractButton::clicked, this, &ImageViewer::suiButton3Click);
        bar->addWidget(suiButton3);
    }
    if (config_.magnifierSlider) {
        // Only the magnification is offered, on the bar; the panel never shows.
        MagnMagnification->setParent(this);
        MagnMagnification->setFixedWidth(120);
        bar->addWidget(MagnMagnification);
    }
    if (config_.marker) {
        suiButton17 = textButton(this, "suiButton17", QStringLiteral("마커"), QStringLiteral("마커 활성화"));
        connect(suiButton17, &QAbstractButton::clicked, this, &ImageViewer::suiButton17Click);
        bar->addWidget(suiButton17);
    }
    if (config_.apply) {
        suiButton2 = textButton(this, "suiButton2", QStringLiteral("적용"), QStringLiteral("활성화 된 기능 적용"));
        connect(suiButton2, &QAbstractButton::clicked, this, &ImageViewer::suiButton2Click);
        bar->addWidget(suiButton2);
    }
    if (config_.cancelButton) {
        suiButton5 = textButton(this, "suiButton5", QStringLiteral("취소"), QStringLiteral("활성화 된 기능 취소"));
        connect(suiButton5, &QAbstractButton::clicked, this, [this] {
            if (hooks_.cancel)
                hooks_.cancel();
            else
                suiButton5Click();
        });
        bar->addWidget(suiButton5);
    }
    if (config_.smoothing && !config_.smoothingFirst)
        addSmoothingBox(bar);
    if (config_.brightness) {
        auto* caption = new QLabel(QStringLiteral("명도:"), this);
        bar->addWidget(caption);
        bright = new QLineEdit(QStringLiteral("0"), this);
        caption->setBuddy(bright);
        bright->setAccessibleName(QStringLiteral("명도"));
        bright->setObjectName(QStringLiteral("bright"));
        bright->setReadOnly(true);
        bright->setToolTip(QStringLiteral("이미지 명도 조절"));
        bright->setFixedWidth(40);
        bar->addWidget(bright);
        auto* spin = new QWidget(this);
        spin->setObjectName(QStringLiteral("SpinButtonFactor"));
        auto* col = new QVBoxLayout(spin);
        col->setContentsMargins(0, 0, 0, 0);
        col->setSpacing(0);
        SpinButtonFactorUp = new QToolButton(spin);
        SpinButtonFactorUp->setObjectName(QStringLiteral("SpinButtonFactorUp"));
        SpinButtonFactorUp->setArrowType(Qt::UpArrow);
        SpinButtonFactorDown = new QToolButton(spin);
        SpinButtonFactorDown->setObjectName(QStringLiteral("SpinButtonFactorDown"));
        SpinButtonFactorDown->setArrowType(Qt::DownArrow);
        for (auto* b : {SpinButtonFactorUp, SpinButtonFactorDown}) {
            b->setFixedHeight(11);
            col->addWidget(b);
        }
        connect(SpinButtonFactorUp, &QToolButton::clicked, this, &ImageViewer::SpinButtonFactorUpClick);
        connect(SpinButtonFactorDown, &QToolButton::clicked, this, &ImageViewer::SpinButtonFactorDownClick);
        bar->addWidget(spin);
    }
    if (config_.rotation) {
        const bool cap = config_.rotationCaptions;
        // With captions they are push buttons like "돋보기" and "취소" beside them.
        if (cap) {
            suiButton8 = textButton(this, "suiButton8", QStringLiteral("90˚"), QStringLiteral("90도 회전"));
            suiButton9 = textButton(this, "suiButton9", QStringLiteral("180˚"), QStringLiteral("180도 회전"));
        } else {
            suiButton8 = pictureButton(this, "suiButton8", QStyle::SP_BrowserReload, QStringLiteral("90도 회전"));
            suiButton9 = pictureButton(this, "suiButton9", QStyle::SP_ArrowBack, QStringLiteral("180도 회전"));
        }
        connect(suiButton8, &QAbstractButton::clicked, this, &ImageViewer::suiButton8Click);
        connect(suiButton9, &QAbstractButton::clicked, this, &ImageViewer::suiButton9Click);
        bar->addWidget(suiButton8);
        bar->addWidget(suiButton9);
    }
    bar->addStretch(1);
}

void ImageViewer::buildMenu()
{
    suiPopupMenu2 = new QMenu(this);
    suiPopupMenu2->setObjectName(QStringLiteral("suiPopupMenu2"));
    for (MenuCommand c : config_.menu) {
        switch (c) {
        case MenuCommand::Reopen:
            suiPopupMenu2->addAction(QStringLiteral("다시 열기"), this, &ImageViewer::reopenCommand);
            break;
        case MenuCommand::Magnifier:
            suiPopupMenu2->addAction(QStringLiteral("돋보기 실행"), this, &ImageViewer::suiButton6Click);
            break;
        case MenuCommand::CancelMagnifier:
            suiPopupMenu2->addAction(QStringLiteral("돋보기 취소"), this, [this] {
                if (hooks_.cancel)
                    hooks_.cancel();
                else
                    suiButton5Click();
            });
            break;
        case MenuCommand::Marker:
            suiPopupMenu2->addAction(QStringLiteral("마커 실행"), this, &ImageViewer::suiButton17Click);
            break;
        case MenuCommand::Apply:
            suiPopupMenu2->addAction(QStringLiteral("기능 적용"), this, &ImageViewer::suiButton2Click);
            break;
        case MenuCommand::Cancel:
            suiPopupMenu2->addAction(QStringLiteral("기능 취소"), this, &ImageViewer::suiButton5Click);
            break;
        case MenuCommand::Rotate90:
            suiPopupMenu2->addAction(QStringLiteral("90˚ 회전"), this, &ImageViewer::suiButton8Click);
            break;
        case MenuCommand::Rotate180:
            suiPopupMenu2->addAction(QStringLiteral("180˚ 회전"), this, &ImageViewer::suiButton9Click);
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
        bind(Qt::Key_F5, &ImageViewer::suiButton6Click);
        bind(Qt::Key_F6, &ImageViewer::suiButton5Click);
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
    image::Bitmap& page = ImgView->page();
    try {
        image::loadPage(QFile::encodeName(path).toStdString(), page);
    } catch (...) {
        ImgView->pageChanged();
        throw;
    }
    ImgView->pageChanged();
}

void ImageViewer::clearPage()
{
    ImgView->clearPage();
}

void ImageViewer::selectScaleEntry(int index)
{
    {
        const QSignalBlocker block(ScaleCombo);
        ScaleCombo->setCurrentIndex(index);
    }
    ScaleComboChange();
}

void ImageViewer::resetBrightness()
{
    if (bright)
        bright->setText(QStringLiteral("0"));
}

// ---------------------------------------------------------------- scale and pan

void ImageViewer::ScaleComboChange()
{
    const QString digits = scaleDigits(ScaleCombo->currentText());
    if (digits.isEmpty())
        return;
    bool ok = false;
    int n = digits.toInt(&ok);
    if (!ok)
        n = -1;
    if (n >= 1 && n <= 2000)
        ImgView->setScale(n / 100.0);
    else
        n = int(std::lround(ImgView->scale() * 100));
    const QString text = QString::number(n) + QLatin1Char('%');
    QLineEdit* edit = ScaleCombo->lineEdit();
    const QSignalBlocker block(ScaleCombo);
    const QSignalBlocker blockEdit(edit);
    if (edit->text() != text)
        edit->setText(text);
    // Typing goes on before the "%", so digits typed one by one each take effect.
    edit->setCursorPosition(int(text.size()) - 1);
}

void ImageViewer::stepScale(int direction)
{
    const int current = ScaleCombo->findText(ScaleCombo->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    int next = direction > 0 ? (current < 0 ? 0 : current + 1) : current - 1;
    if (next < 0 || next >= ScaleCombo->count())
        next = -1; // past either end: no entry, the scale stays
    selectScaleEntry(next);
}

void ImageViewer::ImgViewMouseDown(QPoint v, Qt::MouseButton button)
{
    if (PanAllowed && button == Qt::LeftButton) {
        PanOrigin = v;
        Panning = true;
        if (config_.panPressCursor)
            ImgView->setPageCursor(*config_.panPressCursor);
        if (config_.reportPressPoint && hooks_.pressedPagePoint) {
            const QPointF o = ImgView->pageOrigin();
            const double s = ImgView->scale();
            hooks_.pressedPagePoint(int((v.x() - o.x()) / s), int((v.y() - o.y()) / s));
        }
        return;
    }
    ImgView->viewport()->releaseMouse();
}

void ImageViewer::ImgViewMouseMove(QPoint v)
{
    if (!Panning)
        return;
    ImgView->scrollByPixels(PanOrigin.x() - v.x(), PanOrigin.y() - v.y());
    PanOrigin = v;
    ImgView->repaintNow();
}

void ImageViewer::ImgViewMouseUp(QPoint, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    if (Panning && config_.panReleaseCursor)
        ImgView->setPageCursor(*config_.panReleaseCursor);
    Panning = false;
}

void ImageViewer::ImgViewClick()
{
    focusScaleBox(Qt::MouseFocusReason);
}

void ImageViewer::focusScaleBox(Qt::FocusReason reason)
{
    // The box takes the focus with its whole text selected, so that what is
    // typed next replaces the scale shown.
    ScaleCombo->setFocus(reason);
    ScaleCombo->lineEdit()->selectAll();
}

void ImageViewer::ImageInterpolateClick()
{
    ImgView->setResampler(ImageInterpolate && ImageInterpolate->isChecked() ? image::Resampler::Linear
                                                                            : image::Resampler::Nearest);
}

// ---------------------------------------------------------------- selection

void ImageViewer::SetSelection(ui::Layer* layer)
{
    if (layer == Selection)
        return;
    if (RubberBand) {
        RubberBand->child = nullptr;
        RubberBand->visible = false;
        RubberBand->receivesMouse = false;
        RubberBand->noUpdate = true;
        ImgView->invalidate();
    }
    Selection = layer;
    if (!layer)
        return;
    if (RubberBand) {
        ImgView->bringToFront(RubberBand);
    } else {
        auto band = std::make_unique<ui::RubberBand>();
        band->minWidth = 1.0;
        band->minHeight = 1.0;
        RubberBand = static_cast<ui::RubberBand*>(ImgView->addLayer(std::move(band)));
    }
    RubberBand->child = layer;
    RubberBand->location = layer->location;
    RubberBand->visible = true;
    RubberBand->receivesMouse = true;
    RubberBand->noUpdate = true;
    RubberBand->onResizing = [this](const RectF& o, RectF& n, ui::BandDrag d, Qt::KeyboardModifiers m) {
        RubberBandResizing(o, n, d, m);
    };
    ImgView->invalidate();
}

void ImageViewer::LayerMouseDown(ui::Layer& layer)
{
    SetSelection(&layer);
}

void ImageViewer::RubberBandResizing(const RectF& old, RectF& loc, ui::BandDrag drag, Qt::KeyboardModifiers modifiers)
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

void ImageViewer::suiButton6Click()
{
    if (ImgView->page().empty())
        return;
    PanAllowed = false;
    MagnOpacity->setValue(kOpacityStart);
    MagnMagnification->setValue(kMagnificationStart);
    MagnRotation->setValue(kRotationStart);
    guarded([&] {
        ui::Layer* layer = CreateMagnifier();
        SetSelection(layer);
    });
}

void ImageViewer::suiButton3Click()
{
    placeMagnifierSettings();
    PnlMagn->setVisible(!PnlMagn->isVisible());
    PnlMagn->raise();
}

ui::Layer* ImageViewer::CreateMagnifier()
{
    const QString digits = scaleDigits(ScaleCombo->currentText());
    const int s = model::toInteger(digits); // the same conversion error as every typed number
    if (s <= 0)
        throw model::Error(QStringLiteral("화면비율 '%1'로는 돋보기를 만들 수 없습니다.").arg(digits));
    // The side is 20e = 32000 / s page pixels: 320 view pixels at s percent.
    const double e = 1600.0 / s;
    const QRect area = ImgView->visibleArea();
    const QPoint centre((area.left() + area.left() + area.width()) / 2, (area.top() + area.top() + area.height()) / 2);
    const QPointF p = ImgView->mapViewToPage(QPointF(centre));
    const int X = int(p.x()), Y = int(p.y());
    auto layer = std::make_unique<ui::PositionedLayer>();
    layer->location = {X - 10 * e, Y - 10 * e, X + 10 * e, Y + 10 * e};
    layer->followsPage = true;
    layer->receivesMouse = true;
    layer->onMouseDown = [this](ui::Layer& l) { LayerMouseDown(l); };
    layer->onPaint = [this](ui::Layer& l, ui::LayerPaint& b) { MagnifierPaint(l, b); };
    return ImgView->addLayer(std::move(layer));
}

void ImageViewer::MagnifierPaint(ui::Layer& layer, ui::LayerPaint& buffer)
{
    if (!dynamic_cast<ui::PositionedLayer*>(&layer))
        return;
    const RectF R = layer.followsPage ? buffer.toBuffer(layer.location) : layer.location;
    // Outside the buffer nothing of a magnifier shows. Zoomed in on a very
    // long page it may lie billions of pixels away, or be stretched that far,
    // where its edges fit no int: then it is not drawn.
    constexpr double kFar = 1 << 30;
    if (R.right <= 0 || R.bottom <= 0 || R.left >= buffer.buffer.width() || R.top >= buffer.buffer.height() ||
        R.left < -kFar || R.top < -kFar || R.right > kFar || R.bottom > kFar)
        return;
    RectI rect{int(std::lround(R.left)), int(std::lround(R.top)), int(std::lround(R.right)),
               int(std::lround(R.bottom))};
    const int w = rect.width(), h = rect.height();
    if (buffer.measuring || w <= 0 || h <= 0)
        return;
    const double m = std::pow(10.0, MagnMagnification->value() / 50.0);
    const double a = -MagnRotation->value();
    // Only the part of the magnifier inside the buffer is worked out: zoomed in
    // after placing, a magnifier grows far beyond the view (a 320-pixel one
    // placed at 20 % is 32000 pixels wide at 2000 %).
    const RectI shown = rect.intersected({0, 0, buffer.buffer.width(), buffer.buffer.height()});
    if (!shown.empty()) {
        image::Bitmap& T = magnified_;
        T.resize(shown.width(), shown.height());
        T.fill(0);
        const double hw = w / 2.0, hh = h / 2.0;
        // Widened so that a turned square still finds its corners' sources.
        const RectF S{R.left - hh, R.top - hw, R.right + hh, R.bottom + hw};
        image::Affine t;
        t.translate(-rect.left, -rect.top).translate(-hw, -hh).scale(m).rotate(a).translate(hw, hh);
        image::transformFill(T, buffer.buffer, t, S,
                             MagnInterpolate->isChecked() ? image::Resampler::Linear : image::Resampler::Nearest,
                             shown.left - rect.left, shown.top - rect.top);
        image::setAlpha(T, 255);
        image::blend(buffer.buffer, shown.left, shown.top, T, MagnOpacity->value());
    }
    for (int i = 0; i < 5; ++i) {
        image::raisedBevel(buffer.buffer, rect, 35 - 8 * i);
        rect = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    }
}

void ImageViewer::MagnOpacityChange()
{
    if (!ImgView->page().empty())
        ImgView->invalidate();
}

// ---------------------------------------------------------------- page tools

void ImageViewer::suiButton17Click()
{
    if (ImgView->page().empty())
        return;
    if (markerPath.isEmpty() || !QFile::exists(markerPath)) {
        showMessage(QStringLiteral("지정한 마커를 찾을 수 없습니다! 환경을 설정하십시오."));
        return;
    }
    // No command sets a marker path, so there is no marker to place.
}

void ImageViewer::suiButton2Click()
{
    if (ImgView->page().empty())
        return;
    guarded([&] {
        SetSelection(nullptr);
        image::Bitmap& page = ImgView->page();
        image::Bitmap burnt;
        ImgView->paintTo(burnt, {0, 0, page.width(), page.height()});
        ImgView->clearLayers();
        RubberBand = nullptr;
        Selection = nullptr;
        ImgView->setPage(std::move(burnt));
        magnified_.release(); // at page resolution it may have been as large as the page
        PanAllowed = true;
        if (hooks_.pageModified)
            hooks_.pageModified();
    });
}

void ImageViewer::suiButton5Click()
{
    if (!Selection)
        return;
    PanAllowed = true;
    ui::Layer* layer = Selection;
    SetSelection(nullptr);
    ImgView->removeLayer(layer);
}

void ImageViewer::suiButton8Click()
{
    if (ImgView->page().empty())
        return;
    guarded([&] {
        image::rotate90(ImgView->page());
        ImgView->pageChanged();
    });
}

void ImageViewer::suiButton9Click()
{
    if (ImgView->page().empty())
        return;
    image::rotate180(ImgView->page());
    ImgView->pageChanged();
}

void ImageViewer::SpinButtonFactorUpClick()
{
    if (ImgView->page().empty() || !bright)
        return;
    const int counter = bright->text().toInt();
    if (counter < 0)
        return;
    bright->setText(QString::number(counter + 1));
    AdjustBrightness(+kBrightnessStep);
    if (hooks_.pageModified)
        hooks_.pageModified();
}

void ImageViewer::SpinButtonFactorDownClick()
{
    if (ImgView->page().empty() || !bright)
        return;
    const int counter = bright->text().toInt();
    if (counter <= 0)
        return;
    bright->setText(QString::number(counter - 1));
    AdjustBrightness(-kBrightnessStep);
    if (hooks_.pageModified)
        hooks_.pageModified();
}

void ImageViewer::AdjustBrightness(int delta)
{
    image::adjustBrightness(ImgView->page(), delta);
    ImgView->repaintNow();
}

void ImageViewer::reopenCommand()
{
    if (ImgView->page().empty())
        return;
    guarded([&] {
        if (hooks_.reopen)
            hooks_.reopen();
    });
    focusScaleBox(Qt::OtherFocusReason);
}

} // namespace rida::viewer
