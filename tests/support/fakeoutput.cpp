#include "tests/support/fakeoutput.h"

#include "model/error.h"

#include <QFile>
#include <QFileInfo>

namespace rida::test {

QImage FakeScreenCapture::capture(QWidget* widget, const QRect& area)
{
    areas << area;
    if (!image.isNull())
        return image;
    return widget->grab(area).toImage();
}

QString FakeFileDialogs::saveFileName(QWidget*, const ui::report::SaveRequest& request)
{
    requests << request;
    if (answer.isEmpty() || !QFileInfo(answer).suffix().isEmpty())
        return answer;
    return answer + u'.' + request.defaultSuffix;
}

FakeWordProcessor::~FakeWordProcessor()
{
    for (const QString& document : attempted)
        QFile::remove(document);
}

void FakeWordProcessor::openNewDocument(const QString& documentPath)
{
    attempted << documentPath;
    if (failToOpen)
        throw ui::report::WordProcessorNotStarted(QStringLiteral("워드프로세서를 시작할 수 없습니다."));
    documents << documentPath;
}

void FakePrinterSetup::makeDefault(const QString& printer)
{
    if (failToSet)
        throw model::Error(QStringLiteral("기본 프린터를 바꿀 수 없습니다."));
    defaults << printer;
}

ScopedFakeOutput::ScopedFakeOutput()
{
    ui::report::OutputPlatform fakes;
    fakes.reports = std::make_unique<FakeReportDevice>();
    fakes.capture = std::make_unique<FakeScreenCapture>();
    fakes.dialogs = std::make_unique<FakeFileDialogs>();
    fakes.wordProcessor = std::make_unique<FakeWordProcessor>();
    fakes.printers = std::make_unique<FakePrinterSetup>();
    reports = static_cast<FakeReportDevice*>(fakes.reports.get());
    capture = static_cast<FakeScreenCapture*>(fakes.capture.get());
    dialogs = static_cast<FakeFileDialogs*>(fakes.dialogs.get());
    wordProcessor = static_cast<FakeWordProcessor*>(fakes.wordProcessor.get());
    printers = static_cast<FakePrinterSetup*>(fakes.printers.get());
    previous_ = ui::report::installOutputPlatform(std::move(fakes));
}

ScopedFakeOutput::~ScopedFakeOutput()
{
    ui::report::installOutputPlatform(std::move(previous_));
}

} // namespace rida::test
