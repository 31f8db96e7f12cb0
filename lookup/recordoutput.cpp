#include "lookup/recordoutput.h"

#include "image/codec.h"
#include "model/error.h"
#include "model/landrecord.h"
#include "reports/landscapereport.h"
#include "reports/portraitreport.h"
#include "ui/report/outputplatform.h"
#include "ui/report/picturedocument.h"
#include "ui/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace rida::lookup {

namespace {

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString ensureTempFolder(const QString& appDir)
{
    const QString path = model::tempBitmapPath(appDir);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        throw model::Error(QStringLiteral("임시 폴더를 만들 수 없습니다: %1").arg(QDir::toNativeSeparators(folder)));
    return path;
}

// Copies a file's bytes over `target`; the old target stays whole until the
// new content is complete.
void copyReplacing(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw model::Error(QStringLiteral("파일을 읽을 수 없습니다: %1").arg(QDir::toNativeSeparators(source)));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw model::Error(QStringLiteral("파일을 저장할 수 없습니다: %1\n%2")
                               .arg(QDir::toNativeSeparators(target), out.errorString()));
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            throw model::Error(QStringLiteral("파일을 읽을 수 없습니다: %1").arg(QDir::toNativeSeparators(source)));
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            throw model::Error(QStringLiteral("파일을 저장할 수 없습니다: %1\n%2")
                                   .arg(QDir::toNativeSeparators(target), out.errorString()));
    }
    if (!out.commit())
        throw model::Error(QStringLiteral("파일을 저장할 수 없습니다: %1\n%2")
                               .arg(QDir::toNativeSeparators(target), out.errorString()));
}

image::Bitmap bitmapFrom(const QImage& shot)
{
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    image::Bitmap bitmap(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        std::uint32_t* dst = bitmap.row(y);
        for (int x = 0; x < rgb.width(); ++x)
            dst[x] = src[x] | 0xff000000u;
    }
    return bitmap;
}

QImage imageFrom(const image::Bitmap& bitmap)
{
    const QImage view(reinterpret_cast<const uchar*>(bitmap.data()), bitmap.width(), bitmap.height(),
                      qsizetype(bitmap.width()) * 4, QImage::Format_RGB32);
    return view.copy();
}

bool hasPage(const OutputSource& source)
{
    return source.page && !source.page->empty();
}

// The view capture, written to the temporary page bitmap.
QString captureToTemp(const OutputSource& source)
{
    const QImage shot = source.captureView ? source.captureView() : QImage();
    if (shot.isNull())
        throw model::Error(QStringLiteral("화면을 캡쳐할 수 없습니다."));
    return saveTempBitmap(source.appDir, bitmapFrom(shot));
}

bool wordProcessorReady(QWidget* owner, const QString& question)
{
    if (!ui::services().askYesNo(owner, question))
        return false;
    if (!ui::report::wordProcessor().canStart()) {
        ui::services().showMessage(owner, QString::fromUtf8(text::kNoWordProcessor), ui::MessageIcon::Warning);
        return false;
    }
    return true;
}

// A word processor that is installed but will not start is, to the user, one
// that is not there: the same warning, and the document written for it goes.
void openInWordProcessor(QWidget* owner, const QString& picture)
{
    const QString document = ui::report::newDocumentPath();
    ui::report::writePictureDocument(document, picture);
    try {
        ui::report::wordProcessor().openNewDocument(document);
    } catch (const ui::report::WordProcessorNotStarted&) {
        QFile::remove(document);
        ui::services().showMessage(owner, QString::fromUtf8(text::kNoWordProcessor), ui::MessageIcon::Warning);
    }
}

// Re-enables a window when the command ends, also by an error.
class DisabledWhile {
public:
    explicit DisabledWhile(QWidget* w) : w_(w)
    {
        if (w_)
            w_->setEnabled(false);
    }
    ~DisabledWhile()
    {
        if (w_)
            w_->setEnabled(true);
    }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QWidget* w_;
};

} // namespace

BoxFit fitPrintBox(int width, int height, int boxWidth, int boxHeight)
{
    // The products are formed in 64 bits: identical to 32-bit arithmetic for
    // every page whose products fit in 32 bits, and no wrap-around for the rest.
    const std::int64_t W = width, H = height, QW = boxWidth, QH = boxHeight;
    BoxFit fit{0, boxWidth, boxHeight};
    if (W > QW) {
        std::int64_t nw = QW;
        std::int64_t nh = H * QW / W;
        if (nh > QH) {
            nw = QH * QW / nh;
            nh = QH;
            fit.left = int((QW - nw) / 2);
        }
        fit.width = int(nw);
        fit.height = int(nh);
    } else if (W < QW && H > QH) {
        const std::int64_t nw = QH * W / H;
        fit.left = int((QW - nw) / 2);
        fit.width = int(nw);
        fit.height = boxHeight;
    }
    return fit;
}

