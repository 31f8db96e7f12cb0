#pragma once
// The work window "지가조서 수정/삭제".

#include "ui/workwindow.h"

namespace rida::modify {

class Tjiga_select : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit Tjiga_select(const QString& appDir);
};

} // namespace rida::modify
