// The archive edition's part of the automatic window: the run registers each
// page it read, and the manual tab's filing settings.

#include "archive/placement.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/folderlisting.h"
#include "components/pagefiling.h"
#include "components/runfiling.h"
#include "model/error.h"
#include "model/landrecord.h"
#include "recognition/autoregistrationwindow.h"
#include "recognition/engine/settings.h"
#include "recognition/radiogroup.h"
#include "recognition/runobserver.h"
#include "recognition/settingspanel.h"
#include "ui/labels.h"
#include "ui/services.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>

namespace rida::recognition {

void AutoRegistrationWindow::applyFilingSettings(components::EntryFiling& entry) const
{
    // 복사/이동 (복사 first), 파일명규칙변경 (변경 first), 이미지공백제거 (미제거, 좌측, 우측).
    entry.transfer =
        settingsPanel->copyMoveChoice->itemIndex() == 0 ? archive::Transfer::Copy : archive::Transfer::Move;
    entry.nameRule =
        settingsPanel->renameChoice->itemIndex() == 1 ? archive::NameRule::KeepName : archive::NameRule::Rename;
    constexpr archive::MarginSide margins[] = {archive::MarginSide::None, archive::MarginSide::Left,
                                               archive::MarginSide::Right};
    const int margin = settingsPanel->marginChoice->itemIndex();
    entry.margin = margin >= 0 && margin < 3 ? margins[margin] : archive::MarginSide::None;
}

bool AutoRegistrationWindow::prepareArchiveRun(std::vector<components::RunFolder>& folders)
{
    // The attributes every page of the run is registered with; the page and
    // its lots come from the run.
    const components::EntryFields fields{.pageChosen = true,
                                         .kindIndex = attributes->kindList->currentIndex(),
                                         .year = attributes->yearField->text(),
                                         .month = attributes->monthField->text(),
                                         .lotCount = 1};
    if (const auto problem = components::checkEntry(fields)) {
        ui::services().showMessage(this, problem->message);
        QWidget* const focus[] = {browser->fileList, attributes->kindList, attributes->yearField,
                                  attributes->monthField, browser->fileList};
        focus[int(problem->field)]->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const bool regionFolders = settingsPanel->regionFolderChoice->itemIndex() == 0;
    if (regionFolders) {
        components::RunPlan plan;
        if (!ui::runCommand(this, [&] {
                plan = components::regionFolderPlan(browser->folder(), QStringLiteral("*.bmp;*.jpg;*.jpeg"), *regions_);
            }))
            return false;
        for (const QString& line : plan.failures)
            failureLog->appendPlainText(line);
        folders = std::move(plan.folders);
    } else {
        // The shown folder, under the region the attribute panel names.
        QString code;
        for (const components::RegionChoice& town : regions_->towns())
            if (town.name == attributes->townList->currentText())
                for (const components::RegionChoice& village : regions_->villages(town))
                    if (village.name == attributes->villageList->currentText())
                        code = village.code;
        if (code.isEmpty()) {
            ui::services().showMessage(this, QStringLiteral("등록지역을 선택하십시오!"));
            attributes->townList->setFocus(Qt::OtherFocusReason);
            return false;
        }
        folders.push_back({browser->folder(), listedFiles(), code});
    }

    components::EntryFiling entry;
    entry.kindIndex = fields.kindIndex;
    applyFilingSettings(entry);
    archive::FilingRequest pattern;
    pattern.transfer = entry.transfer;
    pattern.nameRule = entry.nameRule;
    pattern.margin = entry.margin;
    pattern.kind = model::documentKinds().at(std::size_t(fields.kindIndex)).code;
    pattern.surveyYear = components::surveyYear(fields.year).value_or(0);
    pattern.surveyMonth = components::surveyMonth(fields.month).value_or(0);
    pattern.recognitionSettings = QString::fromStdString(settingsRecord(settingsPanel->runSettings()));
    runFiling_ = std::make_unique<components::RunFiling>(*archive_, pattern);
    return true;
}

void AutoRegistrationWindow::fileRecognisedPage(const std::string& fullName, const std::vector<std::string>& lotLines,
                                                const QString& sha256, const QString& regionCode)
{
    // After a stop the pages the run still reads stay where they are.
    if (!runFiling_ || filingStopped_)
        return;
    const components::RunFiling::Outcome outcome = runFiling_->file(fullName, lotLines, sha256, regionCode);
    if (!outcome.failureSuffix.isEmpty())
        failureLog->appendPlainText(shownName(fullName) + outcome.failureSuffix);
    if (!outcome.stopMessage.isEmpty()) {
        filingStopMessage_ = outcome.stopMessage;
        filingStopped_ = true;
    }
}

} // namespace rida::recognition
