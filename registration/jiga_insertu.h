#pragma once
// The work window "지가조서 등록".

#include "ui/workwindow.h"

namespace rida::registration {

class Tjiga_insert : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit Tjiga_insert(const QString& appDir);
};

} // namespace rida::registration
