#include "archive/regionlist.h"

#include "archive/error.h"
#include "archive/parcel.h"
#include "model/notice.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QStringList>

namespace rida::archive {

namespace {

const QString kHeader = QStringLiteral("법정동코드\t법정동명\t폐지여부");

[[noreturn]] void refuse(int lineNumber, const QString& what)
{
    throw ArchiveError(
        Failure::Invalid,
        QStringLiteral("행정코드 파일 %1번째 줄: %2 파일을 가져오지 않았습니다.").arg(lineNumber).arg(what));
}

bool isValidUtf8WithHangul(const QByteArray& bytes)
{
    bool nonAscii = false;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            nonAscii = true;
            break;
        }
    if (!nonAscii)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return !utf8.hasError();
}

// The codes of the levels above `code`, nearest first.
QStringList parentCodes(const QString& code)
{
    QStringList parents;
    const int level = regionLevel(code);
    if (level >= 4)
        parents << code.left(8) + QStringLiteral("00");
    if (level >= 3)
        parents << code.left(5) + QStringLiteral("00000");
    if (level >= 2)
        parents << code.left(2) + QStringLiteral("00000000");
    return parents;
}

} // namespace

std::vector<RegionEntry> parseRegionList(const QByteArray& bytes)
{
    std::vector<RegionEntry> entries;
    QHash<QString, int> lineOfCode;
    int lineNumber = 0;
    bool headerSeen = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray raw = bytes.mid(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (!headerSeen && raw.startsWith("\xEF\xBB\xBF"))
            refuse(lineNumber, QStringLiteral("UTF-8 파일입니다. 행정코드 파일은 CP949로 저장된 그대로여야 합니다."));
        if (raw.isEmpty()) {
            if (!headerSeen)
                refuse(lineNumber, QStringLiteral("첫 줄이 \"법정동코드\t법정동명\t폐지여부\"가 아닙니다."));
            continue;
        }
        QString line;
        if (!model::decodeCp949(raw, line)) {
            if (isValidUtf8WithHangul(raw))
                refuse(lineNumber,
                       QStringLiteral("UTF-8 파일입니다. 행정코드 파일은 CP949로 저장된 그대로여야 합니다."));
            refuse(lineNumber, QStringLiteral("CP949 문자가 아닌 바이트가 있습니다."));
        }
        if (!headerSeen) {
            if (line != kHeader) {
                if (isValidUtf8WithHangul(raw) && QString::fromUtf8(raw) == kHeader)
                    refuse(lineNumber,
                           QStringLiteral("UTF-8 파일입니다. 행정코드 파일은 CP949로 저장된 그대로여야 합니다."));
                refuse(lineNumber, QStringLiteral("첫 줄이 \"법정동코드\t법정동명\t폐지여부\"가 아닙니다."));
            }
            headerSeen = true;
            continue;
        }
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3)
            refuse(lineNumber, QStringLiteral("항목이 %1개뿐입니다(법정동코드, 법정동명, 폐지여부 3개여야 합니다).")
                                   .arg(fields.size()));
        if (fields.size() > 3)
            refuse(
                lineNumber,
                QStringLiteral("항목이 %1개입니다(법정동코드, 법정동명, 폐지여부 3개여야 합니다).").arg(fields.size()));
        RegionEntry entry;
        entry.code = fields[0].trimmed();
        entry.fullName = fields[1].simplified();
        const QString status = fields[2].trimmed();
        if (!isRegionCode(entry.code) || entry.code.startsWith(QStringLiteral("00")))
            refuse(lineNumber, QStringLiteral("법정동코드 \"%1\"는 10자리 숫자가 아닙니다.").arg(fields[0]));
        if (entry.fullName.isEmpty())
            refuse(lineNumber, QStringLiteral("법정동명이 비어 있습니다."));
        if (status == QStringLiteral("존재"))
            entry.abolished = false;
        else if (status == QStringLiteral("폐지"))
            entry.abolished = true;
        else
            refuse(lineNumber, QStringLiteral("폐지여부 \"%1\"는 \"존재\"도 \"폐지\"도 아닙니다.").arg(status));
        const auto seen = lineOfCode.constFind(entry.code);
        if (seen != lineOfCode.cend())
            refuse(lineNumber,
                   QStringLiteral("법정동코드 %1이(가) %2번째 줄에 이미 있습니다.").arg(entry.code).arg(*seen));
        lineOfCode.insert(entry.code, lineNumber);
        entries.push_back(std::move(entry));
    }
    if (!headerSeen)
        refuse(1, QStringLiteral("파일이 비어 있습니다."));

    // Each level's own name is what its full name adds to the code one level
    // above it (a 시군구 may be two words: 수원시 장안구); a code whose parent
    // is not listed keeps its last word.
    QHash<QString, const RegionEntry*> byCode;
    byCode.reserve(static_cast<qsizetype>(entries.size()));
    for (const RegionEntry& e : entries)
        byCode.insert(e.code, &e);
    auto ownName = [&](const RegionEntry& e) {
        const QStringList parents = parentCodes(e.code);
        if (!parents.isEmpty()) {
            const auto found = byCode.constFind(parents.front());
            if (found != byCode.cend()) {
                const QString prefix = (*found)->fullName + u' ';
                if (e.fullName.startsWith(prefix))
                    return e.fullName.mid(prefix.size());
            }
        }
        return e.fullName.section(u' ', -1);
    };
    QHash<QString, QString> own;
    own.reserve(static_cast<qsizetype>(entries.size()));
    for (const RegionEntry& e : entries)
        own.insert(e.code, ownName(e));
    for (RegionEntry& e : entries) {
        const int level = regionLevel(e.code);
        auto nameAt = [&](const QString& code) { return own.value(code); };
        e.province = nameAt(e.code.left(2) + QStringLiteral("00000000"));
        if (level >= 2)
            e.district = nameAt(e.code.left(5) + QStringLiteral("00000"));
        if (level >= 3)
            e.town = nameAt(e.code.left(8) + QStringLiteral("00"));
        if (level >= 4)
            e.village = own.value(e.code);
    }
    return entries;
}

std::vector<RegionEntry> readRegionList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("행정코드 파일을 열 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("행정코드 파일을 읽을 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    return parseRegionList(bytes);
}

} // namespace rida::archive
