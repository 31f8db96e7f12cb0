#pragma once
// One page of a picture report: A4 paper, a band that fills the printable area
// and one image box in the band. A ReportPage is a plain value: a preview
// window keeps its own copy, so it may outlive the layout that made it.
//
// Units: layout pixels of 1/96 inch on paper (the size a layout has on screen
// at 96 pixels per inch); margins in millimetres. Box coordinates are relative
// to the band's top-left corner, which sits at the top and left margins.

#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
class QPrinter;

namespace rida::ui::report {

constexpr double kLayoutPixelsPerInch = 96.0;

// The colour option a caller sets; a layout starts at Default (the printer's own).
enum class ColorOption { Default = 0, Monochrome = 1, Colour = 2 };

struct ImageBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // On: the picture fills the box. Off: the picture keeps its own size (one
    // picture pixel = one layout pixel), centred in the box, and a picture
    // larger than the box is reduced proportionally so that none of it is cut off.
    bool stretch = true;
    bool center = true;
    QImage picture;
};

struct ReportPage {
    QString caption;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{1.0, 1.0, 1.0, 1.0};
    QSize bandSize; // layout pixels
    ImageBox image;
    ColorOption color = ColorOption::Default;
    QSize previewSize; // the preview window's size; empty = the engine's choice

    // A one-band sheet whose image box fills the band, picture stretched and centred.
    static ReportPage singleImage(const QString& caption, QPageLayout::Orientation orientation, QSize box);

    QPageLayout pageLayout() const;
    // Where the picture is drawn, in layout pixels from the band's top-left corner.
    QRectF pictureRect() const;
    // The picture as it goes to paper (grey levels for the monochrome option).
    QImage pictureForPaper() const;
};

// Paints the page on a painter whose origin is the paper's top-left corner and
// whose unit is `devicePixelsPerInch`.
void paintPage(const ReportPage& page, QPainter& painter, double devicePixelsPerInch);

// Prints the page on `printer` as one sheet. Throws model::Error when the
// printer cannot be opened.
void printPage(const ReportPage& page, QPrinter& printer);

// Writes the page as a one-page PDF file. Throws model::Error on failure.
void writePdf(const ReportPage& page, const QString& path);

// The whole sheet as an image at `dpi`, white paper included.
QImage renderSheet(const ReportPage& page, double dpi);

} // namespace rida::ui::report
