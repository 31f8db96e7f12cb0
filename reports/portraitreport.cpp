#include "reports/portraitreport.h"

namespace rida::reports {

PortraitReport* print_h = nullptr;

ui::report::ReportPage PortraitReport::layoutValues()
{
    return ui::report::ReportPage::singleImage(QStringLiteral("세로출력"), QPageLayout::Portrait,
                                               QSize(kBoxWidth, kBoxHeight));
}

PortraitReport::PortraitReport(QWidget* owner) : ReportLayout(layoutValues(), owner)
{
    setObjectName(QStringLiteral("print_h"));
    print_h = this;
}

PortraitReport::~PortraitReport()
{
    if (print_h == this)
        print_h = nullptr;
}

} // namespace rida::reports
