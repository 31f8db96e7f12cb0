#include "model/landrecord.h"

#include <QDir>

namespace rida::model {

const std::array<DocumentKind, 6>& documentKinds()
{
    static const std::array<DocumentKind, 6> kinds{{
        {QStringLiteral("토지특성조사표"), u'T'},
        {QStringLiteral("결정조서"), u'G'},
        {QStringLiteral("산정조서"), u'S'},
        {QStringLiteral("조사대상필지부"), u'J'},
        {QStringLiteral("열람부"), u'Y'},
        {QStringLiteral("기타문서"), u'X'},
    }};
    return kinds;
}

QStringList documentKindItems()
{
    QStringList items;
    for (const auto& k : documentKinds())
        items << k.itemText();
    return items;
}

QString sampleTown()
{
    return QStringLiteral("임의읍");
}
QString sampleVillage()
{
    return QStringLiteral("임의리");
}

QStringList Record::cells() const
{
    return {
        number, kindWord, QString::number(year) + QStringLiteral("년"), QString::number(month) + QStringLiteral("월"),
        folder, fileName};
}

QString withTrailingSeparator(const QString& folder)
{
    const QString sep = QDir::separator();
    return folder.endsWith(sep) ? folder : folder + sep;
}

QString filesFolder(const QString& appDir)
{
    return appDir + QStringLiteral("Files");
}
QString tempBitmapPath(const QString& appDir)
{
    return appDir + QStringLiteral("Tools") + QDir::separator() + QStringLiteral("imgtemp.bmp");
}
QString helpFilePath(const QString& appDir)
{
    return appDir + QStringLiteral("Help") + QDir::separator() + QStringLiteral("rufodevv7.chm");
}
QString noticeFilePath(const QString& appDir)
{
    return appDir + QStringLiteral("inform.txt");
}

} // namespace rida::model
