#include "tests/registration/fixtures.h"

#include <QApplication>
#include <QTest>

#include <turbojpeg.h>

#include <fstream>
#include <stdexcept>
#include <vector>

namespace rida::test {

void writeJpeg(const std::filesystem::path& file, int width, int height, int grey)
{
    std::vector<unsigned char> pixels(std::size_t(width) * height * 3, static_cast<unsigned char>(grey));
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, pixels.data(), width, width * 3, height, TJPF_RGB, &jpeg, &size, TJSAMP_444, 90, 0) != 0)
        throw std::runtime_error("tjCompress2 failed");
    writeBytes(file, std::string(reinterpret_cast<const char*>(jpeg), size));
    tjFree(jpeg);
    tjDestroy(h);
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

AppFolder::AppFolder()
{
    std::filesystem::create_directory(files());
}

AppFolder::~AppFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(dir.path().toStdString()), ec);
}

QString AppFolder::appDir() const
{
    return dir.path() + u'/';
}

std::filesystem::path AppFolder::files() const
{
    return std::filesystem::path(dir.path().toStdString()) / "Files";
}

OpenWindow::OpenWindow(AppFolder& folder, std::shared_ptr<components::RegionSource> regions,
                       std::optional<components::PageArchive> archive)
{
    window = new registration::RegistrationWindow(folder.appDir(), std::move(regions), std::move(archive));
    window->resize(1200, 800);
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    (void)QTest::qWaitForWindowActive(window);
}

OpenWindow::~OpenWindow()
{
    delete window;
}

} // namespace rida::test
