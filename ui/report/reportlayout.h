#pragma once
// A report layout: the object a caller creates, fills, previews, prints and
// frees. It owns its page (ReportPage) and sends it to the installed report
// device; it is never shown as a window itself.
//
//     LandscapeReport layout(lookupWindow);            // owner: the lookup window
//     layout.loadPicture(path);                  // BMP or JPEG
//     layout.QRImage1().stretch = false;
//     layout.setColorOption(ColorOption::Monochrome);
//     layout.previewModal();

#include "ui/report/reportpage.h"

#include <QObject>
#include <QWidget>

namespace rida::ui::report {

class ReportLayout : public QObject {
    Q_OBJECT
public:
    ReportLayout(ReportPage values, QWidget* owner);

    const ReportPage& page() const { return page_; }
    QWidget* owner() const { return owner_; }
    // The image box of the band, in layout pixels.
    ImageBox& imageBox() { return page_.image; }

    // Loads a BMP or JPEG file into the image box. Throws image::ImageError
    // when the file cannot be read; the box keeps its picture then.
    void loadPicture(const QString& path);
    void setPicture(const QImage& picture);
    void setColorOption(ColorOption option) { page_.color = option; }
    void setPreviewSize(const QSize& size) { page_.previewSize = size; }

    // Returns at once; the preview window keeps its own copy of the page.
    void preview();
    // Returns when the user closes the preview.
    void previewModal();
    // True only when the sheet went to the printer (see ReportDevice::print).
    bool print();

private:
    ReportPage page_;
    QWidget* owner_;
};

} // namespace rida::ui::report
