#include "modify/jiga_selectu.h"

namespace rida::modify {

Tjiga_select::Tjiga_select(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 수정/삭제"))
{
    setObjectName(QStringLiteral("jiga_select"));
}

} // namespace rida::modify
