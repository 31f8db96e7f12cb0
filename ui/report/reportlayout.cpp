#include "ui/report/reportlayout.h"

#include "image/codec.h"
#include "ui/report/outputplatform.h"

#include <QFile>

namespace rida::ui::report {

ReportLayout::ReportLayout(ReportPage values, QWidget* owner) : QObject(owner), page_(std::move(values)), owner_(owner)
{
}

void ReportLayout::loadPicture(const QString& path)
{
    // Our own decoders: no allocation limit below a full-size colour scan, and
    // the format is taken from the file's content, not its name.
    image::Bitmap bitmap;
    image::loadPage(QFile::encodeName(path).toStdString(), bitmap);
    // Scanned paper is opaque, whatever a 32-bit file holds in its alpha bytes.
    QImage picture(reinterpret_cast<const uchar*>(bitmap.data()), bitmap.width(), bitmap.height(),
                   qsizetype(bitmap.width()) * 4, QImage::Format_RGB32);
    page_.image.picture = picture.copy();
}

void ReportLayout::setPicture(const QImage& picture)
{
    page_.image.picture = picture;
}

void ReportLayout::preview()
{
    reportDevice().showPreview(owner_, page_);
}

void ReportLayout::previewModal()
{
    reportDevice().runPreview(owner_, page_);
}

bool ReportLayout::print()
{
    return reportDevice().print(owner_, page_);
}

} // namespace rida::ui::report
