#include "components/searchpanel.h"

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
    b->setAutoDefault(true);  // Enter clicks the focused button, as Space does
    return b;
}

SearchPanel::SearchPanel(const SearchPanelOptions& options, QWidget* parent)
    : QGroupBox(QStringLiteral("지번 검색"), parent)
{
    setObjectName(QStringLiteral("suiPanel6"));

    auto* regionLabel = new QLabel(QStringLiteral("지역 :"), this);
    xjuso1 = makeRegionList(model::sampleTown(), QStringLiteral("지역 읍면"), this);
    xjuso2 = makeRegionList(model::sampleVillage(), QStringLiteral("지역 동리"), this);
    regionLabel->setBuddy(xjuso1);

    auto* lotLabel = new QLabel(QStringLiteral("지번 :"), this);
    san = new QCheckBox(QStringLiteral("산"), this);
    xjuso3 = new LotNumberField(this);
    xjuso3->setAccessibleName(QStringLiteral("본번"));
    xjuso4 = new LotNumberField(this);
    xjuso4->setAccessibleName(QStringLiteral("부번"));
    lotLabel->setBuddy(xjuso3);
    auto* dash = new QLabel(QStringLiteral("-"), this);
    SuiArrowButton1 = new QToolButton(this);
    SuiArrowButton1->setArrowType(Qt::UpArrow);
    SuiArrowButton1->setToolTip(QStringLiteral("전 부번"));
    SuiArrowButton1->setAccessibleName(QStringLiteral("전 부번"));
    SuiArrowButton2 = new QToolButton(this);
    SuiArrowButton2->setArrowType(Qt::DownArrow);
    SuiArrowButton2->setToolTip(QStringLiteral("후 부번"));
    SuiArrowButton2->setAccessibleName(QStringLiteral("후 부번"));
    for (QToolButton* arrow : {SuiArrowButton1, SuiArrowButton2})
        arrow->setFixedSize(16, 11);

    kindck = new QCheckBox(QStringLiteral(" 조서구분 :"), this);
    xkind = new QComboBox(this);
    xkind->addItems(model::documentKindItems());
    xkind->setCurrentIndex(0);
    xkind->setAccessibleName(QStringLiteral("조서구분"));

    xdtck = new QCheckBox(QStringLiteral(" 연도범위 :"), this);
    fdate = new ui::NumberField(this);
    rdate = new ui::NumberField(this);
    const QString startYear = QString::number(options.startYear);
    for (ui::NumberField* f : {fdate, rdate}) {
        f->setText(startYear);
        f->setToolTip(QStringLiteral("연도 4자리"));
    }
    fdate->setAccessibleName(QStringLiteral("시작 연도"));
    rdate->setAccessibleName(QStringLiteral("끝 연도"));
    auto* tilde = new QLabel(QStringLiteral("~"), this);

    suiButton18 = makeCommandButton(QStringLiteral("검색"), this);

    // Key filters of the search windows.
    using model::KeyRule;
    ui::attachKeyRule(xjuso3, KeyRule::EnterMoves, xjuso4);
    ui::attachKeyRule(xjuso4, KeyRule::EnterMoves, suiButton18);
    ui::attachKeyRule(xkind, KeyRule::Swallow);
    ui::attachKeyRule(fdate, KeyRule::EnterMoves, rdate);
    ui::attachKeyRule(rdate, KeyRule::EnterMoves, suiButton18);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(5);
    grid->addWidget(regionLabel, 0, 0);
    auto* regions = new QHBoxLayout;
    regions->addWidget(xjuso1, 1);
    regions->addWidget(xjuso2, 1);
    grid->addLayout(regions, 0, 1);

    grid->addWidget(lotLabel, 1, 0);
    auto* lot = new QHBoxLayout;
    lot->addWidget(san);
    lot->addWidget(xjuso3, 1);
    lot->addWidget(dash);
    lot->addWidget(xjuso4, 1);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(SuiArrowButton1);
    arrows->addWidget(SuiArrowButton2);
    lot->addLayout(arrows);
    grid->addLayout(lot, 1, 1);

    grid->addWidget(kindck, 2, 0);
    grid->addWidget(xkind, 2, 1);

    grid->addWidget(xdtck, 3, 0);
    auto* years = new QHBoxLayout;
    years->addWidget(fdate, 1);
    years->addWidget(tilde);
    years->addWidget(rdate, 1);
    grid->addLayout(years, 3, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(suiButton18);
    grid->addLayout(buttonRow, 4, 0, 1, 2);
}

void SearchPanel::showLot(const QString& kindWord, const QString& mainNumber, const QString& subNumber)
{
    const QSignalBlocker b1(san), b2(xjuso3), b3(xjuso4);
    san->setChecked(model::isMountainWord(kindWord));
    xjuso3->setText(mainNumber);
    xjuso4->setText(subNumber);
}

} // namespace rida::components
