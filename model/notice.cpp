#include "model/notice.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace rida::model {

QStringList fixedBoardLines()
{
    return {
        QString(),
        QStringLiteral(" 접속 사용자 : 테스트사용자"),
        QString(),
        QStringLiteral(" 데이터베이스 서버 연결 : 성공"),
        QStringLiteral(" 이미지 폴더 연결 : 성공"),
        QString(),
        QStringLiteral(" 지가조서 등록 합계 : 1면 (산정조서:0면, 결정조서:1명, 토지특성조사표:0면)"),
        QString(),
        QStringLiteral(" 사용자 등록 :  1명"),
    };
}

bool decodeCp949(const QByteArray& bytes, QString& out)
{
    // glibc's CP949 is the Microsoft code page (Unified Hangul Code) and, unlike
    // ICU's lenient decoder, refuses bytes the code page does not define.
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1))
        return false;
    QByteArray utf8(bytes.size() * 3 / 2 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* outPtr = utf8.data();
    size_t outLeft = size_t(utf8.size());
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const bool ok = rc != size_t(-1) && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok || inLeft != 0)
        return false;
    utf8.truncate(outPtr - utf8.data());
    out = QString::fromUtf8(utf8);
    return true;
}

namespace {
// CP949 with every undefined or cut-off byte sequence shown as U+FFFD: one
// pass, iconv telling where it stopped.
QString decodeCp949Leniently(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray utf8(bytes.size() * 3 + 4, Qt::Uninitialized); // U+FFFD is three bytes for one
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* out = utf8.data();
    size_t outLeft = size_t(utf8.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        std::memcpy(out, "\xEF\xBF\xBD", 3);
        out += 3;
        outLeft -= 3;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    utf8.truncate(out - utf8.data());
    return QString::fromUtf8(utf8);
}
} // namespace

QString decodeNoticeLine(const QByteArray& bytes)
{
    QString line;
    if (decodeCp949(bytes, line))
        return line;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    line = utf8.decode(bytes);
    if (!utf8.hasError())
        return line;
    return decodeCp949Leniently(bytes);
}

NoticeFile readNoticeFile(const QString& path)
{
    NoticeFile result;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return result;
    result.exists = true;
    // Only a plain file is read: a pipe would wait for a writer that never
    // comes, and a device such as /dev/zero never ends.
    if (!info.isFile())
        return result;

    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        result.lines = readNoticeLines(file);
    return result;
}

QStringList readNoticeLines(QIODevice& device)
{
    QStringList lines;
    // Read in blocks and split by hand, so CR alone also ends a line and a read
    // error partway keeps the lines before it.
    QByteArray pending;
    bool lastWasCr = false;
    bool first = true;
    auto emitLine = [&](QByteArray raw) {
        if (first && raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3); // the mark a UTF-8 editor puts before the first line
        first = false;
        lines << decodeNoticeLine(raw);
    };
    char block[64 * 1024];
    for (;;) {
        const qint64 n = device.read(block, sizeof block);
        if (n < 0)
            return lines; // the unfinished line is dropped
        if (n == 0)
            break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = block[i];
            if (c == '\n' && lastWasCr) {
                lastWasCr = false;
                continue;
            }
            lastWasCr = false;
            if (c == '\r' || c == '\n') {
                lastWasCr = c == '\r';
                emitLine(pending);
                pending.clear();
            } else {
                pending.append(c);
            }
        }
    }
    if (!pending.isEmpty())
        emitLine(pending);
    return lines;
}

} // namespace rida::model
