#include "tests/autoreg/autowindow_fixture.h"

#include "image/codec.h"

#include <QDir>

namespace rida::test {

namespace fs = std::filesystem;

AutoWindowTest::AutoWindowTest()
{
    auto services = std::make_unique<WatchingServices>();
    fake = services.get();
    previous_ = ui::installServices(std::move(services));
    fs::create_directories(files());
}

AutoWindowTest::~AutoWindowTest()
{
    window.reset();
    ui::installServices(std::move(previous_));
    // QTemporaryDir alone leaves names behind that are not UTF-8.
    std::error_code ignored;
    fs::remove_all(fs::path(dir.path().toStdString()), ignored);
}

QString AutoWindowTest::appDir() const
{
    return dir.path() + QLatin1Char('/');
}

fs::path AutoWindowTest::files() const
{
    return fs::path(dir.path().toStdString()) / "Files";
}

recognition::AutoRegistrationWindow& AutoWindowTest::open()
{
    window = std::make_unique<recognition::AutoRegistrationWindow>(appDir());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(1400, 1000);
    window->show();
    return *window;
}

void AutoWindowTest::reopen()
{
    window.reset();
    open();
}

void AutoWindowTest::writeBlankPage(const std::string& name) const
{
    image::Bitmap page(64, 64);
    page.fill(0xFFFFFFFFu);
    image::saveBmp32((files() / name).string(), page);
}

void AutoWindowTest::writeSheet(const std::string& name, const std::vector<std::string>& rows) const
{
    pagegen::PageOptions options;
    for (const std::string& r : rows)
        options.rows.push_back({r});
    options.headings = false;
    options.noise = 4;
    pagegen::writeJpeg((files() / name).string(), pagegen::drawPage(options));
}

std::vector<std::string> AutoWindowTest::someLots(std::uint64_t seed, int count)
{
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(pagegen::randomLot(seed));
    return rows;
}

QString AutoWindowTest::fullName(const std::string& name) const
{
    return QString::fromStdString((files() / name).string());
}

QStringList AutoWindowTest::lines(const QPlainTextEdit* edit)
{
    const QString text = edit->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QStringList AutoWindowTest::lotLines(const std::vector<std::string>& rows)
{
    QStringList out;
    for (const std::string& r : rows)
        out << QString::fromStdString(pagegen::lotLine(r));
    return out;
}

} // namespace rida::test
