#pragma once
// A shown window holding one viewer, with its hooks recorded, and real mouse
// events sent to the view's viewport.

#include "image/bitmap.h"
#include "viewer/imageviewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace rida::viewer::testing {

// Every pixel from f(x, y).
inline image::Bitmap makePage(int w, int h, const std::function<std::uint32_t(int, int)>& f)
{
    image::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, f(x, y));
    return b;
}

inline image::Bitmap flatPage(int w, int h, std::uint32_t argb)
{
    image::Bitmap b(w, h);
    b.fill(argb);
    return b;
}

struct Harness {
    QWidget window;
    ImageViewer* viewer = nullptr;
    int modified = 0;
    int reopened = 0;
    int cancels = 0;
    QStringList messages;
    QStringList errors;
    QPoint pressedPoint{-1, -1};

    explicit Harness(ViewerConfig config = ViewerConfig::lookup(), bool withCancelHook = false)
    {
        ViewerHooks hooks;
        hooks.pageModified = [this] { ++modified; };
        hooks.reopen = [this] { ++reopened; };
        hooks.showMessage = [this](QWidget*, const QString& t) { messages << t; };
        hooks.reportError = [this](QWidget*, const QString& t) { errors << t; };
        hooks.pressedPagePoint = [this](int x, int y) { pressedPoint = {x, y}; };
        if (withCancelHook)
            hooks.cancel = [this] { ++cancels; };
        viewer = new ImageViewer(std::move(config), std::move(hooks), &window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(viewer);
        window.resize(900, 700);
        window.show();
        window.activateWindow();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
        viewer->resetPanMode();
    }

    ui::ImageView& view() { return *viewer->imageView; }
    QWidget* viewport() { return viewer->imageView->viewport(); }
    void setPage(image::Bitmap page) { view().setPage(std::move(page)); }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(at), viewport()->mapToGlobal(QPointF(at)), button, held, mods);
        QApplication::sendEvent(viewport(), &e);
    }
    void press(QPoint at, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, at, b, b, m);
    }
    void move(QPoint at, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        mouse(QEvent::MouseMove, at, Qt::NoButton, held, m);
    }
    void release(QPoint at, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonRelease, at, b, Qt::NoButton, m);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        press(from, Qt::LeftButton, m);
        move((from + to) / 2, Qt::LeftButton, m);
        move(to, Qt::LeftButton, m);
        release(to, Qt::LeftButton, m);
    }
    QPoint scroll() const
    {
        return {viewer->imageView->horizontalScrollBar()->value(), viewer->imageView->verticalScrollBar()->value()};
    }
    // Magnifier layers, bottom to top.
    std::vector<ui::Layer*> magnifiers() const
    {
        std::vector<ui::Layer*> out;
        for (const auto& l : viewer->imageView->layers())
            if (dynamic_cast<ui::PositionedLayer*>(l.get()))
                out.push_back(l.get());
        return out;
    }
    // The frame as the user sees it, after an immediate repaint.
    const image::Bitmap& frame()
    {
        viewer->imageView->repaintNow();
        return viewer->imageView->backBuffer();
    }
};

} // namespace rida::viewer::testing
