#include "tests/support/fakeservices.h"

#include <QFile>

namespace rida::test {

bool FakeServices::removeFile(const std::filesystem::path& path, QString* error)
{
    removed << QFile::decodeName(QByteArray::fromStdString(path.native()));
    removedPaths.push_back(path);
    if (!removeReallyDeletes) {
        if (!removeResult && error)
            *error = QStringLiteral("Permission denied");
        return removeResult;
    }
    std::error_code ec;
    if (std::filesystem::remove(path, ec))
        return true;
    if (error)
        *error = QString::fromStdString(ec ? ec.message() : std::string("No such file or directory"));
    return false;
}

ScopedFakeServices::ScopedFakeServices()
{
    auto fake = std::make_unique<FakeServices>();
    fake_ = fake.get();
    previous_ = ui::installServices(std::move(fake));
}

ScopedFakeServices::~ScopedFakeServices()
{
    ui::installServices(std::move(previous_));
}

} // namespace rida::test
