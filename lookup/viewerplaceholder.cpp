#include "lookup/viewerplaceholder.h"

#include "ui/image/codec.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

#include <cmath>

namespace rida::lookup {

PlaceholderViewer::PlaceholderViewer(QWidget* parent) : QWidget(parent)
{
    ImgView = new QLabel(this);
    ImgView->setObjectName(QStringLiteral("ImgView"));
    ImgView->setAlignment(Qt::AlignCenter);
    ImgView->setAutoFillBackground(true);
    QPalette p = ImgView->palette();
    p.setColor(QPalette::Window, QColor(88, 87, 103));
    ImgView->setPalette(p);
    ImgView->setAccessibleName(QStringLiteral("이미지"));

    auto* scaleLabel = new QLabel(QStringLiteral("화면비율"), this);
    ScaleCombo = new QComboBox(this);
    ScaleCombo->setEditable(true);
    ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    ScaleCombo->addItems({"20%", "25%", "50%", "60%", "75%", "80%", "100%", "200%", "300%", "400%", "800%", "1600%", "2000%"});
    ScaleCombo->setCurrentIndex(-1);
    ScaleCombo->setEditText(QStringLiteral("50%"));
    scaleLabel->setBuddy(ScaleCombo);
    auto* brightLabel = new QLabel(QStringLiteral("명도:"), this);
    bright = new QLineEdit(QStringLiteral("0"), this);
    bright->setReadOnly(true);
    bright->setToolTip(QStringLiteral("이미지 명도 조절"));
    brightLabel->setBuddy(bright);

    auto* bar = new QHBoxLayout;
    bar->addWidget(scaleLabel);
    bar->addWidget(ScaleCombo);
    bar->addWidget(brightLabel);
    bar->addWidget(bright);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ImgView, 1);
    layout->addLayout(bar);
    connect(ScaleCombo, &QComboBox::textActivated, this, [this] { ScaleComboChange(); });
}

void PlaceholderViewer::loadPage(const QString& path)
{
    image::loadPage(path.toStdString(), page_);
    render();
}

void PlaceholderViewer::clearPage()
{
    page_.clear();
    render();
}

void PlaceholderViewer::selectScaleEntry(int index)
{
    ScaleCombo->setCurrentIndex(index);
    ScaleComboChange();
}

void PlaceholderViewer::resetBrightness() { bright->setText(QStringLiteral("0")); }

void PlaceholderViewer::ScaleComboChange()
{
    QString t = ScaleCombo->currentText();
    t.remove(u'%').remove(u' ');
    if (t.isEmpty())
        return;
    bool ok = false;
    int n = t.toInt(&ok);
    if (!ok)
        n = -1;
    if (n >= 1 && n <= 2000)
        scale_ = n / 100.0;
    else
        n = int(std::lround(scale_ * 100));
    const QSignalBlocker block(ScaleCombo);
    ScaleCombo->setEditText(QString::number(n) + u'%');
    render();
}

void PlaceholderViewer::stepScale(int direction)
{
    const int current = ScaleCombo->findText(ScaleCombo->currentText());
    const int next = current < 0 ? (direction > 0 ? 0 : -1) : current + direction;
    if (next < 0 || next >= ScaleCombo->count())
        return;
    selectScaleEntry(next);
}

void PlaceholderViewer::ImgViewClick() { ScaleCombo->setFocus(Qt::OtherFocusReason); }

void PlaceholderViewer::render()
{
    if (page_.empty()) {
        ImgView->clear();
        return;
    }
    const QImage img(reinterpret_cast<const uchar*>(page_.data()), page_.width(), page_.height(), page_.width() * 4,
                     QImage::Format_ARGB32);
    const QSize size(std::max(1, int(page_.width() * scale_)), std::max(1, int(page_.height() * scale_)));
    ImgView->setPixmap(QPixmap::fromImage(img.scaled(size)));
}

} // namespace rida::lookup
