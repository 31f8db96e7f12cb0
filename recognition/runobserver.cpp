#include "recognition/runobserver.h"

#include "components/folderlisting.h"
#include "recognition/autoregistrationwindow.h"
#include "ui/services.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

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

void RunObserver::runStarted()
{
    post([](AutoRegistrationWindow* w) {
        w->folderBar->setValue(0);
        w->editBar->setValue(0);
    });
}
void RunObserver::runFinished()
{
    // The folder bar completes; the edit bar belongs to blank removal, which no run does.
    post([](AutoRegistrationWindow* w) { w->folderBar->setValue(100); });
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
