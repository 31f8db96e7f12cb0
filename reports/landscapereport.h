#pragma once
// The landscape report layout "가로출력": A4 landscape, 1 mm margins, one band
// filling the printable area (1115 x 786 layout pixels) and the image box
// QRImage1 filling the band, picture centred and stretched.

#include "ui/report/reportlayout.h"

namespace rida::reports {

class LandscapeReport : public ui::report::ReportLayout {
    Q_OBJECT
public:
    static constexpr int kBoxWidth = 1115;
    static constexpr int kBoxHeight = 786;

    explicit LandscapeReport(QWidget* owner);
    ~LandscapeReport() override;

    static ui::report::ReportPage layoutValues();
    ui::report::ImageBox& QRImage1() { return imageBox(); }
};

// The layout that exists now, or null (one at a time, like the windows).
extern LandscapeReport* print_w;

} // namespace rida::reports
