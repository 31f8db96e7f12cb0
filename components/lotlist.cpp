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
    b->setAccessibleName(hint);     // for a screen reader; the arrows show no hint
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
    sanBox = new QCheckBox(QStringLiteral("산"), this);
    sanBox->setObjectName(QStringLiteral("san"));
    caption->setBuddy(sanBox);
    mainNumber = numberField("xjuso3", QStringLiteral("본번"), this);
    subNumber = numberField("xjuso4", QStringLiteral("부번"), this);
    mainUpButton = arrow("SuiArrowButton1", Qt::UpArrow, QStringLiteral("본번 올림"), this);
    mainDownButton = arrow("SuiArrowButton2", Qt::DownArrow, QStringLiteral("본번 내림"), this);
    subUpButton = arrow("SuiArrowButton3", Qt::UpArrow, QStringLiteral("부번 올림"), this);
    subDownButton = arrow("SuiArrowButton4", Qt::DownArrow, QStringLiteral("부번 내림"), this);
    addButton = button("suiButton4", QStringLiteral("추가"), {}, this);
    addButton->setAutoDefault(true); // Enter on the focused button runs the add command
    deleteButton = button("suiButton2", QStringLiteral("삭제"), QStringLiteral("red"), this);
    registerButton = button("suiButton18", options_.registerCaption, QStringLiteral("blue"), this);
    registerButton->setAutoDefault(true);
    registerButton->setFixedHeight(51);
    addButton->setFixedHeight(27);
    deleteButton->setFixedHeight(27);

    lotGrid = new ui::grid::StringGrid({QStringLiteral("시읍면"), QStringLiteral("동리"), QStringLiteral("구분"),
                                        QStringLiteral("본번"), QStringLiteral("부번")},
                                       this);
    lotGrid->setObjectName(QStringLiteral("jusogrid"));
    lotGrid->setAccessibleName(QStringLiteral("지번 목록"));
    lotGrid->setColumnWidths(QList<int>(options_.columnWidths.begin(), options_.columnWidths.end()));
    lotGrid->setDefaultRowHeight(20);
    lotGrid->setSelectionColor(kSelectedRowColor);
    QFont headerFont = lotGrid->horizontalHeader()->font();
    headerFont.setBold(true);
    lotGrid->horizontalHeader()->setFont(headerFont);
    lotGrid->setMinimumSize(243, 182);

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
    line->addWidget(sanBox, 0, 1);
    line->addLayout(numberWithArrows(mainNumber, mainUpButton, mainDownButton), 0, 2);
    line->addWidget(new QLabel(QStringLiteral("-"), this), 0, 3);
    line->addLayout(numberWithArrows(subNumber, subUpButton, subDownButton), 0, 4);
    line->addWidget(addButton, 0, 5);
    if (options_.zeroButtons) {
        mainZeroButton = button("suiButton11", QStringLiteral("0"), {}, this);
        mainZeroButton->setAccessibleName(QStringLiteral("본번 0"));
        subZeroButton = button("suiButton8", QStringLiteral("0"), {}, this);
        subZeroButton->setAccessibleName(QStringLiteral("부번 0"));
        line->addWidget(mainZeroButton, 1, 2);
        line->addWidget(subZeroButton, 1, 4);
        connect(mainZeroButton, &QPushButton::clicked, this, &LotList::zeroMainNumber);
        connect(subZeroButton, &QPushButton::clicked, this, &LotList::zeroSubNumber);
    }
    line->setColumnStretch(6, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(deleteButton);
    side->addStretch(1);
    side->addWidget(registerButton);
    auto* lower = new QHBoxLayout;
    lower->addWidget(lotGrid, 1);
    lower->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(line);
    layout->addLayout(lower, 1);

    ui::attachKeyRule(mainNumber, options_.enterInMainSelectsSub ? KeyRule::EnterMovesAndSelects : KeyRule::EnterMoves,
                      subNumber);
    ui::attachKeyRule(subNumber, KeyRule::EnterMoves, addButton);

    connect(addButton, &QPushButton::clicked, this, &LotList::addLot);
    connect(deleteButton, &QPushButton::clicked, this, &LotList::deleteSelectedLot);
    connect(registerButton, &QPushButton::clicked, this, &LotList::registerRequested);
    connect(mainUpButton, &QToolButton::clicked, this, &LotList::stepMainUp);
    connect(mainDownButton, &QToolButton::clicked, this, &LotList::stepMainDown);
    connect(subUpButton, &QToolButton::clicked, this, &LotList::stepSubUp);
    connect(subDownButton, &QToolButton::clicked, this, &LotList::stepSubDown);
    connect(lotGrid, &ui::grid::StringGrid::cellSelected, this,
            [this](int row, int column) { onLotCellSelected(column, row); });
    if (options_.sanClickSelectsMain)
        connect(sanBox, &QCheckBox::clicked, this, &LotList::onSanClicked);
}

