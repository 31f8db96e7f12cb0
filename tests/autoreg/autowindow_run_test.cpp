// The run "자동 등록" of the automatic registration window, on folders of
// generated sheets and blank pages.

#include "components/filebrowser.h"
#include "recognition/radiogroup.h"
#include "recognition/settingspanel.h"
#include "tests/autoreg/autowindow_fixture.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>

using namespace rida;
using test::AutoWindowTest;

namespace fs = std::filesystem;

namespace {

const QString kStopQuestion = QStringLiteral("인식 중지 실패 횟수를 넘었습니다. 인식을 중지하겠습니까?");

struct Bars {
    int tot, ing, is, cut;
    bool operator==(const Bars&) const = default;
};
Bars barsOf(const recognition::AutoRegistrationWindow& w)
{
    return {w.folderBar->value(), w.fileBar->value(), w.rowBar->value(), w.editBar->value()};
}
void PrintTo(const Bars& b, std::ostream* os)
{
    *os << b.tot << "/" << b.ing << "/" << b.is << "/" << b.cut;
}

// What a run leaves on screen.
struct Outcome {
    QStringList log, lots;
    QString files, rows, analysed;
    Bars bars;
    bool operator==(const Outcome&) const = default;
};
Outcome outcomeOf(const recognition::AutoRegistrationWindow& w)
{
    return {AutoWindowTest::lines(w.failureLog),
            AutoWindowTest::lines(w.recognisedLots),
            w.fileCount->text(),
            w.rowCount->text(),
            w.analysedFile->text(),
            barsOf(w)};
}

// Names, sizes and times of the files of a folder.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> folderState(const fs::path& folder)
{
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> state;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        state[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    return state;
}

} // namespace

TEST_F(AutoWindowTest, EmptyFileListReadsNothingAndCompletesTheBars)
{
    auto& w = open();
    ASSERT_EQ(w.browser->fileList->count(), 0);
    // Nothing is read, so a setting that is no number stops nothing.
    w.settingsPanel->topYField->setText(QStringLiteral("abc"));
    w.runButton->click();
    EXPECT_EQ(barsOf(w), (Bars{100, 100, 100, 0}));
    EXPECT_EQ(w.fileCount->text(), QStringLiteral("0/0"));
    EXPECT_EQ(w.rowCount->text(), QStringLiteral("1/15"));
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AutoWindowTest, StopQuestionComesBeforeAFileOnceFailuresReachTheLimit)
{
    for (int i = 1; i <= 8; ++i)
        writeBlankPage("p" + std::to_string(i) + ".bmp");
    struct Case {
        const char* errnum;
        std::deque<bool> answers;
        QList<int> loggedWhenAsked; // failure lines already listed at each question
        int logged;
    };
    const Case cases[] = {
        {"3", {false, true}, {3, 6}, 6},  // No goes on, Yes stops before file 7
        {"3", {false, false}, {3, 6}, 8}, // after the second No two failures are too few
        {"1", {true}, {1}, 1},
        {"0", {}, {}, 8}, // 0 or less: never asked
        {"-2", {}, {}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.errnum);
        auto& w = open();
        ASSERT_EQ(w.browser->fileList->count(), 8);
        w.settingsPanel->stopAfterField->setText(QString::fromLatin1(c.errnum));
        fake->questions.clear();
        fake->answers = c.answers;
        QList<int> loggedWhenAsked;
        fake->onAsk = [&] { loggedWhenAsked << int(lines(w.failureLog).size()); };
        w.runButton->click();
        fake->onAsk = nullptr;
        EXPECT_EQ(loggedWhenAsked, c.loggedWhenAsked);
        EXPECT_EQ(fake->questions, QStringList(c.loggedWhenAsked.size(), kStopQuestion));
        const QStringList log = lines(w.failureLog);
        ASSERT_EQ(log.size(), c.logged);
        for (int i = 0; i < c.logged; ++i)
            EXPECT_EQ(log[i], fullName("p" + std::to_string(i + 1) + ".bmp") + QStringLiteral(" 기준점 인식 실패"));
        // Also after Yes the bars end full; no file passed, so the counters keep their texts.
        EXPECT_EQ(barsOf(w), (Bars{100, 100, 100, 0}));
        EXPECT_EQ(w.fileCount->text(), QStringLiteral("0/0"));
        EXPECT_EQ(w.rowCount->text(), QStringLiteral("1/15"));
    }
}

TEST_F(AutoWindowTest, WindowTakesNoInputDuringARunButKeepsServingEvents)
{
    for (int i = 1; i <= 2; ++i)
        writeBlankPage("p" + std::to_string(i) + ".bmp");
    auto& w = open();
    w.settingsPanel->stopAfterField->setText(QStringLiteral("1"));
    fake->answers = {true};
    bool timerRanDuringRun = false;
    bool waitCursorDuringRun = false;
    bool closedDuringRun = true;
    fake->onAsk = [&] {
        QTest::keyClicks(w.settingsPanel->minRowsField, QStringLiteral("9"));
        QTest::keyClicks(w.failureLog, QStringLiteral("typed"));
        QTest::mouseClick(w.modeTabs->tabBar(), Qt::LeftButton, {}, w.modeTabs->tabBar()->tabRect(1).center());
        QTest::keyClick(w.runButton, Qt::Key_Space);
        closedDuringRun = w.close();
        waitCursorDuringRun =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    QTimer::singleShot(0, &w, [&] { timerRanDuringRun = w.running(); });
    w.runButton->click();
    EXPECT_TRUE(timerRanDuringRun);
    EXPECT_TRUE(waitCursorDuringRun);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.settingsPanel->minRowsField->text(), QStringLiteral("5"));
    EXPECT_EQ(lines(w.failureLog), QStringList{fullName("p1.bmp") + QStringLiteral(" 기준점 인식 실패")});
    EXPECT_EQ(w.modeTabs->currentIndex(), 0);
    EXPECT_EQ(fake->questions.size(), 1); // the space on "자동 등록" started no second run
    EXPECT_FALSE(w.running());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // After the run the window takes input again.
    QTest::keyClicks(w.settingsPanel->minRowsField, QStringLiteral("9"));
    EXPECT_EQ(w.settingsPanel->minRowsField->text(), QStringLiteral("59"));
}

TEST_F(AutoWindowTest, WindowRepaintsItsProgressWhileFullPagesAreRead)
{
    for (int i = 1; i <= 3; ++i)
        writeSheet("s" + std::to_string(i) + ".jpg", someLots(40 + i, 6));
    auto& w = open();
    // The page bar repaints and a 10 ms timer keeps firing while the pages are read.
    struct PaintCounter : QObject {
        int paints = 0;
        const recognition::AutoRegistrationWindow* w = nullptr;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && w->running())
                ++paints;
            return false;
        }
    } counter;
    counter.w = &w;
    w.rowBar->installEventFilter(&counter);
    QTimer ticker;
    int ticks = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += w.running() ? 1 : 0; });
    ticker.start(10);
    w.runButton->click();
    ticker.stop();
    EXPECT_EQ(w.fileCount->text(), QStringLiteral("3/3"));
    EXPECT_GT(ticks, 3);
    EXPECT_GT(counter.paints, 3);
}

