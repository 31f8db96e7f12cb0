#include "model/digits.h"
#include "model/error.h"
#include "model/keyrules.h"
#include "model/landrecord.h"
#include "model/nametext.h"
#include "model/notice.h"
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace rida::model;

TEST(ContainsNonDigit, TableOfTexts)
{
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"", false},   {"0", false},   {"0123", false}, {"9999", false}, {" 12", true},
        {"12 ", true}, {"1a", true},   {"-1", true},    {"1.5", true},   {"１２", true}, // full-width digits
        {"산", true},  {"12가", true}, {"+1", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContainsNonDigit(QString::fromUtf8(c.text)), c.expected) << '"' << c.text << '"';
}

TEST(ToInteger, ConvertsWholeNumbersAndNamesTheTextOtherwise)
{
    EXPECT_EQ(toInteger(QStringLiteral("9999")), 9999);
    EXPECT_EQ(toInteger(QStringLiteral("0007")), 7);
    EXPECT_EQ(toInteger(QStringLiteral("-3")), -3);
    EXPECT_EQ(toInteger(QStringLiteral("  12")), 12); // leading blanks are read over
    for (const char* bad : {"", "abc", "1.5", "12가", "99999999999", "12 ", " ", "1 2", "-"}) {
        try {
            toInteger(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.text(), QStringLiteral("'%1'은(는) 올바른 정수 값이 아닙니다").arg(QString::fromUtf8(bad)));
        }
    }
}

TEST(KeyRules, DecisionTable)
{
    struct Case {
        KeyRule rule;
        char32_t typed;
        bool targetEnabled;
        KeyDecision expected;
    } cases[] = {
        {KeyRule::Swallow, U'a', true, {true, false, false}},
        {KeyRule::Swallow, kEnter, true, {true, false, false}},
        {KeyRule::Swallow, kBackspace, true, {true, false, false}},
        {KeyRule::EnterMoves, kEnter, true, {false, true, false}},
        {KeyRule::EnterMoves, U'7', true, {false, false, false}},
        {KeyRule::EnterMovesAndSelects, kEnter, true, {false, true, true}},
        {KeyRule::EnterMovesAndSelects, U'x', true, {false, false, false}},
        {KeyRule::EnterMovesAndSelectsElseSwallow, kEnter, true, {false, true, true}},
        {KeyRule::EnterMovesAndSelectsElseSwallow, U'x', true, {true, false, false}},
        {KeyRule::EnterMovesAndSelectsElseSwallow, kBackspace, true, {true, false, false}},
        {KeyRule::EnterMovesIfEnabled, kEnter, true, {false, true, false}},
        {KeyRule::EnterMovesIfEnabled, kEnter, false, {false, false, false}},
        {KeyRule::EnterMovesIfEnabled, U'1', true, {false, false, false}},
    };
    for (const auto& c : cases) {
        const auto d = decideKey(c.rule, c.typed, c.targetEnabled);
        EXPECT_EQ(d.discard, c.expected.discard) << int(c.rule) << ' ' << int(c.typed);
        EXPECT_EQ(d.moveFocus, c.expected.moveFocus) << int(c.rule) << ' ' << int(c.typed);
        EXPECT_EQ(d.selectTarget, c.expected.selectTarget) << int(c.rule) << ' ' << int(c.typed);
    }
}

