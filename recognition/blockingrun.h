#pragma once
// Long work of a window, done on a worker thread while the window stays on
// screen but takes no input.
//
// run() starts the job on a worker thread and returns when the job has ended,
// as a command that did the work itself would; meanwhile the calling (user
// interface) thread goes on painting and dispatching, but the user's mouse,
// key and wheel input to the window is swallowed. The job talks to the
// window only through post() (the call runs on the user-interface thread, in
// the order posted) and ask() (the same, and the job waits for the answer), so
// the window sees the job's events in the order the job made them and has
// seen all of them when run() returns.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace rida::recognition {

class BlockingRun : public QObject {
    Q_OBJECT
public:
    explicit BlockingRun(QWidget* window);
    ~BlockingRun() override;

    // Runs `job` on a worker thread. Rethrows what the job threw. Must not be
    // called again while a run is going on.
    void run(const std::function<void()>& job);
    bool running() const { return running_; }

    // From the job: `fn` runs on the user-interface thread after everything posted before.
    void post(std::function<void()> fn);
    // From the job: runs `fn` on the user-interface thread and waits for its answer.
    bool ask(const std::function<bool()>& fn);

    // Thrown into the job by post() and ask() once the run has been abandoned
    // (the event loop was told to quit while the job was still going).
    struct Abandoned {};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void throwIfAbandoned() const;

    QPointer<QWidget> window_;
    bool running_ = false;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    bool abandoned_ = false;
};

} // namespace rida::recognition
