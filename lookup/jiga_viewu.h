#pragma once
// The lookup window "지가조서 조회".

#include "ui/workwindow.h"

namespace rida::lookup {

class Tjiga_view : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit Tjiga_view(const QString& appDir);
};

} // namespace rida::lookup
