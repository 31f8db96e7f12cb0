#include "reports/print_hu.h"

namespace rida::reports {

Tprint_h* print_h = nullptr;

ui::report::ReportPage Tprint_h::layoutValues()
{
    ui::report::ReportPage page;
    page.caption = QStringLiteral("세로출력");
    page.orientation = QPageLayout::Portrait;
    page.marginsMm = QMarginsF(1.0, 1.0, 1.0, 1.0);
    page.bandSize = QSize(kBoxWidth, kBoxHeight);
    page.image.left = 0;
    page.image.top = 0;
    page.image.width = kBoxWidth;
    page.image.height = kBoxHeight;
    page.image.stretch = true;
    page.image.center = true;
    page.color = ui::report::ColorOption::Default;
    return page;
}

Tprint_h::Tprint_h(QWidget* owner) : ReportLayout(layoutValues(), owner)
{
    setObjectName(QStringLiteral("print_h"));
    print_h = this;
}

Tprint_h::~Tprint_h()
{
    if (print_h == this)
        print_h = nullptr;
}

} // namespace rida::reports
