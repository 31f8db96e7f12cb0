#pragma once
// The program's pictures, drawn in code so that nothing comes from elsewhere.

#include <QPixmap>

namespace rida::ui::pictures {

enum class Tool { Lookup, AutoRegister, ManualRegister, Modify, Exit, Support, About, Settings, Users, Codes };

QPixmap titlePicture();         // 567 x 358, the system's title
QPixmap toolbarPicture(Tool t); // 100 x 82
QPixmap menuPicture(Tool t);    // 16 x 16
QPixmap userIcon();             // 23 x 23
QPixmap supportButtonPicture(); // 90 x 27

} // namespace rida::ui::pictures
