#pragma once
// The program's look: one style sheet for frames, menus, buttons and edits,
// and the Korean fonts. The window definitions name 맑은 고딕 and 굴림; both
// are mapped to the installed Korean font (Nanum Gothic on Debian).

#include <QColor>
#include <QFont>
#include <QString>

class QApplication;

namespace rida::ui {

void applyTheme(QApplication& app);

// Qt's own texts in Korean: the print preview and print dialogs, the file
// dialog, the standard buttons of message boxes. Returns false (and changes
// nothing) where Qt's Korean translation is not installed.
bool installKoreanQtTexts(QApplication& app);

// A colour as the window definitions hold it: low byte red, then green, then blue.
inline QColor definitionColor(unsigned value)
{
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

QFont koreanFont(const QString& definitionFamily, int pointSize = -1, int pixelSize = -1);

} // namespace rida::ui
