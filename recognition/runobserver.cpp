#include "recognition/runobserver.h"

#include "components/folderlisting.h"
#include "components/runfiling.h"
#include "recognition/autoregistrationwindow.h"
#include "ui/services.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace rida::recognition {

QString shownName(const std::string& native)
{
    const std::filesystem::path p(native);
    if (!p.has_parent_path())
        return components::displayText(p);
    return components::displayFolder(p.parent_path()) + components::displayText(p.filename());
}

QString shownLine(const std::string& line)
{
    for (const char* suffix : {kNoReferenceSuffix, kTooFewRowsSuffix}) {
        const std::string_view sv(suffix);
        if (line.size() >= sv.size() && line.compare(line.size() - sv.size(), sv.size(), sv) == 0)
            return shownName(line.substr(0, line.size() - sv.size())) + QString::fromUtf8(suffix);
    }
    return shownName(line);
}

template <class F> void RunObserver::post(F&& update)
{
    AutoRegistrationWindow* w = w_;
    run_.post([w, update = std::forward<F>(update)] { update(w); });
}

void RunObserver::setFolder(int index, int count, int files, QString regionCode)
{
    folder_ = index;
    folders_ = std::max(count, 1);
    files_ = files;
    handled_ = 0;
    regionCode_ = std::move(regionCode);
}

void RunObserver::runStarted()
{
    const int folder = folder_, folders = folders_;
    const bool registers = registers_;
    post([folder, folders, registers](AutoRegistrationWindow* w) {
        if (folder == 1) {
            w->folderBar->setValue(0);
            w->editBar->setValue(0);
        }
        if (registers)
            w->folderCount->setLiveText(QStringLiteral("%1/%2").arg(folder).arg(folders));
    });
}
void RunObserver::runFinished()
{
    // The folder bar advances by folders; in the demonstration build, where
    // nothing is placed, the edit bar stays at 0.
    const int percent = int(static_cast<long long>(folder_) * 100 / folders_);
    const bool last = folder_ == folders_ && registers_;
    post([percent, last](AutoRegistrationWindow* w) {
        w->folderBar->setValue(percent);
        if (last)
            w->editBar->setValue(100);
    });
}
void RunObserver::fileHandled()
{
    if (!registers_ || files_ <= 0)
        return;
    ++handled_;
    const int percent = int(static_cast<long long>(std::min(handled_, files_)) * 100 / files_);
    post([percent](AutoRegistrationWindow* w) { w->editBar->setValue(percent); });
}
void RunObserver::pageRecognised(const std::string& fullName, const PageResult& page)
{
    if (!registers_)
        return;
    // Hashed here, as it was read, so that a page changed before its filing is refused.
    const QString sha = components::sha256OfFile(fullName).value_or(QString());
    post([fullName, lots = page.lots, sha, region = regionCode_](AutoRegistrationWindow* w) {
        w->fileRecognisedPage(fullName, lots, sha, region);
    });
    fileHandled();
}
void RunObserver::filesProgress(int percent)
{
    post([percent](AutoRegistrationWindow* w) { w->fileBar->setValue(percent); });
}
void RunObserver::filesDone(int done, int total)
{
    post([done, total](AutoRegistrationWindow* w) {
        w->fileCount->setLiveText(QStringLiteral("%1/%2").arg(done).arg(total));
    });
}
void RunObserver::pageProgress(int percent)
{
    // The scan reports every line; only a change of the bar is worth a trip to the window.
    if (percent == lastPageProgress_)
        return;
    lastPageProgress_ = percent;
    post([percent](AutoRegistrationWindow* w) { w->rowBar->setValue(percent); });
}
void RunObserver::rowsListed(int count)
{
    if (count == lastRowsListed_)
        return;
    lastRowsListed_ = count;
    post([count](AutoRegistrationWindow* w) { w->rowCount->setLiveText(QStringLiteral("%1/15").arg(count)); });
}
void RunObserver::analysing(const std::string& fullName)
{
    post([text = QStringLiteral("분석파일 : ") + shownName(fullName)](AutoRegistrationWindow* w) {
        w->analysedFile->setLiveText(text);
    });
}
void RunObserver::lotsCleared()
{
    lastRowsListed_ = -1;
    post([](AutoRegistrationWindow* w) {
        w->recognisedLots->clear();
        w->recognisedLots->repaint();
    });
}
void RunObserver::lotListed(const std::string& line)
{
    post(
        [text = QString::fromStdString(line)](AutoRegistrationWindow* w) { w->recognisedLots->appendPlainText(text); });
}
void RunObserver::failureLogged(const std::string& line)
{
    post([text = shownLine(line)](AutoRegistrationWindow* w) { w->failureLog->appendPlainText(text); });
    fileHandled();
}
bool RunObserver::cancelled()
{
    return w_->cancelRequested();
}

bool RunObserver::stopRequested()
{
    AutoRegistrationWindow* w = w_;
    return run_.ask([w] { return ui::services().askYesNo(w, QString::fromUtf8(kStopQuestion)); });
}

} // namespace rida::recognition
