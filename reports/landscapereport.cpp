#include "reports/landscapereport.h"

namespace rida::reports {

LandscapeReport* print_w = nullptr;

ui::report::ReportPage LandscapeReport::layoutValues()
{
    return ui::report::ReportPage::singleImage(QStringLiteral("가로출력"), QPageLayout::Landscape,
                                               QSize(kBoxWidth, kBoxHeight));
}

LandscapeReport::LandscapeReport(QWidget* owner) : ReportLayout(layoutValues(), owner)
{
    setObjectName(QStringLiteral("print_w"));
    print_w = this;
}

LandscapeReport::~LandscapeReport()
{
    if (print_w == this)
        print_w = nullptr;
}

} // namespace rida::reports
