#include "recognition/radiogroup.h"

#include <QBoxLayout>

namespace rida::recognition {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int start, Qt::Orientation orientation,
                       QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this))
{
    QString spoken = caption;
    spoken.remove(u':');
    setAccessibleName(spoken.trimmed());
    auto* layout =
        new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(orientation == Qt::Horizontal ? 12 : 2);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setAccessibleName(items[i].trimmed());
        group_->addButton(b, i);
        layout->addWidget(b);
        buttons_ << b;
    }
    layout->addStretch(1);
    setItemIndex(start);
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QRadioButton* b = buttons_.value(index))
        b->setChecked(true);
}

} // namespace rida::recognition
