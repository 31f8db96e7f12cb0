#include "recognition/jiga_auto2u.h"

namespace rida::recognition {

Tjiga_auto2::Tjiga_auto2(const QString& appDir) : WorkWindow(appDir, QStringLiteral("알파/기타 용지 자동 등록"))
{
    setObjectName(QStringLiteral("jiga_auto2"));
}

} // namespace rida::recognition
