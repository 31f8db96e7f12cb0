#pragma once
// The portrait report layout "세로출력": A4 portrait, 1 mm margins, one band
// filling the printable area (786 x 1115 layout pixels) and the image box
// QRImage1 filling the band, picture centred and stretched.

#include "ui/report/reportlayout.h"

namespace rida::reports {

class PortraitReport : public ui::report::ReportLayout {
    Q_OBJECT
public:
    static constexpr int kBoxWidth = 786;
    static constexpr int kBoxHeight = 1115;

    explicit PortraitReport(QWidget* owner);
    ~PortraitReport() override;

    static ui::report::ReportPage layoutValues();
    ui::report::ImageBox& QRImage1() { return imageBox(); }
};

extern PortraitReport* print_h;

} // namespace rida::reports