TEST_F(AutoWindowTest, FailureListGrowsOverRunsAndKeepsWhatTheUserTyped)
{
    writeBlankPage("a.bmp");
    writeBlankPage("b.bmp");
    auto& w = open();
    w.runButton->click();
    w.failureLog->appendPlainText(QStringLiteral("메모"));
    w.runButton->click();
    const QString a = fullName("a.bmp") + QStringLiteral(" 기준점 인식 실패");
    const QString b = fullName("b.bmp") + QStringLiteral(" 기준점 인식 실패");
    EXPECT_EQ(lines(w.failureLog), (QStringList{a, b, QStringLiteral("메모"), a, b}));
}

TEST_F(AutoWindowTest, FailureListShowsANameInTheKoreanCodePageAsTheFileListDoes)
{
    // "가나.bmp" in CP949, as a name copied from another system arrives.
    const std::string name = "\xB0\xA1\xB3\xAA.bmp";
    writeBlankPage(name);
    auto& w = open();
    ASSERT_EQ(w.browser->fileList->count(), 1);
    EXPECT_EQ(w.browser->fileList->item(0)->text(), QStringLiteral("가나.bmp"));
    w.runButton->click();
    EXPECT_EQ(lines(w.failureLog),
              QStringList{QString::fromStdString(files().string()) + QStringLiteral("/가나.bmp 기준점 인식 실패")});
}

