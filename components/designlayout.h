#pragma once
// Places a window's panels at their design rectangles and lets each follow
// the window's size by the edges it is anchored to, as the window definitions
// lay them out. Rectangles are in design pixels of a client area of
// `designSize`; an edge anchored on both sides stretches, an edge anchored
// only right or bottom moves with the window.

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

namespace rida::components {

// The search windows' design client area. The frame's title bar (31 pixels)
// is the desktop's own here, so design tops are taken 31 pixels up.
inline constexpr int kDesignTitleBar = 31;
inline constexpr QSize kDesignClient(1024, 741 - kDesignTitleBar);
inline QRect designRect(int left, int top, int width, int height)
{
    return QRect(left, top - kDesignTitleBar, width, height);
}
inline constexpr Qt::Edges kAnchorLeftTop = Qt::LeftEdge | Qt::TopEdge;

class DesignLayout : public QLayout {
    Q_OBJECT
public:
    DesignLayout(QSize designSize, QWidget* parent);
    ~DesignLayout() override;

    void addWidget(QWidget* w, QRect designRect, Qt::Edges anchors);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& r) override;

    // Where a design rectangle lands in a client area of `size`.
    static QRect place(QRect designRect, Qt::Edges anchors, QSize designSize, QSize size);

private:
    struct Entry {
        QLayoutItem* item;
        QRect rect;
        Qt::Edges anchors;
    };
    QSize designSize_;
    QList<Entry> entries_;
};

} // namespace rida::components
