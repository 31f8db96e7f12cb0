#include "lookup/accessiblenames.h"

#include <QAbstractButton>
#include <QWidget>

namespace rida::lookup {

void nameButtonsByHint(QWidget* root)
{
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->text().isEmpty() && b->accessibleName().isEmpty() && !b->toolTip().isEmpty())
            b->setAccessibleName(b->toolTip());
}

} // namespace rida::lookup
