#include "recognition/blockingrun.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>

#include <memory>
#include <optional>
#include <thread>

namespace rida::recognition {

namespace {

bool isUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

BlockingRun::BlockingRun(QWidget* window) : QObject(window), window_(window) {}

BlockingRun::~BlockingRun() = default;

void BlockingRun::run(const std::function<void()>& job)
{
    {
        std::lock_guard lock(mutex_);
        abandoned_ = false;
    }
    running_ = true;
    qApp->installEventFilter(this);

    QEventLoop loop;
    bool finished = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            job();
        } catch (const Abandoned&) {
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued behind everything the job posted, so the window has seen it all when the loop ends.
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                finished = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    if (!finished) {
        // Told to quit (the application is ending): the job stops at its next call to the window.
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        answered_.notify_all();
    }
    worker.join();
    qApp->removeEventFilter(this);
    running_ = false;
    if (failure)
        std::rethrow_exception(failure);
}

void BlockingRun::throwIfAbandoned() const
{
    std::lock_guard lock(mutex_);
    if (abandoned_)
        throw Abandoned{};
}

void BlockingRun::post(std::function<void()> fn)
{
    throwIfAbandoned();
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool BlockingRun::ask(const std::function<bool()>& fn)
{
    throwIfAbandoned();
    // Shared, so that a question still queued when the run is abandoned finds its state alive.
    auto answer = std::make_shared<std::optional<bool>>();
    QMetaObject::invokeMethod(
        this,
        [this, fn, answer] {
            {
                // Abandoned meanwhile (the program is ending): no question is shown any more.
                std::lock_guard lock(mutex_);
                if (abandoned_)
                    return;
            }
            const bool a = fn();
            std::lock_guard lock(mutex_);
            *answer = a;
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answer->has_value() || abandoned_; });
    if (!answer->has_value())
        throw Abandoned{};
    return **answer;
}

bool BlockingRun::eventFilter(QObject* watched, QEvent* event)
{
    if (!running_ || !window_ || !watched->isWidgetType() || !isUserInput(event->type()))
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (w->window() != window_)
        return false; // the stop question's box, for one, takes its answer
    if (event->type() == QEvent::ShortcutOverride)
        event->accept(); // no shortcut of the window fires either
    return true;
}

} // namespace rida::recognition
