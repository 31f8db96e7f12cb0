#include "ui/help.h"

#include "model/landrecord.h"
#include "ui/services.h"

#include <QDir>
#include <QUrl>

namespace rida::ui {

QString helpCommandLine(const QString& appDir, const QString& topic)
{
    return QStringLiteral("HH \"") + model::helpFilePath(appDir) + QStringLiteral("::/") + topic + u'"';
}

void openHelpTopic(const QString& appDir, const QString& topic)
{
    const QString page = appDir + QStringLiteral("Help") + QDir::separator() + topic;
    services().openUrl(QUrl::fromLocalFile(page));
}

} // namespace rida::ui
