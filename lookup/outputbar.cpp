#include "lookup/outputbar.h"

#include "ui/gradientbutton.h"
#include "ui/services.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace rida::lookup {

namespace {

constexpr int kPicture = 24;

enum class Picture { PageToWord, CaptureToWord, SaveCapture, PrintCapture };

QPixmap sheet()
{
    QPixmap pm(kPicture, kPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 15, 20));
    return pm;
}

void drawCamera(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(QColor(150, 200, 255));
    const double d = r.height() * 0.6;
    p.drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
}

QPixmap picture(Picture which)
{
    QPixmap pm =
        which == Picture::SaveCapture || which == Picture::PrintCapture ? QPixmap(kPicture, kPicture) : sheet();
    if (which == Picture::SaveCapture || which == Picture::PrintCapture)
        pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    switch (which) {
    case Picture::PageToWord:
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.setPen(QColor(30, 80, 170));
        p.drawText(QRectF(4, 3, 16, 18), Qt::AlignCenter, QStringLiteral("W"));
        break;
    case Picture::CaptureToWord:
        f.setBold(true);
        f.setPixelSize(9);
        p.setFont(f);
        p.setPen(QColor(30, 80, 170));
        p.drawText(QRectF(4, 2, 16, 10), Qt::AlignCenter, QStringLiteral("W"));
        drawCamera(p, QRectF(7, 12, 11, 8));
        break;
    case Picture::SaveCapture:
        p.setPen(QPen(QColor(20, 40, 90), 1));
        p.setBrush(QColor(50, 90, 170));
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 3.5, 11, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6.5, 13.5, 11, 7));
        break;
    case Picture::PrintCapture:
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 2.5, 9, 7));
        p.setBrush(QColor(160, 160, 170));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        drawCamera(p, QRectF(15, 1, 8, 6));
        break;
    }
    return pm;
}

// A picture-only button; its hint is what a screen reader says.
QToolButton* pictureButton(const QString& name, Picture which, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(QIcon(picture(which)));
    b->setIconSize(QSize(kPicture, kPicture));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

ui::GradientButton* captionButton(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new ui::GradientButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAccessibleName(caption);
    b->setAccessibleDescription(hint);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    b->setFixedWidth(75);
    return b;
}

QCheckBox* checkBox(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setToolTip(hint);
    c->setAccessibleDescription(hint);
    return c;
}

} // namespace

OutputBar::OutputBar(QString appDir, OutputBarHooks hooks, QWidget* owner, QWidget* parent)
    : QWidget(parent), appDir_(std::move(appDir)), hooks_(std::move(hooks)), owner_(owner)
{
    setObjectName(QStringLiteral("outputBarControls"));
    pageToWriterButton = pictureButton(QStringLiteral("suiButton11"), Picture::PageToWord,
                                       QStringLiteral("MicroSoft Word로 보내기"), this);
    captureToWriterButton = pictureButton(QStringLiteral("suiButton10"), Picture::CaptureToWord,
                                          QStringLiteral("화면 캡쳐 MicroSoft Word로 보내기"), this);
    saveCaptureButton =
        pictureButton(QStringLiteral("suiButton12"), Picture::SaveCapture, QStringLiteral("화면 캡쳐 저장"), this);
    printCaptureButton =
        pictureButton(QStringLiteral("suiButton7"), Picture::PrintCapture, QStringLiteral("화면 캡쳐 출력"), this);
    printButton =
        captionButton(QStringLiteral("suiButton13"), QStringLiteral("출력"), QStringLiteral("프린터 출력"), this);
    modifiedOutputBox =
        checkBox(QStringLiteral("CheckBox1"), QStringLiteral("수정출력"), QStringLiteral("수정된 이미지 출력"), this);
    singleSheetBox =
        checkBox(QStringLiteral("oneck"), QStringLiteral("낱장 출력"), QStringLiteral("낱장으로 출력"), this);
    printerSetupButton =
        captionButton(QStringLiteral("suiButton15"), QStringLiteral("설정"), QStringLiteral("기본 프린터 변경"), this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    for (QWidget* w : {static_cast<QWidget*>(pageToWriterButton), static_cast<QWidget*>(captureToWriterButton),
                       static_cast<QWidget*>(saveCaptureButton), static_cast<QWidget*>(printCaptureButton)})
        row->addWidget(w);
    row->addStretch(1);
    row->addWidget(printButton);
    row->addWidget(modifiedOutputBox);
    row->addWidget(singleSheetBox);
    row->addWidget(printerSetupButton);

    connect(printButton, &QAbstractButton::clicked, this, &OutputBar::onPrintClicked);
    connect(printCaptureButton, &QAbstractButton::clicked, this, &OutputBar::onPrintCapture);
    connect(saveCaptureButton, &QAbstractButton::clicked, this, &OutputBar::onSaveCapture);
    connect(pageToWriterButton, &QAbstractButton::clicked, this, &OutputBar::onPageToWordProcessor);
    connect(captureToWriterButton, &QAbstractButton::clicked, this, &OutputBar::onCaptureToWordProcessor);
    connect(printerSetupButton, &QAbstractButton::clicked, this, &OutputBar::onPrinterSetup);
}

void OutputBar::tickModifiedOutput()
{
    if (!modifiedOutputBox->isChecked())
        modifiedOutputBox->setChecked(true);
}

OutputSource OutputBar::source() const
{
    OutputSource s;
    s.owner = owner_;
    s.appDir = appDir_;
    s.page = hooks_.page ? hooks_.page() : nullptr;
    s.recordFile = hooks_.recordFile ? hooks_.recordFile() : QString();
    s.modifiedOutput = modifiedOutputBox->isChecked();
    QWidget* view = hooks_.view ? hooks_.view() : nullptr;
    s.captureView = [view] { return view ? captureViewArea(view) : QImage(); };
    s.repaintView = hooks_.repaintView;
    return s;
}

void OutputBar::run(void (*command)(const OutputSource&))
{
    ui::runCommand(owner_, [&] { command(source()); });
}

void OutputBar::printPage()
{
    run(lookup::printPage);
}
void OutputBar::onPrintClicked()
{
    printPage();
}
void OutputBar::onPrintCapture()
{
    run(printCapture);
}
void OutputBar::onSaveCapture()
{
    run(saveCapture);
}
void OutputBar::onPageToWordProcessor()
{
    run(pageToWordProcessor);
}
void OutputBar::onCaptureToWordProcessor()
{
    run(captureToWordProcessor);
}
void OutputBar::onPrinterSetup()
{
    ui::runCommand(owner_, [this] { printerSetup(owner_); });
}

} // namespace rida::lookup
