#include "lookup/jiga_viewu.h"

namespace rida::lookup {

Tjiga_view::Tjiga_view(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 조회"))
{
    setObjectName(QStringLiteral("jiga_view"));
}

} // namespace rida::lookup
