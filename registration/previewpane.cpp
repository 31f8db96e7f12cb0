#include "registration/previewpane.h"

#include "ui/image/codec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>

namespace rida::registration {

namespace {
const QStringList& scaleEntries()
{
    static const QStringList entries{"5%",   "10%",  "15%",  "20%",  "25%",   "50%",   "60%",  "75%",
                                     "80%",  "100%", "200%", "300%", "400%",  "800%",  "1600%", "2000%"};
    return entries;
}
} // namespace

PreviewPane::PreviewPane(QWidget* parent) : QGroupBox(QStringLiteral("이미지 뷰어"), parent)
{
    setObjectName(QStringLiteral("suiPanel1"));
    auto* scaleLabel = new QLabel(QStringLiteral("화면비율"), this);
    ScaleCombo = new QComboBox(this);
    ScaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    ScaleCombo->setEditable(true);
    ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    ScaleCombo->addItems(scaleEntries());
    ScaleCombo->setAccessibleName(QStringLiteral("화면비율"));
    scaleLabel->setBuddy(ScaleCombo);
    {
        const QSignalBlocker block(ScaleCombo);
        ScaleCombo->setCurrentIndex(-1);
        ScaleCombo->setEditText(QStringLiteral("50%"));
    }
    ImageInterpolate = new QCheckBox(QStringLiteral("화면보정"), this);
    ImageInterpolate->setObjectName(QStringLiteral("ImageInterpolate"));
    magnifierButton = new QPushButton(QStringLiteral("돋보기"), this);
    magnification = new QSlider(Qt::Horizontal, this);
    magnification->setRange(0, 50);
    magnification->setValue(10);
    magnification->setAccessibleName(QStringLiteral("돋보기 배율"));
    magnification->setToolTip(QStringLiteral("돋보기 배율"));
    cancelButton = new QPushButton(QStringLiteral("취소"), this);
    rotate90Button = new QPushButton(QStringLiteral("90˚"), this);
    rotate180Button = new QPushButton(QStringLiteral("180˚"), this);

    auto* tools = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{scaleLabel, ScaleCombo, ImageInterpolate, magnifierButton,
                                                      magnification, cancelButton, rotate90Button, rotate180Button})
        tools->addWidget(w);
    tools->addStretch(1);

    canvas_ = new QLabel;
    canvas_->setAlignment(Qt::AlignCenter);
    area_ = new QScrollArea(this);
    area_->setObjectName(QStringLiteral("ImgView"));
    area_->setAccessibleName(QStringLiteral("이미지 뷰어"));
    area_->setWidget(canvas_);
    area_->setAlignment(Qt::AlignCenter);
    area_->setStyleSheet(QStringLiteral("QScrollArea { background: black; } QLabel { background: black; }"));

