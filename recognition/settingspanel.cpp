#include "recognition/settingspanel.h"

#include "model/digits.h"
#include "model/error.h"
#include "recognition/radiogroup.h"
#include "ui/fields.h"
#include "ui/labels.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rida::recognition {

namespace {

// Every field starts from the engine's own defaults.
const RecognitionSettings kDefaults{};

QString text(int value)
{
    return QString::number(value);
}

QLineEdit* settingField(const char* name, const QString& start, int limit, const QString& hint, QWidget* parent)
{
    // Limits what is typed, not what code writes: a picked coordinate copied
    // into a setting may be longer than the field lets the user type.
    auto* e = new ui::LengthLimitedEdit(limit, parent);
    e->setText(start);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(60);
    if (!hint.isEmpty())
        e->setToolTip(hint);
    return e;
}

QPushButton* pushButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    return b;
}

} // namespace

RecognitionSettingsPanel::RecognitionSettingsPanel(QWidget* parent) : QGroupBox(QStringLiteral("환경설정"), parent)
{
    setObjectName(QStringLiteral("settingsPanel"));
    settingsTabs = new QTabWidget(this);
    settingsTabs->setObjectName(QStringLiteral("suiPageControl1"));
    settingsTabs->setAccessibleName(QStringLiteral("환경설정"));
    settingsTabs->addTab(buildEnvironmentTab(), QStringLiteral("환경설정"));
    settingsTabs->addTab(buildAreaTab(), QStringLiteral("영역설정"));
    settingsTabs->addTab(buildRemovalTab(), QStringLiteral("인식형태설정"));
    settingsTabs->addTab(buildFontTab(), QStringLiteral("인식폰트"));
    settingsTabs->addTab(buildManualScreenTab(), QStringLiteral("수동등록화면"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settingsTabs);

    connect(setTopYButton, &QPushButton::clicked, this, &RecognitionSettingsPanel::setTopYFromPick);
    connect(setLeftXButton, &QPushButton::clicked, this, &RecognitionSettingsPanel::setLeftXFromPick);
    connect(setTableXButton, &QPushButton::clicked, this, &RecognitionSettingsPanel::setTableXFromPick);
    connect(setZoneXButton, &QPushButton::clicked, this, &RecognitionSettingsPanel::setZoneXFromPick);
}

QWidget* RecognitionSettingsPanel::buildEnvironmentTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("environmentTab"));
    const QString failHint = QStringLiteral("인식실패 기준열");
    minRowsField = settingField("doxnum", text(kDefaults.minRows), 2, failHint, tab);
    stopAfterField = settingField("errnum", text(kDefaults.stopAfter), 2, failHint, tab);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(ui::labelFor(QStringLiteral("인식 실패기준 열 갯수 :"), minRowsField, tab), 0, 0);
    grid->addWidget(minRowsField, 0, 1);
    grid->addWidget(ui::labelFor(QStringLiteral("인식 중지 실패 횟수 :"), stopAfterField, tab), 1, 0);
    grid->addWidget(stopAfterField, 1, 1);
    int row = 2;
    auto addGroup = [&](const char* name, const QString& caption, const QStringList& items, int start) {
        auto* g = new RadioGroup(caption, items, start, Qt::Horizontal, tab);
        g->setObjectName(QString::fromLatin1(name));
        auto* l = new QLabel(caption, tab);
        l->setBuddy(g->button(0));
        grid->addWidget(l, row, 0);
        grid->addWidget(g, row, 1, 1, 2);
        ++row;
        return g;
    };
    // Offered, but no run reads them: files stay where and as they are, no blank
    // is cut off and only the folder shown in the file list is read.
    copyMoveChoice =
        addGroup("cmck", QStringLiteral("파일 복사/이동 :"), {QStringLiteral("복사"), QStringLiteral("이동")}, 1);
    renameChoice =
        addGroup("nmck", QStringLiteral("파일명규칙변경 :"), {QStringLiteral("변경"), QStringLiteral("미변경")}, 0);
    marginChoice = addGroup("cutck", QStringLiteral("이미지공백제거 :"),
                            {QStringLiteral("미제거"), QStringLiteral(" 좌측"), QStringLiteral(" 우측")}, 0);
    regionFolderChoice = addGroup("dck", QStringLiteral("지역폴더일괄인식 :"),
                                  {QStringLiteral("지역폴더일괄"), QStringLiteral("한 지역폴더만")}, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    return tab;
}

QWidget* RecognitionSettingsPanel::buildAreaTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("areaTab"));
    pickedX = settingField("xpt", QStringLiteral("815"), 3, {}, tab);
    pickedY = settingField("ypt", QStringLiteral("815"), 3, {}, tab);
    topYField = settingField("styval", text(kDefaults.topY), 3, {}, tab);
    leftXField = settingField("stxval", text(kDefaults.leftX), 3, {}, tab);
    tableXField = settingField("xcell", text(kDefaults.tableX), 3, {}, tab);
    zoneXField = settingField("xzone", text(kDefaults.zoneX), 3, {}, tab);
    setTopYButton = pushButton("suiButton5", QStringLiteral("설정"), tab);
    setLeftXButton = pushButton("suiButton7", QStringLiteral("설정"), tab);
    setTableXButton = pushButton("suiButton10", QStringLiteral("설정"), tab);
    setZoneXButton = pushButton("suiButton6", QStringLiteral("설정"), tab);

    auto* grid = new QGridLayout(tab);
    auto* point = new QHBoxLayout;
    point->addWidget(ui::labelFor(QStringLiteral("X :"), pickedX, tab));
    point->addWidget(pickedX);
    point->addWidget(ui::labelFor(QStringLiteral("Y :"), pickedY, tab));
    point->addWidget(pickedY);
    point->addStretch(1);
    pickedX->setAccessibleName(QStringLiteral("선택한 X좌표"));
    pickedY->setAccessibleName(QStringLiteral("선택한 Y좌표"));
    grid->addLayout(point, 0, 0, 1, 3);
    int row = 1;
    auto addSetting = [&](const QString& caption, QLineEdit* field, QPushButton* set) {
        grid->addWidget(ui::labelFor(caption, field, tab), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(set, row, 2);
        // Four buttons share the caption "설정"; the description says which setting each one sets.
        set->setAccessibleDescription(ui::spokenCaption(caption));
        ++row;
    };
    addSetting(QStringLiteral("인식 시작 상단 Y좌표 :"), topYField, setTopYButton);
    addSetting(QStringLiteral("인식 시작 좌측 X좌표 :"), leftXField, setLeftXButton);
    addSetting(QStringLiteral("표 시작 영역 X좌표 :"), tableXField, setTableXButton);
    addSetting(QStringLiteral("인식 시작 영역 X좌표 :"), zoneXField, setZoneXButton);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return tab;
}

