#include "components/designlayout.h"

#include <gtest/gtest.h>

using rida::components::DesignLayout;

TEST(DesignLayout, PanelsFollowTheWindowByTheirAnchors)
{
    const QSize design(1000, 700);
    const QSize grown(1200, 760); // 200 wider, 60 higher
    const QRect r(10, 20, 100, 50);
    struct Case {
        Qt::Edges anchors;
        QRect expected;
    } cases[] = {
        {Qt::LeftEdge | Qt::TopEdge, QRect(10, 20, 100, 50)},
        {Qt::LeftEdge | Qt::TopEdge | Qt::BottomEdge, QRect(10, 20, 100, 110)},
        {Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge, QRect(10, 80, 300, 50)},
        {Qt::RightEdge | Qt::BottomEdge, QRect(210, 80, 100, 50)},
        {Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge, QRect(10, 20, 300, 110)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesignLayout::place(r, c.anchors, design, grown), c.expected) << int(c.anchors);
    // A window smaller than the design never gives a panel a negative size.
    EXPECT_GE(DesignLayout::place(r, Qt::LeftEdge | Qt::RightEdge, design, QSize(10, 10)).width(), 1);
}