TEST_F(AutoWindowTest, SampleFolderListsTheLotNumbersPrintedOnItsPages)
{
    pagegen::writeSampleFolder(files().string());
    std::vector<pagegen::SamplePage> samples;
    for (const auto& p : pagegen::samplePages())
        if (p.name.find('/') == std::string::npos)
            samples.push_back(p);
    auto& w = open();
    ASSERT_EQ(w.browser->fileList->count(), int(samples.size()));

    // memo1 holds one page's lines at a time: look at it whenever a page is done or logged.
    QStringList pageLots; // "name: lines" per page done
    QObject::connect(w.fileBar, &QProgressBar::valueChanged, &w, [&](int value) {
        if (value > 0)
            pageLots << w.analysedFile->text() + QStringLiteral(" | ") + lines(w.recognisedLots).join(u',');
    });
    QStringList atLog; // what memo1 and Label5 show when a failure is logged
    QObject::connect(w.failureLog, &QPlainTextEdit::textChanged, &w, [&] {
        atLog << lines(w.failureLog).value(lines(w.failureLog).size() - 1) + QStringLiteral(" | ") +
                     lines(w.recognisedLots).join(u',') + QStringLiteral(" | ") + w.fileCount->text();
    });
    const auto started = std::chrono::steady_clock::now();
    w.runButton->click();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(fake->messages.isEmpty()) << fake->messages.value(0).text.toStdString();

    QStringList expectedPages, expectedAtLog;
    QStringList previousLots;
    QString previousCount = QStringLiteral("0/0");
    int done = 0; // pages that pass alignment
    const int n = int(samples.size());
    for (int i = 0; i < n; ++i) {
        const pagegen::SamplePage& p = samples[std::size_t(i)];
        const QString name = fullName(p.name);
        QStringList lots;
        for (const std::string& line : pagegen::expectedLots(p.options))
            lots << QString::fromStdString(line);
        if (!p.options.referencePoint) {
            // The previous page's lines and count stay.
            expectedAtLog << name + QStringLiteral(" 기준점 인식 실패 | ") + previousLots.join(u',') +
                                 QStringLiteral(" | ") + previousCount;
            continue;
        }
        if (lots.size() < 5)
            expectedAtLog << name + QStringLiteral(" 파일 인식 실패 | ") + lots.join(u',') + QStringLiteral(" | ") +
                                 previousCount;
        expectedPages << QStringLiteral("분석파일 : ") + name + QStringLiteral(" | ") + lots.join(u',');
        previousLots = lots;
        previousCount = QStringLiteral("%1/%2").arg(i + 1).arg(n);
        ++done;
    }
    ASSERT_GE(done, 4);
    ASSERT_EQ(expectedAtLog.size(), 2); // a page of three rows and a page without reference point
    EXPECT_EQ(pageLots.mid(0, expectedPages.size()), expectedPages);
    EXPECT_EQ(atLog, expectedAtLog);
    EXPECT_EQ(lines(w.recognisedLots), previousLots);
    EXPECT_EQ(w.fileCount->text(), QStringLiteral("%1/%1").arg(n));
    EXPECT_EQ(w.rowCount->text(), QStringLiteral("%1/15").arg(previousLots.size()));
    EXPECT_EQ(barsOf(w), (Bars{100, 100, 100, 0}));
    RecordProperty("seconds", std::to_string(seconds));
}

TEST_F(AutoWindowTest, OptionsThatNothingReadsChangeNothingInARun)
{
    writeSheet("a.jpg", someLots(7, 6));
    writeSheet("b.jpg", someLots(8, 3));
    writeBlankPage("c.bmp");
    // A region folder below, which "지역폴더일괄" would read and nothing does.
    fs::create_directory(files() / "region");
    writeSheet("region/d.jpg", someLots(9, 6));
    const auto before = folderState(files());
    auto& first = open();
    first.runButton->click();
    const Outcome plain = outcomeOf(first);
    ASSERT_EQ(plain.lots.size(), 3);
    ASSERT_EQ(plain.log.size(), 2);

    reopen();
    auto& second = *window;
    for (auto* g : {second.settingsPanel->copyMoveChoice, second.settingsPanel->renameChoice,
                    second.settingsPanel->marginChoice, second.settingsPanel->regionFolderChoice})
        g->setItemIndex(g->itemIndex() == 0 ? g->count() - 1 : 0);
    second.runButton->click();
    EXPECT_EQ(outcomeOf(second), plain);
    // Nothing copied, moved or renamed, and no other folder read.
    EXPECT_EQ(folderState(files()), before);
    EXPECT_EQ(second.folderCount->text(), QStringLiteral("0/0"));
}

