#include "registration/jiga_insertu.h"

namespace rida::registration {

Tjiga_insert::Tjiga_insert(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 등록"))
{
    setObjectName(QStringLiteral("jiga_insert"));
}

} // namespace rida::registration
