#include "components/attributepanel.h"

#include "components/regionlists.h"
#include "model/keyrules.h"
#include "model/landrecord.h"
#include "ui/fields.h"
#include "ui/keyfilter.h"
#include "ui/labels.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLabel>

namespace rida::components {

using model::KeyRule;

AttributePanelOptions AttributePanelOptions::automaticWindow()
{
    AttributePanelOptions o;
    o.kindCaption = QStringLiteral("문서구분 :");
    o.monthCaption = QStringLiteral("조사기준월 :");
    o.monthHint = QStringLiteral("조사기준월 2자리");
    return o;
}

AttributePanel::AttributePanel(const AttributePanelOptions& options, QWidget* parent) : QWidget(parent)
{
    kindList = ui::makeItemList("xkind", model::documentKindItems(), this);
    kindList->setStyleSheet(QStringLiteral("QComboBox { background: rgb(255, 255, 244); }"));
    yearField = new ui::MaskedDigitsField(4, this);
    yearField->setObjectName(QStringLiteral("xdate"));
    yearField->setToolTip(QStringLiteral("조사연도 4자리"));
    monthField = new ui::MaskedDigitsField(2, this);
    monthField->setObjectName(QStringLiteral("xmonth"));
    monthField->setToolTip(options.monthHint);
    townList = ui::makeItemList("xjuso1", {model::sampleTown()}, this);
    villageList = ui::makeItemList("xjuso2", {model::sampleVillage()}, this);
    bindRegionLists(townList, villageList, options.regions);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(ui::labelFor(options.kindCaption, kindList, this), 0, 0);
    grid->addWidget(kindList, 0, 1, 1, 3);
    grid->addWidget(ui::labelFor(QStringLiteral("조사기준연도 :"), yearField, this), 1, 0);
    grid->addWidget(yearField, 1, 1);
    grid->addWidget(ui::labelFor(options.monthCaption, monthField, this), 1, 2);
    grid->addWidget(monthField, 1, 3);
    grid->addWidget(ui::labelFor(QStringLiteral("등록지역 :"), townList, this), 2, 0);
    grid->addWidget(townList, 2, 1);
    grid->addWidget(villageList, 2, 2, 1, 2);
    townList->setAccessibleName(QStringLiteral("등록지역 시읍면"));
    villageList->setAccessibleName(QStringLiteral("등록지역 동리"));

    ui::attachKeyRule(kindList, KeyRule::EnterMovesAndSelectsElseSwallow, yearField);
    ui::attachKeyRule(yearField, KeyRule::EnterMovesAndSelects, monthField);
    ui::attachKeyRule(monthField, KeyRule::EnterMovesIfEnabled, townList);
    ui::attachKeyRule(townList, KeyRule::Swallow);
    ui::attachKeyRule(villageList, KeyRule::Swallow);
}

void AttributePanel::startWithThisYear()
{
    yearField->setText(QString::number(QDate::currentDate().year()).rightJustified(4, u'0'));
    monthField->setText(QStringLiteral("01"));
}

} // namespace rida::components