TEST(LandRecord, KindsRegionsAndRecordCells)
{
    EXPECT_EQ(documentKindItems(), (QStringList{"토지특성조사표(T)", "결정조서(G)", "산정조서(S)", "조사대상필지부(J)",
                                                "열람부(Y)", "기타문서(X)"}));
    EXPECT_EQ(lotKindWord(true), QStringLiteral("임야"));
    EXPECT_EQ(lotKindWord(false), QStringLiteral("토지"));
    EXPECT_FALSE(isMountainWord(QStringLiteral("토지")));
    EXPECT_TRUE(isMountainWord(QStringLiteral("임야")));
    EXPECT_TRUE(isMountainWord(QString()));

    const QString sep = QDir::separator();
    const QString app = QStringLiteral("/opt/rida") + sep;
    Record r{QStringLiteral("1"),    QStringLiteral("결정조서"),  1998, 1,
             filesFolder(app) + sep, QStringLiteral("Img001.jpg")};
    EXPECT_EQ(r.cells(), (QStringList{"1", "결정조서", "1998년", "1월", app + "Files" + sep, "Img001.jpg"}));
    EXPECT_EQ(r.pagePath(), app + "Files" + sep + "Img001.jpg");
    EXPECT_EQ(tempBitmapPath(app), app + "Tools" + sep + "imgtemp.bmp");
    EXPECT_EQ(noticeFilePath(app), app + "inform.txt");
}

TEST(Cp949, DecodesTheMicrosoftCodePageIncludingExtensionSyllables)
{
    QString out;
    ASSERT_TRUE(decodeCp949(QByteArray("\x81\x41", 2), out));
    EXPECT_EQ(out, QString(QChar(0xAC02)));
    ASSERT_TRUE(decodeCp949(QByteArray("\x8C\x63", 2), out));
    EXPECT_EQ(out, QStringLiteral("똠"));
    ASSERT_TRUE(decodeCp949(QByteArray("\xB0\xA1 A", 4), out));
    EXPECT_EQ(out, QStringLiteral("가 A"));
    EXPECT_FALSE(decodeCp949(QByteArray("\xFF\xFF", 2), out));
}

class NoticeFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("inform.txt")); }
    void write(const QByteArray& bytes)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(NoticeFileTest, MissingEmptyAndFolder)
{
    EXPECT_FALSE(readNoticeFile(path()).exists);
    write({});
    auto n = readNoticeFile(path());
    EXPECT_TRUE(n.exists);
    EXPECT_TRUE(n.lines.isEmpty());
    QFile::remove(path());
    QDir(dir.path()).mkdir(QStringLiteral("inform.txt"));
    EXPECT_FALSE(readNoticeFile(path()).exists);
}

TEST_F(NoticeFileTest, LineBreaksOfEveryKind)
{
    // "공지" in CP949 is B0 F8 C1 F6.
    write(QByteArray("\xB0\xF8\xC1\xF6\r\nsecond\nthird\rfourth\r\n\r\nlast"));
    auto n = readNoticeFile(path());
    EXPECT_EQ(n.lines, (QStringList{"공지", "second", "third", "fourth", "", "last"}));
}

TEST_F(NoticeFileTest, EveryLineIsShownWhateverItsBytes)
{
    // CP949 "가"; UTF-8 "공지" (with the UTF-8 mark only at the start of a file);
    // bytes of neither, shown as CP949 with the undefined ones replaced; then CP949 again.
    write(QByteArray("\xEF\xBB\xBF\xEA\xB3\xB5\xEC\xA7\x80\r\n\xB0\xA1\r\na\xFF\xB0\xA1\xB0\r\nafter\r\n"));
    auto n = readNoticeFile(path());
    EXPECT_EQ(n.lines, (QStringList{"공지", "가", "a\uFFFD가\uFFFD", "after"}));
}

namespace {
// Gives its bytes in reads of at most `step`, then fails.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QByteArray bytes, qint64 step) : bytes_(std::move(bytes)), step_(step) { open(ReadOnly); }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (at_ >= bytes_.size())
            return -1;
        const qint64 n = std::min({max, step_, qint64(bytes_.size()) - at_});
        std::memcpy(data, bytes_.constData() + at_, size_t(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }

private:
    QByteArray bytes_;
    qint64 step_;
    qint64 at_ = 0;
};
} // namespace

