#include "reports/print_wu.h"

namespace rida::reports {

Tprint_w* print_w = nullptr;

ui::report::ReportPage Tprint_w::layoutValues()
{
    return ui::report::ReportPage::singleImage(QStringLiteral("가로출력"), QPageLayout::Landscape, QSize(kBoxWidth, kBoxHeight));
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
