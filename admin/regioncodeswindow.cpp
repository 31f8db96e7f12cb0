#include "admin/regioncodeswindow.h"

#include "archive/regionlist.h"
#include "archive/store.h"
#include "ui/services.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace rida::admin {

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

RegionCodesWindow::RegionCodesWindow(const QString& appDir, archive::Store& store)
    : WorkWindow(appDir, QStringLiteral("행정코드 관리"), TitleButtons::CloseOnly), store_(store)
{
    store_.require(archive::Command::ManageRegions);
    setObjectName(QStringLiteral("regionCodes"));

    auto* filePanel = new QGroupBox(QStringLiteral("법정동코드 파일"), this);
    codeCount = new QLabel(filePanel);
    codeCount->setObjectName(QStringLiteral("codeCount"));
    importButton = new QPushButton(QStringLiteral("법정동코드 파일 가져오기..."), filePanel);
    auto* fileRow = new QHBoxLayout(filePanel);
    fileRow->addWidget(codeCount, 1);
    fileRow->addWidget(importButton);

    auto* districtPanel = new QGroupBox(QStringLiteral("사무소의 시군구"), this);
    districtList = new QListWidget(districtPanel);
    districtList->setObjectName(QStringLiteral("districtList"));
    districtList->setAccessibleName(QStringLiteral("사무소의 시군구"));
    chooseButton = new QPushButton(QStringLiteral("선택한 시군구 저장"), districtPanel);
    auto* districtLayout = new QVBoxLayout(districtPanel);
    districtLayout->addWidget(districtList, 1);
    districtLayout->addWidget(chooseButton, 0, Qt::AlignRight);

    auto* townPanel = new QGroupBox(QStringLiteral("지역 목록의 읍면동"), this);
    townList = new QListWidget(townPanel);
    townList->setObjectName(QStringLiteral("townList"));
    townList->setAccessibleName(QStringLiteral("지역 목록의 읍면동"));
    townList->setSelectionMode(QAbstractItemView::NoSelection);
    (new QVBoxLayout(townPanel))->addWidget(townList);

    auto* lists = new QHBoxLayout;
    lists->addWidget(districtPanel, 1);
    lists->addWidget(townPanel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filePanel);
    layout->addLayout(lists, 1);

    connect(importButton, &QPushButton::clicked, this, &RegionCodesWindow::importFile);
    connect(chooseButton, &QPushButton::clicked, this, &RegionCodesWindow::saveChoice);

    ui::runCommand(this, [this] { showRegions(); });
}

QStringList RegionCodesWindow::checkedDistricts() const
{
    QStringList codes;
    for (int row = 0; row < districtList->count(); ++row)
        if (districtList->item(row)->checkState() == Qt::Checked)
            codes << districtList->item(row)->data(Qt::UserRole).toString();
    return codes;
}

void RegionCodesWindow::showRegions()
{
    codeCount->setText(QStringLiteral("행정코드 %1개").arg(store_.regionCount()));
    const QStringList chosen = store_.chosenDistricts();
    districtList->clear();
    for (const archive::DistrictItem& d : store_.districts()) {
        QString text = d.code + QStringLiteral("  ") + d.fullName;
        if (d.abolished)
            text += QStringLiteral(" (폐지)");
        auto* item = new QListWidgetItem(text, districtList);
        item->setData(Qt::UserRole, d.code);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(d.code) ? Qt::Checked : Qt::Unchecked);
    }
    townList->clear();
    for (const archive::RegionItem& town : store_.towns())
        townList->addItem(town.code + QStringLiteral("  ") + town.name);
}

void RegionCodesWindow::importFile()
{
    const QString file = ui::services().chooseFileToOpen(
        this, QStringLiteral("법정동코드 파일 가져오기"), appDir() + QStringLiteral("Regions"),
        QStringLiteral("법정동코드 파일 (*.txt *.tsv);;모든 파일 (*)"));
    if (file.isEmpty())
        return;
    archive::RegionImportSummary summary;
    const bool imported = ui::runCommand(this, [&] {
        const WaitCursor wait;
        summary = store_.importRegions(archive::readRegionList(file));
    });
    if (!imported)
        return;
    ui::runCommand(this, [this] { showRegions(); });
    ui::services().showMessage(this,
                               QStringLiteral("행정코드 %1줄을 가져왔습니다: 새 코드 %2, 바뀐 코드 %3(새로 폐지 %4)")
                                   .arg(summary.total)
                                   .arg(summary.added)
                                   .arg(summary.changed)
                                   .arg(summary.abolished),
                               ui::MessageIcon::Information);
}

void RegionCodesWindow::saveChoice()
{
    const QStringList codes = checkedDistricts();
    if (!ui::runCommand(this, [&] { store_.chooseDistricts(codes); }))
        return;
    ui::runCommand(this, [this] { showRegions(); });
    ui::services().showMessage(this, QStringLiteral("시군구를 골랐습니다: %1").arg(codes.join(QStringLiteral(", "))),
                               ui::MessageIcon::Information);
}

} // namespace rida::admin
