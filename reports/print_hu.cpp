#include "reports/print_hu.h"

namespace rida::reports {

Tprint_h* print_h = nullptr;

ui::report::ReportPage Tprint_h::layoutValues()
{
    return ui::report::ReportPage::singleImage(QStringLiteral("세로출력"), QPageLayout::Portrait, QSize(kBoxWidth, kBoxHeight));
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
