#pragma once
// Base of the four work windows. A work window is a top-level window owned by
// the application (no parent), shown modeless over the disabled main window,
// filling the desktop's work area. It frees itself when closed and tells the
// main window through `closed()`, which then clears its reference and enables
// itself again.

#include <QString>
#include <QWidget>

namespace rida::ui {

// Fills the desktop's work area with `window`, frame included: the window is
// sized to the work area and shown maximised, so that a window manager fits its
// frame inside (without one the set size stands). It follows the work area's size.
void showFillingWorkArea(QWidget* window);

class WorkWindow : public QWidget {
    Q_OBJECT
public:
    enum class TitleButtons { All, CloseOnly };
    // `appDir` is the application directory, ending with the path separator.
    // `CloseOnly`: the title bar carries the system menu and the close button, no
    // minimise or maximise button.
    WorkWindow(const QString& appDir, const QString& caption, TitleButtons buttons = TitleButtons::All);
    ~WorkWindow() override;
    const QString& appDir() const { return appDir_; }

    // Shows the window over the desktop's work area and follows its size.
    void showInWorkArea();

    // The program is ending (its main window closes, the session ends): the
    // window closes; one doing long work stops it at the next step it can and
    // closes then, asking nothing.
    virtual void programEnding() { close(); }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;

    // Key preview: once enabled, keyPreview() sees each key press of the window
    // once, where it first arrives (the focused control, or the window itself),
    // before that control does, which then gets the key too. A held command key
    // (F1..F12, Enter) is previewed once, not at every repeat.
    void enableKeyPreview();
    virtual void keyPreview(int key) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString appDir_;
    bool keyPreview_ = false;
};

} // namespace rida::ui
