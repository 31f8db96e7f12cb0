#pragma once
// The work window "알파/기타 용지 자동 등록".

#include "ui/workwindow.h"

namespace rida::recognition {

class Tjiga_auto2 : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit Tjiga_auto2(const QString& appDir);
};

} // namespace rida::recognition
