#pragma once
// What differs between the work windows' viewers, and the hooks by which a
// window takes part in the viewer's commands.

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace rida::viewer {

// Colours as the window definitions hold them: low byte red, then green, then blue.
inline QColor windowColour(unsigned value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

enum class MenuCommand { Reopen, Magnifier, CancelMagnifier, Marker, Apply, Cancel, Rotate90, Rotate180 };

struct ViewerConfig {
    QColor background = Qt::black;
    Qt::CursorShape pageCursor = Qt::PointingHandCursor; // "hand"
    // Cursor set on a pan press and on the release; none = unchanged.
    std::optional<Qt::CursorShape> panPressCursor;
    std::optional<Qt::CursorShape> panReleaseCursor;
    QStringList scaleList;
    QString scaleLabel;      // shown before the scale box when not empty
    QList<MenuCommand> menu; // the view's right-click menu; empty = none

    // Tools on the viewer's bar.
    bool smoothing = false;      // "화면보정"
    bool smoothingFirst = false; // "화면보정" right after the scale box instead of after the page tools
    bool magnifier = false;      // magnifier command
    bool magnifierPanel = false; // settings panel and its toggle button
    QString magnifierPanelCaption = QStringLiteral("돋보기 조절");
    bool magnifierSlider = false;  // magnification slider on the bar instead of the panel
    bool magnifierCaption = false; // magnifier button shows "돋보기" rather than a picture
    bool cancelButton = false;     // "취소" (see hooks.cancel for windows that rebind it)
    bool marker = false;
    bool apply = false;
    bool brightness = false;
    bool rotation = false;
    bool rotationCaptions = false; // "90˚" / "180˚" rather than pictures
    // F5 magnifier, F6 cancel, F7 / F8 scale step, on the window that holds the viewer.
    bool functionKeys = false;
    bool scaleStepKeys = false;
    // A press that starts a pan reports the page point (automatic registration).
    bool reportPressPoint = false;

    static ViewerConfig lookup();
    static ViewerConfig modify();
    static ViewerConfig registration();
    static ViewerConfig autoRegistration();
};

struct ViewerHooks {
    // "다시 열기": the window reloads its record's page (or empties the page).
    std::function<void()> reopen;
    // A tool changed the page: the window ticks its "수정출력".
    std::function<void()> pageModified;
    // Rebinds the bar's "취소" and the menu's "돋보기 취소" (manual registration).
    std::function<void()> cancel;
    // Page point of a press that starts a pan, truncated toward zero.
    std::function<void(int x, int y)> pressedPagePoint;
    // Message boxes; unset = the application's services (a plain box).
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // The general error report for errors a command does not handle itself;
    // unset = the application's general error report.
    std::function<void(QWidget* parent, const QString& text)> reportError;
};

} // namespace rida::viewer
