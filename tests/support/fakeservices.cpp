#include "tests/support/fakeservices.h"

#include <QFile>

namespace rida::test {

bool FakeServices::removeFile(const QString& path, QString* error)
{
    removed << path;
    if (!removeReallyDeletes) {
        if (!removeResult && error)
            *error = QStringLiteral("Permission denied");
        return removeResult;
    }
    QFile f(path);
    if (f.remove())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

ScopedFakeServices::ScopedFakeServices()
{
    auto fake = std::make_unique<FakeServices>();
    fake_ = fake.get();
    previous_ = ui::installServices(std::move(fake));
}

ScopedFakeServices::~ScopedFakeServices() { ui::installServices(std::move(previous_)); }

} // namespace rida::test