void LotList::zeroMainNumber()
{
    mainNumber->setText(QStringLiteral("0"));
}

void LotList::zeroSubNumber()
{
    subNumber->setText(QStringLiteral("0"));
}

void LotList::onSanClicked()
{
    mainNumber->setFocus(Qt::OtherFocusReason);
    mainNumber->selectAll();
}

void LotList::warn(const QString& text)
{
    ui::services().showMessage(this, text);
}

void LotList::addLot()
{
    if (!host_.imageChosen || !host_.imageChosen()) {
        warn(QStringLiteral("지가조서 이미지를 선택하십시오!"));
        if (host_.imageMissingFocus)
            host_.imageMissingFocus->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (host_.village->currentText().isEmpty() || mainNumber->text().isEmpty()) {
        warn(QStringLiteral("주소를 입력하십시오!"));
        if (host_.town->isEnabled())
            host_.town->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (model::ContainsNonDigit(mainNumber->text())) {
        warn(QStringLiteral("본번이 숫자가 아닙니다! 확인하십시오."));
        mainNumber->setFocus(Qt::OtherFocusReason);
        mainNumber->selectAll();
        return;
    }
    if (model::ContainsNonDigit(subNumber->text())) {
        warn(QStringLiteral("부번이 숫자가 아닙니다! 확인하십시오."));
        subNumber->setFocus(Qt::OtherFocusReason);
        subNumber->selectAll();
        return;
    }
    if (isLotListed()) {
        warn(QStringLiteral("이미 추가된 지번입니다! 확인하십시오."));
        mainNumber->setFocus(Qt::OtherFocusReason);
        mainNumber->deselect();
        return;
    }

    if (subNumber->text().isEmpty())
        subNumber->setText(QStringLiteral("0"));
    lotGrid->insertRows(lotGrid->rowCount() - 1);
    const int row = lotGrid->rowCount() - 2;
    lotGrid->setRowCells(row, {host_.town->currentText(), host_.village->currentText(),
                               model::lotKindWord(sanBox->isChecked()), mainNumber->text(), subNumber->text()});
    lotGrid->setRowColor(row, kLotRowColor);
    lotGrid->setCurrentRow(row);
    host_.town->setEnabled(false);
    host_.village->setEnabled(false);
    if (options_.afterAdd == LotListOptions::AfterAdd::RegisterButton) {
        registerButton->setFocus(Qt::OtherFocusReason);
    } else {
        mainNumber->setFocus(Qt::OtherFocusReason);
        mainNumber->selectAll();
    }
}

QString LotList::entryKey() const
{
    const QString sub = subNumber->text().isEmpty() ? QStringLiteral("0") : subNumber->text();
    return lotKey(model::lotKindWord(sanBox->isChecked()), mainNumber->text(), sub);
}

bool LotList::isLotListed() const
{
    const QString key = entryKey();
    for (int row = 1; row <= lotGrid->rowCount() - 2; ++row)
        if (lotKey(lotGrid->cell(row, ColKind), lotGrid->cell(row, ColMain), lotGrid->cell(row, ColSub)) == key)
            return true;
    return false;
}

void LotList::deleteSelectedLot()
{
    const int row = selectedLotRow_;
    // No lot selected, or the trailing empty row. That row is known by its
    // place: a lot row may have an empty town cell too (Delete can empty the
    // town list before an add), and it must stay deletable.
    if (row <= 0 || row > lotGrid->rowCount() - 2)
        return;
    if (!ui::services().askYesNo(this, QStringLiteral("지번을 취소하겠습니까?")))
        return;
    lotGrid->removeDataRow(row);
    const int last = lotGrid->rowCount() - 2;
    if (last >= 1) {
        lotGrid->setCurrentRow(last);
    } else {
        selectedLotRow_ = 0;
    }
}

void LotList::onLotCellSelected(int column, int row)
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

void LotList::stepMainUp()
{
    step(mainNumber, true);
}
void LotList::stepMainDown()
{
    step(mainNumber, false);
}
void LotList::stepSubUp()
{
    step(subNumber, true);
}
void LotList::stepSubDown()
{
    step(subNumber, false);
}

int LotList::lotCount() const
{
    return lotGrid->dataRowCount();
}

std::vector<model::Lot> LotList::lots() const
{
    std::vector<model::Lot> result;
    for (int row = 1; row <= lotGrid->rowCount() - 2; ++row)
        result.push_back({lotGrid->cell(row, ColTown), lotGrid->cell(row, ColVillage),
                          model::isMountainWord(lotGrid->cell(row, ColKind)), lotGrid->cell(row, ColMain),
                          lotGrid->cell(row, ColSub)});
    return result;
}

void LotList::clearLots()
{
    lotGrid->clearDataRows();
    selectedLotRow_ = 0;
}

void LotList::unlockRegion()
{
    host_.town->setEnabled(true);
    host_.village->setEnabled(true);
}

} // namespace rida::components
