#pragma once
// Helpers for driving the search windows through their widgets.

#include "tests/support/qtprint.h"
#include "tests/support/spoken.h"
#include "ui/grid/stringgrid.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace rida::test {

// An application folder with the sample record's page, Files/Img001.jpg.
struct AppFolder {
    QTemporaryDir dir;
    AppFolder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("Files"));
        QImage page(64, 48, QImage::Format_RGB32);
        page.fill(QColor(200, 180, 160));
        page.save(pagePath(), "JPEG");
    }
    QString appDir() const { return dir.path() + u'/'; }
    QString pagePath() const { return dir.path() + QStringLiteral("/Files/Img001.jpg"); }
};

inline QPoint cellCentre(ui::grid::StringGrid* grid, int row, int column)
{
    return grid->visualRect(grid->model()->index(row - 1, column)).center();
}

inline void clickRow(ui::grid::StringGrid* grid, int row, int column = 1)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
}

// A double-click as the desktop delivers it: press, release, then the double-click.
inline void doubleClickRow(ui::grid::StringGrid* grid, int row, int column = 1)
{
    const QPoint p = cellCentre(grid, row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, p);
}

inline void doubleClickHeader(ui::grid::StringGrid* grid, int column)
{
    auto* header = grid->horizontalHeader();
    const QPoint p(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, p);
}

// A key pressed where the focus is, as the user would press it.
inline void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = {})
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, mods);
}

// Types `text` into `w` character by character; Hangul and other non-ASCII
// characters arrive as key presses carrying their text.
inline void typeText(QWidget* w, const QString& text)
{
    w->setFocus();
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace rida::test