TEST(NoticeLines, AReadErrorPartwayKeepsTheLinesReadBeforeIt)
{
    // "가" in CP949, then a line cut off by the failure.
    for (const qint64 step : {qint64(3), qint64(1 << 20)}) {
        FailingDevice device(QByteArray("first\r\n\xB0\xA1\r\nsec"), step);
        EXPECT_EQ(readNoticeLines(device), (QStringList{"first", "가"})) << step;
    }
}

TEST_F(NoticeFileTest, UnreadableFileKeepsItsPlaceButGivesNoLines)
{
    // A file without read permission (which root reads all the same), and one
    // that opens but fails on the first read even for root.
    for (const bool permission : {true, false}) {
        SCOPED_TRACE(permission ? "no read permission" : "read error");
        QFile::remove(path());
        if (permission) {
            if (geteuid() == 0)
                continue;
            write("secret\r\n");
            QFile::setPermissions(path(), QFileDevice::Permissions());
        } else {
            ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), path()));
        }
        auto n = readNoticeFile(path());
        EXPECT_TRUE(n.exists);
        EXPECT_TRUE(n.lines.isEmpty());
    }
}

// A pipe or a device under the name is there, but it is not read: start-up
// neither waits for a writer nor reads without end.
TEST_F(NoticeFileTest, APipeOrADeviceKeepsItsPlaceButIsNotRead)
{
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "/dev/zero");
        QFile::remove(path());
        if (pipe)
            ASSERT_EQ(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path()));
        auto n = readNoticeFile(path());
        EXPECT_TRUE(n.exists);
        EXPECT_TRUE(n.lines.isEmpty());
    }
}

// Any bytes at all make a line: valid CP949 and UTF-8 come back as themselves,
// and every other line keeps its readable part (the sanitizer build checks
// that no byte sequence reads or writes out of bounds).
TEST(NoticeLine, AnyBytesGiveALineThatKeepsTheReadablePart)
{
    std::uint32_t seed = 7;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < 5000; ++i) {
        QByteArray bytes(int(next() >> 26), Qt::Uninitialized);
        for (char& c : bytes)
            c = char(next() >> 24);
        bytes.append(" 1234"); // a blank and digits: no byte pair of the code page ends in them
        const QString line = decodeNoticeLine(bytes);
        EXPECT_TRUE(line.endsWith(QStringLiteral(" 1234"))) << bytes.toHex().constData();
        QString strict;
        if (decodeCp949(bytes, strict)) {
            EXPECT_EQ(line, strict);
        }
    }
    EXPECT_EQ(decodeNoticeLine(QByteArray("\xEA\xB3\xB5\xEC\xA7\x80")), QStringLiteral("공지"));
}

// The one order of a folder's files, shared by the file lists and rida-recognize.
TEST(ListedBefore, ShownNameWithCaseIgnoredThenBytes)
{
    struct Case {
        const char* a;
        const char* b;
        bool before;
    } cases[] = {
        {"a-few.JPEG", "B-full.jpg", true}, // case ignored: a before B, though 'B' < 'a' in bytes
        {"B-full.jpg", "a-few.JPEG", false},
        {"Img2.jpg", "img10.jpg", false}, // by text, not by number
        {"A.jpg", "a.jpg", true},         // differing only in case: by bytes
        {"a.jpg", "A.jpg", false},
        {"a.jpg", "a.jpg", false},
        {"\xEC\xA7\x80\xEA\xB0\x80.jpg", "z.jpg", false},               // 지가 in UTF-8 after Latin letters
        {"\xC1\xF6\xB0\xA1.jpg", "\xEC\xA7\x80\xEA\xB0\x80.jpg", true}, // the same name in CP949 and UTF-8: by bytes
    };
    for (const Case& c : cases) {
        const std::string a = c.a, b = c.b;
        EXPECT_EQ(rida::model::listedBefore(rida::model::nameText(a), a, rida::model::nameText(b), b), c.before)
            << c.a << " / " << c.b;
    }
}
