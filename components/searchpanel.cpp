#include "components/searchpanel.h"

#include "components/regionlists.h"
#include "model/digits.h"
#include "model/keyrules.h"
#include "ui/fields.h"
#include "ui/keyfilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace rida::components {

LotNumberField::LotNumberField(QWidget* parent) : ui::LengthLimitedEdit(kMaxTyped, parent)
{
    setToolTip(QStringLiteral("최대 숫자 4자리"));
}

void stepLotNumber(QLineEdit* field)
{
    const QString text = field->text();
    const QString next = text.isEmpty() ? QStringLiteral("1") : QString::number(qint64(model::toInteger(text)) + 1);
    field->setText(next);
}

QComboBox* makeRegionList(const QString& item, const QString& accessibleName, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItem(item);
    list->setCurrentIndex(0);
    if (!accessibleName.isEmpty())
        list->setAccessibleName(accessibleName);
    ui::attachKeyRule(list, model::KeyRule::Swallow);
    return list;
}

QPushButton* makeCommandButton(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(true); // Enter clicks the focused button, as Space does
    return b;
}

SearchPanel::SearchPanel(const SearchPanelOptions& options, QWidget* parent)
    : QGroupBox(QStringLiteral("지번 검색"), parent)
{
    setObjectName(QStringLiteral("suiPanel6"));

    auto* regionLabel = new QLabel(QStringLiteral("지역 :"), this);
    townList = makeRegionList(model::sampleTown(), QStringLiteral("지역 읍면"), this);
    villageList = makeRegionList(model::sampleVillage(), QStringLiteral("지역 동리"), this);
    bindRegionLists(townList, villageList, options.regions);
    regionLabel->setBuddy(townList);

    auto* lotLabel = new QLabel(QStringLiteral("지번 :"), this);
    sanBox = new QCheckBox(QStringLiteral("산"), this);
    mainNumber = new LotNumberField(this);
    mainNumber->setAccessibleName(QStringLiteral("본번"));
    subNumber = new LotNumberField(this);
    subNumber->setAccessibleName(QStringLiteral("부번"));
    lotLabel->setBuddy(mainNumber);
    auto* dash = new QLabel(QStringLiteral("-"), this);
    previousSubButton = new QToolButton(this);
    previousSubButton->setArrowType(Qt::UpArrow);
    previousSubButton->setToolTip(QStringLiteral("전 부번"));
    previousSubButton->setAccessibleName(QStringLiteral("전 부번"));
    nextSubButton = new QToolButton(this);
    nextSubButton->setArrowType(Qt::DownArrow);
    nextSubButton->setToolTip(QStringLiteral("후 부번"));
    nextSubButton->setAccessibleName(QStringLiteral("후 부번"));
    for (QToolButton* arrow : {previousSubButton, nextSubButton})
        arrow->setFixedSize(16, 11);

    kindFilterBox = new QCheckBox(QStringLiteral(" 조서구분 :"), this);
    kindList = new QComboBox(this);
    kindList->addItems(model::documentKindItems());
    kindList->setCurrentIndex(0);
    kindList->setAccessibleName(QStringLiteral("조서구분"));

    yearRangeBox = new QCheckBox(QStringLiteral(" 연도범위 :"), this);
    yearFrom = new ui::NumberField(this);
    yearTo = new ui::NumberField(this);
    const QString startYear = QString::number(options.startYear);
    for (ui::NumberField* f : {yearFrom, yearTo}) {
        f->setText(startYear);
        f->setToolTip(QStringLiteral("연도 4자리"));
    }
    yearFrom->setAccessibleName(QStringLiteral("시작 연도"));
    yearTo->setAccessibleName(QStringLiteral("끝 연도"));
    auto* tilde = new QLabel(QStringLiteral("~"), this);

    searchButton = makeCommandButton(QStringLiteral("검색"), this);

    // Key filters of the search windows.
    using model::KeyRule;
    ui::attachKeyRule(mainNumber, KeyRule::EnterMoves, subNumber);
    ui::attachKeyRule(subNumber, KeyRule::EnterMoves, searchButton);
    ui::attachKeyRule(kindList, KeyRule::Swallow);
    ui::attachKeyRule(yearFrom, KeyRule::EnterMoves, yearTo);
    ui::attachKeyRule(yearTo, KeyRule::EnterMoves, searchButton);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(5);
    grid->addWidget(regionLabel, 0, 0);
    auto* regions = new QHBoxLayout;
    regions->addWidget(townList, 1);
    regions->addWidget(villageList, 1);
    grid->addLayout(regions, 0, 1);

    grid->addWidget(lotLabel, 1, 0);
    auto* lot = new QHBoxLayout;
    lot->addWidget(sanBox);
    lot->addWidget(mainNumber, 1);
    lot->addWidget(dash);
    lot->addWidget(subNumber, 1);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(previousSubButton);
    arrows->addWidget(nextSubButton);
    lot->addLayout(arrows);
    grid->addLayout(lot, 1, 1);

    grid->addWidget(kindFilterBox, 2, 0);
    grid->addWidget(kindList, 2, 1);

    grid->addWidget(yearRangeBox, 3, 0);
    auto* years = new QHBoxLayout;
    years->addWidget(yearFrom, 1);
    years->addWidget(tilde);
    years->addWidget(yearTo, 1);
    grid->addLayout(years, 3, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(searchButton);
    grid->addLayout(buttonRow, 4, 0, 1, 2);
}

void SearchPanel::showLot(const QString& kindWord, const QString& main, const QString& sub)
{
    const QSignalBlocker b1(sanBox), b2(mainNumber), b3(subNumber);
    sanBox->setChecked(model::isMountainWord(kindWord));
    mainNumber->setText(main);
    subNumber->setText(sub);
}

} // namespace rida::components
