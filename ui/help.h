#pragma once
// Help topics. The help file "Help/rufodevv7.chm" of the application directory
// names the help; its topics are pages shipped beside it in Help/, opened in
// the desktop's browser because there is no HTML Help viewer on this system.

#include <QString>

namespace rida::ui {

// The command line the topic would be opened with by an HTML Help viewer:
// HH "<appDir>Help/rufodevv7.chm::/<topic>".
QString helpCommandLine(const QString& appDir, const QString& topic);

// Opens `topic` (such as "3_7_h.htm"); the result is ignored.
void openHelpTopic(const QString& appDir, const QString& topic);

} // namespace rida::ui