QWidget* RecognitionSettingsPanel::buildRemovalTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("removalTab"));
    removalChoice =
        new RadioGroup(QStringLiteral("바탕제거 방식"),
                       {QStringLiteral("일반바탕제거(고딕체)"), QStringLiteral("인쇄보정후제거-약(고딕체)"),
                        QStringLiteral("인쇄보정후제거-중(고딕체)"), QStringLiteral("인쇄보정후제거-강(고딕체)"),
                        QStringLiteral("인쇄보정후제거-약(명조체)"), QStringLiteral("인쇄보정후제거-강(명조체)")},
                       int(kDefaults.mode), Qt::Vertical, tab);
    removalChoice->setObjectName(QStringLiteral("erck"));
    levelField = settingField("alsu", text(kDefaults.level), 3, QStringLiteral("알파 용지 블루 제거 보정 수치"), tab);
    testButton = pushButton("suiButton9", QStringLiteral("테스트"), tab);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(removalChoice, 0, 0, 3, 1);
    grid->addWidget(ui::labelFor(QStringLiteral("일반바탕제거 보정치 :"), levelField, tab), 0, 1);
    grid->addWidget(levelField, 0, 2);
    grid->addWidget(testButton, 1, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(2, 1);
    return tab;
}

QWidget* RecognitionSettingsPanel::buildFontTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("fontTab"));
    typefaceChoice =
        new RadioGroup(QStringLiteral("인식 폰트 설정 :"), {QStringLiteral("고딕체"), QStringLiteral("명조체")},
                       kDefaults.typeface == Typeface::Myeongjo ? 1 : 0, Qt::Horizontal, tab);
    typefaceChoice->setObjectName(QStringLiteral("fontck"));
    auto* label = new QLabel(QStringLiteral("인식 폰트 설정 :"), tab);
    label->setBuddy(typefaceChoice->button(0));
    auto* grid = new QGridLayout(tab);
    grid->addWidget(label, 0, 0);
    grid->addWidget(typefaceChoice, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

QWidget* RecognitionSettingsPanel::buildManualScreenTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("manualScreenTab"));
    applyManualViewButton = pushButton("suiButton3", QStringLiteral("적용"), tab);
    auto* grid = new QGridLayout(tab);
    // The caption describes the button, which keeps its own name "적용".
    auto* caption = new QLabel(QStringLiteral("화면확대비율/위치 :"), tab);
    caption->setBuddy(applyManualViewButton);
    applyManualViewButton->setAccessibleDescription(ui::spokenCaption(caption->text()));
    grid->addWidget(caption, 0, 0);
    grid->addWidget(applyManualViewButton, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

void RecognitionSettingsPanel::capturePagePoint(QPoint page)
{
    pickedX->setText(QString::number(page.x()));
    pickedY->setText(QString::number(page.y()));
}

// The picked coordinate's text goes over unchanged, even where it is longer than the setting lets the user type.
void RecognitionSettingsPanel::setTopYFromPick()
{
    topYField->setText(pickedY->text());
}
void RecognitionSettingsPanel::setLeftXFromPick()
{
    leftXField->setText(pickedX->text());
}
void RecognitionSettingsPanel::setTableXFromPick()
{
    tableXField->setText(pickedX->text());
}
void RecognitionSettingsPanel::setZoneXFromPick()
{
    zoneXField->setText(pickedX->text());
}

RecognitionSettings RecognitionSettingsPanel::runSettings() const
{
    RecognitionSettings s;
    s.typeface = typefaceChoice->itemIndex() == 1 ? Typeface::Myeongjo : Typeface::Gothic;
    s.mode = removalMode(removalChoice->itemIndex());
    // Each text is converted now (the window takes no input during a run), and a
    // failed conversion is kept for the step that reads the setting.
    const auto convert = [&s](Setting which, const QLineEdit* field, int& value) {
        try {
            value = model::toInteger(field->text());
        } catch (const model::Error& e) {
            s.markUnreadable(which, e.what());
        }
    };
    convert(Setting::StopAfter, stopAfterField, s.stopAfter);
    convert(Setting::LeftX, leftXField, s.leftX);
    convert(Setting::TableX, tableXField, s.tableX);
    convert(Setting::ZoneX, zoneXField, s.zoneX);
    convert(Setting::Level, levelField, s.level);
    convert(Setting::TopY, topYField, s.topY);
    convert(Setting::MinRows, minRowsField, s.minRows);
    return s;
}

} // namespace rida::recognition
