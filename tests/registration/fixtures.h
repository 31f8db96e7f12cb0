#pragma once
// Fixtures of the registration tests: an application folder in a temporary
// folder with small page images, and the window opened on it.

#include "registration/registrationwindow.h"
#include "tests/support/fakeservices.h"

#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

// Readable texts in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace rida::test {

// Writes a small JPEG of `width` x `height` filled with one grey.
void writeJpeg(const std::filesystem::path& file, int width = 8, int height = 6, int grey = 128);
void writeBytes(const std::filesystem::path& file, const std::string& bytes);

// An application folder "<tmp>/" with the image folder "Files".
struct AppFolder {
    AppFolder();
    // QTemporaryDir alone would leave names that are not UTF-8 behind.
    ~AppFolder();
    QString appDir() const; // ends with "/"
    std::filesystem::path files() const;
    QTemporaryDir dir;
};

// The window on an application folder, shown and active, with fake services.
struct OpenWindow {
    explicit OpenWindow(AppFolder& folder,
                        std::shared_ptr<components::RegionSource> regions = components::sampleRegions(),
                        std::optional<components::PageArchive> archive = std::nullopt);
    ~OpenWindow();
    registration::RegistrationWindow* operator->() { return window; }
    ScopedFakeServices fake;
    registration::RegistrationWindow* window = nullptr;
};

} // namespace rida::test
