#include "ui/report/reportpage.h"

#include "model/error.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace rida::ui::report {

ReportPage ReportPage::singleImage(const QString& caption, QPageLayout::Orientation orientation, QSize box)
{
    ReportPage page;
    page.caption = caption;
    page.orientation = orientation;
    page.bandSize = box;
    page.image.left = 0;
    page.image.top = 0;
    page.image.width = box.width();
    page.image.height = box.height();
    page.image.stretch = true;
    page.image.center = true;
    return page;
}

QPageLayout ReportPage::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, marginsMm, QPageLayout::Millimeter);
}

QRectF ReportPage::pictureRect() const
{
    const ImageBox& box = image;
    const QRectF boxRect(box.left, box.top, box.width, box.height);
    if (box.stretch || box.picture.isNull())
        return boxRect;
    QSizeF size = box.picture.size();
    // Unstretched, a picture keeps its size, except one larger than the box:
    // that is reduced to fit rather than cut off, so that a capture of a view
    // on a wide screen goes on paper whole.
    if (size.width() > boxRect.width() || size.height() > boxRect.height())
        size.scale(boxRect.size(), Qt::KeepAspectRatio);
    if (!box.center)
        return QRectF(boxRect.topLeft(), size);
    return QRectF(boxRect.left() + (boxRect.width() - size.width()) / 2,
                  boxRect.top() + (boxRect.height() - size.height()) / 2, size.width(), size.height());
}

QImage ReportPage::pictureForPaper() const
{
    if (color == ColorOption::Monochrome)
        return image.picture.convertToFormat(QImage::Format_Grayscale8);
    return image.picture;
}

void paintPage(const ReportPage& page, QPainter& painter, double devicePixelsPerInch)
{
    if (page.image.picture.isNull())
        return;
    painter.save();
    const double mmToDevice = devicePixelsPerInch / 25.4;
    painter.translate(page.marginsMm.left() * mmToDevice, page.marginsMm.top() * mmToDevice);
    const double s = devicePixelsPerInch / kLayoutPixelsPerInch;
    painter.scale(s, s);
    // The band: nothing outside it reaches the paper.
    painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(page.bandSize)));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(page.pictureRect(), page.pictureForPaper());
    painter.restore();
}

void printPage(const ReportPage& page, QPrinter& printer)
{
    // The sheet's corner is the origin and paintPage applies the layout's 1 mm
    // margins itself, so a printer whose own margins are wider cannot refuse
    // the layout and leave it in another orientation.
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(page.orientation);
    printer.setDocName(page.caption);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    if (page.color == ColorOption::Monochrome)
        printer.setColorMode(QPrinter::GrayScale);
    else if (page.color == ColorOption::Colour)
        printer.setColorMode(QPrinter::Color);
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString where =
            printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
        throw model::Error(QStringLiteral("프린터에 출력할 수 없습니다: %1").arg(where));
    }
    paintPage(page, painter, printer.resolution());
    if (!painter.end())
        throw model::Error(QStringLiteral("출력을 마치지 못했습니다."));
}

void writePdf(const ReportPage& page, const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printPage(page, printer);
}

QImage renderSheet(const ReportPage& page, double dpi)
{
    const QSizeF mm = page.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QImage sheet(int(mm.width() / 25.4 * dpi + 0.5), int(mm.height() / 25.4 * dpi + 0.5), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    paintPage(page, painter, dpi);
    return sheet;
}

} // namespace rida::ui::report