QString saveTempBitmap(const QString& appDir, const image::Bitmap& page)
{
    const QString path = ensureTempFolder(appDir);
    image::saveBmp32(localPath(path), page);
    return path;
}

QImage captureViewArea(QWidget* view, int scrollBar)
{
    const QRect area(0, 0, view->width() - scrollBar, view->height() - scrollBar);
    if (area.isEmpty())
        return {};
    return ui::report::screenCapture().capture(view, area);
}

void printPage(const OutputSource& source)
{
    if (!hasPage(source))
        return;
    QImage picture;
    if (source.modifiedOutput) {
        // The page as modified goes to the temporary bitmap as ever; the print
        // takes it from memory rather than reading that file back.
        saveTempBitmap(source.appDir, *source.page);
        picture = imageFrom(*source.page);
    } else {
        image::Bitmap stored;
        image::loadPage(localPath(source.recordFile), stored);
        picture = imageFrom(stored);
    }

    std::unique_ptr<ui::report::ReportLayout> layout;
    if (printsLandscape(picture.width(), picture.height()))
        layout = std::make_unique<reports::LandscapeReport>(source.owner);
    else
        layout = std::make_unique<reports::PortraitReport>(source.owner);
    layout->setPicture(std::move(picture));

    ui::report::ImageBox& box = layout->imageBox();
    const BoxFit fit =
        fitPrintBox(layout->page().image.picture.width(), layout->page().image.picture.height(), box.width, box.height);
    box.left += fit.left;
    box.width = fit.width;
    box.height = fit.height;
    box.stretch = true;
    layout->setColorOption(ui::report::ColorOption::Colour);

    layout->preview();
    layout->print();
}

void printCapture(const OutputSource& source)
{
    if (!hasPage(source))
        return;
    const QString temp = captureToTemp(source);
    DisabledWhile disabled(source.owner);
    reports::LandscapeReport layout(source.owner);
    layout.loadPicture(temp);
    layout.QRImage1().stretch = false;
    layout.setColorOption(ui::report::ColorOption::Monochrome);
    layout.setPreviewSize(QSize(800, 600));
    layout.previewModal();
}

void saveCapture(const OutputSource& source)
{
    if (!hasPage(source))
        return;
    const QString temp = captureToTemp(source);
    const QString target = ui::report::fileDialogs().saveFileName(
        source.owner, {QStringLiteral("화면 캡쳐 저장"), QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("bmp")});
    if (target.isEmpty())
        return;
    copyReplacing(temp, target);
}

void pageToWordProcessor(const OutputSource& source)
{
    if (!hasPage(source))
        return;
    if (!wordProcessorReady(source.owner, QString::fromUtf8(text::kPageQuestion)))
        return;
    if (!QFileInfo(source.recordFile).isFile()) {
        ui::services().showMessage(source.owner, QString::fromUtf8(text::kRecordFileMissing));
        return;
    }
    QString temp;
    if (source.modifiedOutput) {
        temp = saveTempBitmap(source.appDir, *source.page);
    } else {
        // The stored file goes as it is, JPEG or BMP, under the temporary name.
        temp = ensureTempFolder(source.appDir);
        copyReplacing(source.recordFile, temp);
    }
    openInWordProcessor(source.owner, temp);
}

void captureToWordProcessor(const OutputSource& source)
{
    if (!hasPage(source))
        return;
    if (!wordProcessorReady(source.owner, QString::fromUtf8(text::kCaptureQuestion)))
        return;
    if (source.repaintView)
        source.repaintView();
    openInWordProcessor(source.owner, captureToTemp(source));
}

void printerSetup(QWidget* owner)
{
    ui::report::PrinterSetup& printers = ui::report::printerSetup();
    if (printers.installedPrinters().isEmpty()) {
        ui::services().showMessage(owner, ui::report::noPrinterMessage());
        return;
    }
    const std::optional<QString> chosen = printers.choosePrinter(owner);
    if (!chosen || chosen->isEmpty())
        return;
    printers.makeDefault(*chosen);
}

} // namespace rida::lookup
