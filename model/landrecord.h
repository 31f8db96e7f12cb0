#pragma once
// The land-record vocabulary shared by every work window: document kinds,
// regions, lot numbers, the record grid's columns and the image folder layout.

#include <QString>
#include <QStringList>

#include <array>

namespace rida::model {

struct DocumentKind {
    QString word; // "결정조서": what a record shows in its 문서구분 column
    QChar code;   // 'G'
    QString itemText() const { return word + u'(' + code + u')'; }
};

// The six kinds in the order every kind list offers them; the first is selected when a window opens.
const std::array<DocumentKind, 6>& documentKinds();
QStringList documentKindItems();

// Each region list holds its one sample item.
QString sampleTown();    // "임의읍"
QString sampleVillage(); // "임의리"

// Lot kind word of the 구분 column.
inline QString lotKindWord(bool mountain)
{
    return mountain ? QStringLiteral("임야") : QStringLiteral("토지");
}
// Reading a row back, any word other than "토지" means forest land.
inline bool isMountainWord(const QString& word)
{
    return word != QStringLiteral("토지");
}

struct Lot {
    QString town;
    QString village;
    bool mountain = false;
    QString mainNumber; // 본번
    QString subNumber;  // 부번
};

// The record grid `xgrid` of the lookup and modify windows.
enum RecordColumn {
    ColBun = 0,
    ColKind = 1,
    ColYear = 2,
    ColMonth = 3,
    ColPath = 4,
    ColName = 5,
    RecordColumnCount = 6
};

struct Record {
    QString number;   // "1"
    QString kindWord; // "결정조서"
    int year = 0;     // 1998 → "1998년"
    int month = 0;    // 1 → "1월"
    QString folder;   // ends with the path separator
    QString fileName; // "Img001.jpg"
    QStringList cells() const;
    QString pagePath() const { return folder + fileName; }
};

// Image folder layout: the application directory (ending with the separator)
// immediately followed by the relative name.
QString filesFolder(const QString& appDir);    // "Files"
QString tempBitmapPath(const QString& appDir); // "Tools/imgtemp.bmp"
QString helpFilePath(const QString& appDir);   // "Help/rufodevv7.chm"
QString noticeFilePath(const QString& appDir); // "inform.txt"
// A folder name with its trailing separator, as `fpath` and the application directory hold it.
QString withTrailingSeparator(const QString& folder);

} // namespace rida::model
