#include "components/designlayout.h"

#include <QWidget>

#include <algorithm>

namespace rida::components {

DesignLayout::DesignLayout(QSize designSize, QWidget* parent) : QLayout(parent), designSize_(designSize)
{
    setContentsMargins(0, 0, 0, 0);
}

DesignLayout::~DesignLayout()
{
    for (const Entry& e : entries_)
        delete e.item;
}

void DesignLayout::addWidget(QWidget* w, QRect designRect, Qt::Edges anchors)
{
    addChildWidget(w);
    entries_.push_back({new QWidgetItem(w), designRect, anchors});
    invalidate();
}

void DesignLayout::addItem(QLayoutItem* item)
{
    entries_.push_back({item, item->geometry(), Qt::LeftEdge | Qt::TopEdge});
}

QLayoutItem* DesignLayout::itemAt(int index) const
{
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* DesignLayout::takeAt(int index)
{
    if (index < 0 || index >= entries_.size())
        return nullptr;
    return entries_.takeAt(index).item;
}

int DesignLayout::count() const
{
    return int(entries_.size());
}
QSize DesignLayout::sizeHint() const
{
    return designSize_;
}
QSize DesignLayout::minimumSize() const
{
    return {0, 0};
}

QRect DesignLayout::place(QRect r, Qt::Edges anchors, QSize designSize, QSize size)
{
    const int dx = size.width() - designSize.width();
    const int dy = size.height() - designSize.height();
    int left = r.left(), top = r.top(), width = r.width(), height = r.height();
    if (anchors & Qt::RightEdge) {
        if (anchors & Qt::LeftEdge)
            width += dx;
        else
            left += dx;
    }
    if (anchors & Qt::BottomEdge) {
        if (anchors & Qt::TopEdge)
            height += dy;
        else
            top += dy;
    }
    return QRect(left, top, std::max(width, 1), std::max(height, 1));
}

void DesignLayout::setGeometry(const QRect& r)
{
    QLayout::setGeometry(r);
    for (const Entry& e : entries_)
        e.item->setGeometry(place(e.rect, e.anchors, designSize_, r.size()).translated(r.topLeft()));
}

} // namespace rida::components
