#pragma once
// A fresh archive for the search windows' tests: the sample region list, and
// documents registered through the filing of the registration windows, each a
// small JPEG page of its own scanned in a folder beside the archive.

#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "components/pagefiling.h"
#include "components/searchpanel.h"
#include "tests/archive/fixture.h"
#include "tests/support/fakeservices.h"
#include "ui/grid/stringgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace rida::test {

class StoredRecords : public archive::testing::ArchiveTest {
public:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store = ready();
        QDir().mkpath(scans());
    }
    void TearDown() override
    {
        // The archive is consistent after every test.
        store->signOut();
        ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
        for (const archive::CheckFinding& f : archive::checkArchive(*store, pagesPath()))
            ADD_FAILURE() << f.message.toStdString();
    }

    QString scans() const { return path(QStringLiteral("scans")); }
    components::PageArchive pageArchive()
    {
        return {store.get(), [this] { return pagesPath(); }};
    }

    // Registers a scanned page (a JPEG of its own colour) as 복사 does: the
    // scan stays in its folder.
    qint64 file(QChar kind, int year, int month, QList<archive::NewLot> lots, const QString& name = {})
    {
        ++pages_;
        const QString scan = scans() + u'/' + (name.isEmpty() ? QStringLiteral("scan%1.jpg").arg(pages_) : name);
        QImage page(48, 32, QImage::Format_RGB32);
        page.fill(QColor(40 + (pages_ * 7) % 200, 90, (pages_ * 13) % 250));
        EXPECT_TRUE(page.save(scan, "JPEG"));
        archive::FilingRequest r;
        r.sourcePath = scan;
        r.transfer = archive::Transfer::Copy;
        r.nameRule = archive::NameRule::Rename;
        r.kind = kind;
        r.surveyYear = year;
        r.surveyMonth = month;
        r.regionCode = lots.front().regionCode;
        r.lots = std::move(lots);
        return archive::filePage(*store, pagesPath(), r).documentId;
    }

    // The search panel's criteria as a user sets them.
    static void setCriteria(components::SearchPanel* p, const QString& town, const QString& village, bool san,
                            const QString& main, const QString& sub)
    {
        p->townList->setCurrentIndex(p->townList->findText(town));
        p->villageList->setCurrentIndex(p->villageList->findText(village));
        p->sanBox->setChecked(san);
        p->mainNumber->setText(main);
        p->subNumber->setText(sub);
    }
    // The record numbers the record grid lists, in its order.
    static QList<qint64> listed(ui::grid::StringGrid* grid)
    {
        QList<qint64> ids;
        for (int row = 1; row <= grid->dataRowCount(); ++row)
            ids << grid->cell(row, 0).toLongLong();
        return ids;
    }

    ScopedFakeServices fake;
    std::unique_ptr<archive::Store> store;
    int pages_ = 0;
};

} // namespace rida::test
