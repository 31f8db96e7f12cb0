#pragma once
// Base of the four work windows. A work window is a top-level window owned by
// the application (no parent), shown modeless over the disabled main window,
// filling the desktop's work area. It frees itself when closed and tells the
// main window through `closed()`, which then clears its reference and enables
// itself again.

#include <QString>
#include <QWidget>

namespace rida::ui {

class WorkWindow : public QWidget {
    Q_OBJECT
public:
    // `appDir` is the application directory, ending with the path separator.
    WorkWindow(const QString& appDir, const QString& caption);
    const QString& appDir() const { return appDir_; }

    // Shows the window over the desktop's work area and follows its size.
    void showInWorkArea();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QString appDir_;
};

} // namespace rida::ui