    viewMenu = new QMenu(this);
    magnifierOnAction = viewMenu->addAction(QStringLiteral("돋보기 실행"));
    magnifierCancelAction = viewMenu->addAction(QStringLiteral("돋보기 취소"));
    QAction* r90 = viewMenu->addAction(QStringLiteral("90˚ 회전"));
    QAction* r180 = viewMenu->addAction(QStringLiteral("180˚ 회전"));
    area_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { viewMenu->popup(area_->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(area_, 1);

    connect(ScaleCombo, &QComboBox::editTextChanged, this, &PreviewPane::ScaleComboChange);
    connect(ImageInterpolate, &QCheckBox::toggled, this, &PreviewPane::render);
    auto startMagnifier = [this] { panAllowed_ = false; };
    connect(magnifierButton, &QPushButton::clicked, this, startMagnifier);
    connect(magnifierOnAction, &QAction::triggered, this, startMagnifier);
    connect(cancelButton, &QPushButton::clicked, this, &PreviewPane::cancelRequested);
    connect(magnifierCancelAction, &QAction::triggered, this, &PreviewPane::cancelRequested);
    connect(rotate90Button, &QPushButton::clicked, this, [this] { rotate(1); });
    connect(r90, &QAction::triggered, this, [this] { rotate(1); });
    connect(rotate180Button, &QPushButton::clicked, this, [this] { rotate(2); });
    connect(r180, &QAction::triggered, this, [this] { rotate(2); });
}

void PreviewPane::loadPage(const std::filesystem::path& file)
{
    try {
        image::loadPage(file.native(), page_);
    } catch (...) {
        page_.clear();
        render();
        throw;
    }
    render();
}

void PreviewPane::clearPage()
{
    page_.clear();
    render();
}

void PreviewPane::ScaleComboChange()
{
    QString text = ScaleCombo->currentText();
    text.remove(u'%');
    text.remove(u' ');
    if (text.isEmpty())
        return;
    bool ok = false;
    int n = text.toInt(&ok);
    if (!ok)
        n = -1;
    if (n >= 1 && n <= 2000)
        scale_ = n / 100.0;
    else
        n = int(std::lround(scale_ * 100));
    {
        const QSignalBlocker block(ScaleCombo);
        const QString shown = QString::number(n) + u'%';
        if (ScaleCombo->currentText() != shown)
            ScaleCombo->setEditText(shown);
        if (QLineEdit* e = ScaleCombo->lineEdit())
            e->setCursorPosition(shown.size() - 1);
    }
    render();
}

void PreviewPane::selectScaleEntry(const QString& text)
{
    const int i = ScaleCombo->findText(text);
    {
        const QSignalBlocker block(ScaleCombo);
        ScaleCombo->setCurrentIndex(i);
        ScaleCombo->setEditText(text);
    }
    ScaleComboChange();
}

void PreviewPane::stepScale(bool forward)
{
    const int current = ScaleCombo->findText(ScaleCombo->currentText());
    int next = current < 0 ? (forward ? 0 : -1) : current + (forward ? 1 : -1);
    if (next < 0 || next >= ScaleCombo->count())
        return;
    selectScaleEntry(ScaleCombo->itemText(next));
}

void PreviewPane::render()
{
    if (page_.empty()) {
        canvas_->clear();
        canvas_->resize(0, 0);
        return;
    }
    const QImage full(reinterpret_cast<const uchar*>(page_.data()), page_.width(), page_.height(),
                      page_.width() * 4, QImage::Format_ARGB32);
    const int w = std::max(1, int(page_.width() * scale_));
    const int h = std::max(1, int(page_.height() * scale_));
    const QImage shown = full.scaled(w, h, Qt::IgnoreAspectRatio,
                                     ImageInterpolate->isChecked() ? Qt::SmoothTransformation : Qt::FastTransformation);
    canvas_->setPixmap(QPixmap::fromImage(shown));
    canvas_->resize(shown.size());
}

void PreviewPane::rotate(int quarterTurns)
{
    if (page_.empty())
        return;
    const QImage full(reinterpret_cast<const uchar*>(page_.data()), page_.width(), page_.height(),
                      page_.width() * 4, QImage::Format_ARGB32);
    const QImage turned = full.transformed(QTransform().rotate(90.0 * quarterTurns)).convertToFormat(QImage::Format_ARGB32);
    image::Bitmap next(turned.width(), turned.height());
    for (int y = 0; y < turned.height(); ++y)
        std::memcpy(next.row(y), turned.constScanLine(y), std::size_t(turned.width()) * 4);
    page_ = std::move(next);
    render();
}

void PreviewPane::centreOn(double x, double y)
{
    const QSize visible = area_->viewport()->size();
    area_->horizontalScrollBar()->setValue(int(x * scale_ - visible.width() / 2.0));
    area_->verticalScrollBar()->setValue(int(y * scale_ - visible.height() / 2.0));
}

QPointF PreviewPane::visibleCentre() const
{
    const QSize visible = area_->viewport()->size();
    return {(area_->horizontalScrollBar()->value() + visible.width() / 2.0) / scale_,
            (area_->verticalScrollBar()->value() + visible.height() / 2.0) / scale_};
}

} // namespace rida::registration
