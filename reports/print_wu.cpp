#include "reports/print_wu.h"

namespace rida::reports {

Tprint_w* print_w = nullptr;

ui::report::ReportPage Tprint_w::layoutValues()
{
    ui::report::ReportPage page;
    page.caption = QStringLiteral("가로출력");
    page.orientation = QPageLayout::Landscape;
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

Tprint_w::Tprint_w(QWidget* owner) : ReportLayout(layoutValues(), owner)
{
    setObjectName(QStringLiteral("print_w"));
    print_w = this;
}

Tprint_w::~Tprint_w()
{
    if (print_w == this)
        print_w = nullptr;
}

} // namespace rida::reports