TEST_F(AutoWindowTest, UnreadableFileStopsTheRunAndTheScreenKeepsWhatItShows)
{
    writeSheet("a.jpg", someLots(11, 5));
    {
        std::FILE* f = std::fopen((files() / "b.jpg").c_str(), "wb");
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    writeBlankPage("c.bmp");
    auto& w = open();
    w.runButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(fake->messages[0].text.contains(QStringLiteral("b.jpg"))) << fake->messages[0].text.toStdString();
    // The first page's results stay; the bars stay where the run left them.
    EXPECT_EQ(lines(w.recognisedLots), lotLines(someLots(11, 5)));
    EXPECT_EQ(w.fileCount->text(), QStringLiteral("1/3"));
    EXPECT_EQ(w.rowCount->text(), QStringLiteral("5/15"));
    EXPECT_TRUE(lines(w.failureLog).isEmpty());
    // The page bar went full with the first page; the second one never started.
    EXPECT_EQ(barsOf(w), (Bars{0, 33, 100, 0}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(w.running());
}

// Each setting is read where the run first needs it: a field that holds no
// whole number stops the run there, and not before.
TEST_F(AutoWindowTest, SettingThatIsNoWholeNumberStopsTheRunWhereItIsRead)
{
    const QString error = QStringLiteral("'1x'은(는) 올바른 정수 값이 아닙니다");
    const std::vector<std::string> rows = someLots(31, 5);
    struct Case {
        const char* field;
        bool sheet; // a sheet with five rows, or a page without reference point
        int mode;   // background-removal mode
        bool stops;
        QStringList lots; // in memo1 at the end
    } cases[] = {
        // Before the first file and in the search windows: every page reads them.
        {"errnum", false, 0, true, {}},
        {"stxval", false, 0, true, {}},
        // Read only once a reference point has been found.
        {"xzone", false, 0, false, {}},
        {"xcell", false, 0, false, {}},
        {"alsu", false, 0, false, {}},
        {"styval", false, 0, false, {}},
        {"doxnum", false, 0, false, {}},
        {"xzone", true, 0, true, {}},
        {"alsu", true, 0, true, {}},
        {"alsu", true, 2, false, lotLines(rows)}, // mode 2 has no level
        {"styval", true, 0, true, {}},
        // Read at the judgement, after the page's rows are shown.
        {"doxnum", true, 0, true, lotLines(rows)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.sheet ? " on a sheet" : " on a blank page") + " mode " +
                     std::to_string(c.mode));
        std::filesystem::remove_all(files());
        std::filesystem::create_directories(files());
        if (c.sheet)
            writeSheet("a.jpg", rows);
        else
            writeBlankPage("a.jpg");
        auto& w = open();
        fake->messages.clear();
        w.settingsPanel->removalChoice->setItemIndex(c.mode);
        w.findChild<QLineEdit*>(QString::fromLatin1(c.field))->setText(QStringLiteral("1x"));
        w.runButton->click();
        EXPECT_EQ(lines(w.recognisedLots), c.lots);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        if (c.stops) {
            ASSERT_EQ(fake->messages.size(), 1);
            EXPECT_EQ(fake->messages[0].text, error);
            EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
            EXPECT_TRUE(lines(w.failureLog).isEmpty());
            // Stopped where the setting was read: the counters show how far the run came.
            EXPECT_EQ(w.folderBar->value(), 0);
            EXPECT_EQ(w.fileBar->value(), 0);
            EXPECT_EQ(w.fileCount->text(), QStringLiteral("0/0"));
            if (c.sheet && std::string(c.field) == "doxnum") {
                EXPECT_EQ(w.rowCount->text(), QStringLiteral("5/15")); // the rows were counted
                EXPECT_LT(w.rowBar->value(), 100);                     // the page was not judged
            }
        } else {
            EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.value(0).text.toStdString();
            EXPECT_EQ(lines(w.failureLog),
                      c.sheet ? QStringList() : QStringList{fullName("a.jpg") + " 기준점 인식 실패"});
            EXPECT_EQ(barsOf(w), (Bars{100, 100, 100, 0}));
        }
    }
}

TEST_F(AutoWindowTest, TypefaceChoiceReadsTheMyeongjoSheets)
{
    pagegen::PageOptions options;
    options.typeface = recognition::Typeface::Myeongjo;
    options.headings = false;
    const std::vector<std::string> rows = someLots(21, 5);
    for (const std::string& r : rows)
        options.rows.push_back({r});
    pagegen::writeJpeg((files() / "m.jpg").string(), pagegen::drawPage(options));
    auto& w = open();
    // Each run takes the typeface chosen when it starts, in the same window.
    w.runButton->click();
    EXPECT_NE(lines(w.recognisedLots), lotLines(rows)); // read with the Gothic templates
    w.settingsPanel->typefaceChoice->setItemIndex(1);
    w.failureLog->clear();
    w.runButton->click();
    EXPECT_EQ(lines(w.recognisedLots), lotLines(rows));
    EXPECT_TRUE(lines(w.failureLog).isEmpty());
    w.settingsPanel->typefaceChoice->setItemIndex(0);
    w.runButton->click();
    EXPECT_NE(lines(w.recognisedLots), lotLines(rows));
}

// The program ending during a run (its main window closes, the session ends):
// the run stops before its next file, no question is shown, and the window
// closes once the run has ended.
TEST_F(AutoWindowTest, ProgramEndingStopsTheRunBeforeTheNextFileWithoutAQuestion)
{
    for (int i = 1; i <= 6; ++i)
        writeSheet("s" + std::to_string(i) + ".jpg", someLots(std::uint64_t(i), 3));
    auto& w = open();
    // Every sheet fails (ten rows needed), and the stop question would come before each further file.
    w.settingsPanel->minRowsField->setText(QStringLiteral("10"));
    w.settingsPanel->stopAfterField->setText(QStringLiteral("1"));
    QTimer::singleShot(0, &w, [&] { w.programEnding(); });
    w.runButton->click();
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_LE(lines(w.failureLog).size(), 1); // at most the file being read when the program began to end
    EXPECT_FALSE(w.isVisible());              // closed once the run had ended
    EXPECT_FALSE(w.running());
}

// The run's counters and the analysed-file line are spoken by a screen reader
// with their captions and current text, which they follow during the run (the
// accessible name changes with the text, and Qt announces each change).
TEST_F(AutoWindowTest, ScreenReadersHearTheCountersAsTheyChange)
{
    for (int i = 1; i <= 2; ++i)
        writeSheet("s" + std::to_string(i) + ".jpg", someLots(std::uint64_t(i), 4));
    auto& w = open();
    auto spoken = [](QWidget* wdg) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(wdg);
        return a ? a->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(spoken(w.folderCount), QStringLiteral("폴더 : 0/0"));
    EXPECT_EQ(spoken(w.fileCount), QStringLiteral("파일 : 0/0"));
    EXPECT_EQ(spoken(w.rowCount), QStringLiteral("인식 : 1/15"));

    // What a screen reader would read at each change: a counter repaints at
    // once whenever its text changes, so each of its names is seen there.
    QStringList heard;
    class Listener : public QObject {
    public:
        Listener(QStringList& heard, std::function<QString(QWidget*)> spoken)
            : heard_(heard), spoken_(std::move(spoken))
        {
        }
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                if (const QString name = spoken_(static_cast<QWidget*>(watched)); !heard_.contains(name))
                    heard_ << name;
            return false;
        }

    private:
        QStringList& heard_;
        std::function<QString(QWidget*)> spoken_;
    } listener(heard, spoken);
    for (QWidget* counter : std::initializer_list<QWidget*>{w.fileCount, w.rowCount, w.analysedFile})
        counter->installEventFilter(&listener);
    w.runButton->click();
    for (QWidget* counter : std::initializer_list<QWidget*>{w.fileCount, w.rowCount, w.analysedFile})
        counter->removeEventFilter(&listener);

    EXPECT_EQ(spoken(w.fileCount), QStringLiteral("파일 : 2/2"));
    EXPECT_EQ(spoken(w.rowCount), QStringLiteral("인식 : 4/15"));
    EXPECT_EQ(spoken(w.analysedFile), QStringLiteral("분석파일 : ") + fullName("s2.jpg"));
    EXPECT_TRUE(heard.contains(QStringLiteral("파일 : 1/2"))) << heard.join(u'|').toStdString();
    EXPECT_TRUE(heard.contains(QStringLiteral("분석파일 : ") + fullName("s1.jpg"))) << heard.join(u'|').toStdString();
}
