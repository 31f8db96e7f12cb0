#include "components/lotlist.h"

#include "model/digits.h"
#include "model/error.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "ui/keyfilter.h"
#include "ui/picturebutton.h"
#include "ui/services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>

namespace rida::components {

LotListOptions LotListOptions::automaticTab()
{
    LotListOptions o;
    o.lineCaption = QStringLiteral("등록할 지번 :");
    o.columnWidths = {66, 66, 34, 45, 45};
    o.enterInMainSelectsSub = false;
    o.afterAdd = AfterAdd::MainNumberSelected;
    o.registerCaption = QStringLiteral("등록(F9)");
    o.zeroButtons = true;
    o.sanClickSelectsMain = true;
    return o;
}

using model::KeyRule;

namespace {

const QColor kLotRowColor(255, 255, 247);
const QColor kSelectedRowColor(182, 202, 234);

// At most four characters typed; longer texts that the step arrows write stay as they are.
QLineEdit* numberField(const char* name, const QString& spoken, QWidget* parent)
{
    auto* e = new ui::LengthLimitedEdit(4, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setToolTip(QStringLiteral("최대 숫자 4자리"));
    e->setAccessibleName(spoken);
    return e;
}

QToolButton* arrow(const char* name, Qt::ArrowType direction, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setArrowType(direction);
    b->setAccessibleName(hint); // for a screen reader; the arrows show no hint
    b->setFocusPolicy(Qt::NoFocus); // stepping leaves the focus in the field
    b->setFixedSize(16, 11);
    return b;
}

QPushButton* button(const char* name, const QString& caption, const QString& colour, QWidget* parent)
{
    // A picture given to a button stands above its caption.
    auto* b = new ui::PictureAboveButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    if (!colour.isEmpty())
        b->setStyleSheet(QStringLiteral("QPushButton { color: %1; }").arg(colour));
    return b;
}

QString lotKey(const QString& kindWord, const QString& main, const QString& sub)
{
    return kindWord + main + u';' + sub;
}

} // namespace

LotList::LotList(const LotListHost& host, const LotListOptions& options, QWidget* parent)
    : QWidget(parent), host_(host), options_(options)
{
    setObjectName(QStringLiteral("lotlist"));
    auto* caption = new QLabel(options_.lineCaption, this);
    san = new QCheckBox(QStringLiteral("산"), this);
    san->setObjectName(QStringLiteral("san"));
    caption->setBuddy(san);
    xjuso3 = numberField("xjuso3", QStringLiteral("본번"), this);
    xjuso4 = numberField("xjuso4", QStringLiteral("부번"), this);
    SuiArrowButton1 = arrow("SuiArrowButton1", Qt::UpArrow, QStringLiteral("본번 올림"), this);
    SuiArrowButton2 = arrow("SuiArrowButton2", Qt::DownArrow, QStringLiteral("본번 내림"), this);
    SuiArrowButton3 = arrow("SuiArrowButton3", Qt::UpArrow, QStringLiteral("부번 올림"), this);
    SuiArrowButton4 = arrow("SuiArrowButton4", Qt::DownArrow, QStringLiteral("부번 내림"), this);
    suiButton4 = button("suiButton4", QStringLiteral("추가"), {}, this);
    suiButton4->setAutoDefault(true); // Enter on the focused button runs the add command
    suiButton2 = button("suiButton2", QStringLiteral("삭제"), QStringLiteral("red"), this);
    suiButton18 = button("suiButton18", options_.registerCaption, QStringLiteral("blue"), this);
    suiButton18->setAutoDefault(true);
    suiButton18->setFixedHeight(51);
    suiButton4->setFixedHeight(27);
    suiButton2->setFixedHeight(27);

    jusogrid = new ui::grid::StringGrid({QStringLiteral("시읍면"), QStringLiteral("동리"), QStringLiteral("구분"),
                                         QStringLiteral("본번"), QStringLiteral("부번")},
                                        this);
    jusogrid->setObjectName(QStringLiteral("jusogrid"));
    jusogrid->setAccessibleName(QStringLiteral("지번 목록"));
    jusogrid->setColumnWidths(QList<int>(options_.columnWidths.begin(), options_.columnWidths.end()));
    jusogrid->setDefaultRowHeight(20);
    jusogrid->setSelectionColor(kSelectedRowColor);
    QFont headerFont = jusogrid->horizontalHeader()->font();
    headerFont.setBold(true);
    jusogrid->horizontalHeader()->setFont(headerFont);
    jusogrid->setMinimumSize(243, 182);

    auto numberWithArrows = [this](QLineEdit* field, QToolButton* up, QToolButton* down) {
        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(0);
        arrows->addWidget(up);
        arrows->addWidget(down);
        auto* row = new QHBoxLayout;
        row->setSpacing(1);
        row->addWidget(field);
        row->addLayout(arrows);
        return row;
    };
    auto* line = new QGridLayout;
    line->addWidget(caption, 0, 0);
    line->addWidget(san, 0, 1);
    line->addLayout(numberWithArrows(xjuso3, SuiArrowButton1, SuiArrowButton2), 0, 2);
    line->addWidget(new QLabel(QStringLiteral("-"), this), 0, 3);
    line->addLayout(numberWithArrows(xjuso4, SuiArrowButton3, SuiArrowButton4), 0, 4);
    line->addWidget(suiButton4, 0, 5);
    if (options_.zeroButtons) {
        suiButton11 = button("suiButton11", QStringLiteral("0"), {}, this);
        suiButton11->setAccessibleName(QStringLiteral("본번 0"));
        suiButton8 = button("suiButton8", QStringLiteral("0"), {}, this);
        suiButton8->setAccessibleName(QStringLiteral("부번 0"));
        line->addWidget(suiButton11, 1, 2);
        line->addWidget(suiButton8, 1, 4);
        connect(suiButton11, &QPushButton::clicked, this, &LotList::suiButton11Click);
        connect(suiButton8, &QPushButton::clicked, this, &LotList::suiButton8Click);
    }
    line->setColumnStretch(6, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(suiButton2);
    side->addStretch(1);
    side->addWidget(suiButton18);
    auto* lower = new QHBoxLayout;
    lower->addWidget(jusogrid, 1);
    lower->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(line);
    layout->addLayout(lower, 1);

    ui::attachKeyRule(xjuso3, options_.enterInMainSelectsSub ? KeyRule::EnterMovesAndSelects : KeyRule::EnterMoves,
                      xjuso4);
    ui::attachKeyRule(xjuso4, KeyRule::EnterMoves, suiButton4);

    connect(suiButton4, &QPushButton::clicked, this, &LotList::suiButton4Click);
    connect(suiButton2, &QPushButton::clicked, this, &LotList::suiButton5Click);
    connect(suiButton18, &QPushButton::clicked, this, &LotList::registerRequested);
    connect(SuiArrowButton1, &QToolButton::clicked, this, &LotList::SuiArrowButton1Click);
    connect(SuiArrowButton2, &QToolButton::clicked, this, &LotList::SuiArrowButton2Click);
    connect(SuiArrowButton3, &QToolButton::clicked, this, &LotList::SuiArrowButton3Click);
    connect(SuiArrowButton4, &QToolButton::clicked, this, &LotList::SuiArrowButton4Click);
    connect(jusogrid, &ui::grid::StringGrid::cellSelected, this,
            [this](int row, int column) { jusogridSelectCell(column, row); });
    if (options_.sanClickSelectsMain)
        connect(san, &QCheckBox::clicked, this, &LotList::sanClick);
}

void LotList::suiButton11Click()
{
    xjuso3->setText(QStringLiteral("0"));
}

void LotList::suiButton8Click()
{
    xjuso4->setText(QStringLiteral("0"));
}

void LotList::sanClick()
{
    xjuso3->setFocus(Qt::OtherFocusReason);
    xjuso3->selectAll();
}

void LotList::warn(const QString& text)
{
    ui::services().showMessage(this, text);
}

void LotList::suiButton4Click()
{
    if (!host_.imageChosen || !host_.imageChosen()) {
        warn(QStringLiteral("지가조서 이미지를 선택하십시오!"));
        if (host_.imageMissingFocus)
            host_.imageMissingFocus->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (host_.village->currentText().isEmpty() || xjuso3->text().isEmpty()) {
        warn(QStringLiteral("주소를 입력하십시오!"));
        if (host_.town->isEnabled())
            host_.town->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (model::ContainsNonDigit(xjuso3->text())) {
        warn(QStringLiteral("본번이 숫자가 아닙니다! 확인하십시오."));
        xjuso3->setFocus(Qt::OtherFocusReason);
        xjuso3->selectAll();
        return;
    }
    if (model::ContainsNonDigit(xjuso4->text())) {
        warn(QStringLiteral("부번이 숫자가 아닙니다! 확인하십시오."));
        xjuso4->setFocus(Qt::OtherFocusReason);
        xjuso4->selectAll();
        return;
    }
    if (IsLotListed()) {
        warn(QStringLiteral("이미 추가된 지번입니다! 확인하십시오."));
        xjuso3->setFocus(Qt::OtherFocusReason);
        xjuso3->deselect();
        return;
    }

    if (xjuso4->text().isEmpty())
        xjuso4->setText(QStringLiteral("0"));
    jusogrid->insertRows(jusogrid->rowCount() - 1);
    const int row = jusogrid->rowCount() - 2;
    jusogrid->setRowCells(row, {host_.town->currentText(), host_.village->currentText(),
                                model::lotKindWord(san->isChecked()), xjuso3->text(), xjuso4->text()});
    jusogrid->setRowColor(row, kLotRowColor);
    jusogrid->setCurrentRow(row);
    host_.town->setEnabled(false);
    host_.village->setEnabled(false);
    if (options_.afterAdd == LotListOptions::AfterAdd::RegisterButton) {
        suiButton18->setFocus(Qt::OtherFocusReason);
    } else {
        xjuso3->setFocus(Qt::OtherFocusReason);
        xjuso3->selectAll();
    }
}

QString LotList::entryKey() const
{
    const QString sub = xjuso4->text().isEmpty() ? QStringLiteral("0") : xjuso4->text();
    return lotKey(model::lotKindWord(san->isChecked()), xjuso3->text(), sub);
}

bool LotList::IsLotListed() const
{
    const QString key = entryKey();
    for (int row = 1; row <= jusogrid->rowCount() - 2; ++row)
        if (lotKey(jusogrid->cell(row, ColKind), jusogrid->cell(row, ColMain), jusogrid->cell(row, ColSub)) == key)
            return true;
    return false;
}

void LotList::suiButton5Click()
{
    const int row = selectedLotRow_;
    // No lot selected, or the trailing empty row. That row is known by its
    // place: a lot row may have an empty town cell too (Delete can empty the
    // town list before an add), and it must stay deletable.
    if (row <= 0 || row > jusogrid->rowCount() - 2)
        return;
    if (!ui::services().askYesNo(this, QStringLiteral("지번을 취소하겠습니까?")))
        return;
    jusogrid->removeDataRow(row);
    const int last = jusogrid->rowCount() - 2;
    if (last >= 1) {
        jusogrid->setCurrentRow(last);
    } else {
        selectedLotRow_ = 0;
    }
}

void LotList::jusogridSelectCell(int column, int row)
{
    selectedLotRow_ = row;
}

void LotList::step(QLineEdit* field, bool up)
{
    ui::runCommand(this, [&] {
        if (field->text().isEmpty())
            field->setText(QStringLiteral("0"));
        const QString text = field->text();
        if (!up && text == QStringLiteral("0"))
            return;
        const int value = model::toInteger(text);
        if ((up && value == INT_MAX) || (!up && value == INT_MIN))
            throw model::Error(QStringLiteral("'%1'에서 더 %2 수 없습니다.")
                                   .arg(text, up ? QStringLiteral("올릴") : QStringLiteral("내릴")));
        field->setText(QString::number(up ? value + 1 : value - 1));
    });
}

void LotList::SuiArrowButton1Click()
{
    step(xjuso3, true);
}
void LotList::SuiArrowButton2Click()
{
    step(xjuso3, false);
}
void LotList::SuiArrowButton3Click()
{
    step(xjuso4, true);
}
void LotList::SuiArrowButton4Click()
{
    step(xjuso4, false);
}

int LotList::lotCount() const
{
    return jusogrid->dataRowCount();
}

std::vector<model::Lot> LotList::lots() const
{
    std::vector<model::Lot> result;
    for (int row = 1; row <= jusogrid->rowCount() - 2; ++row)
        result.push_back({jusogrid->cell(row, ColTown), jusogrid->cell(row, ColVillage),
                          model::isMountainWord(jusogrid->cell(row, ColKind)), jusogrid->cell(row, ColMain),
                          jusogrid->cell(row, ColSub)});
    return result;
}

void LotList::clearLots()
{
    jusogrid->clearDataRows();
    selectedLotRow_ = 0;
}

void LotList::unlockRegion()
{
    host_.town->setEnabled(true);
    host_.village->setEnabled(true);
}

} // namespace rida::components
