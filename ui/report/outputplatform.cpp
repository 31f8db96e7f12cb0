#include "ui/report/outputplatform.h"

#include "ui/report/desktopoutput.h"

namespace rida::ui::report {

namespace {
OutputPlatform& current()
{
    static OutputPlatform p;
    return p;
}

template <class T, class Desktop> T& layer(std::unique_ptr<T>& slot)
{
    if (!slot)
        slot = std::make_unique<Desktop>();
    return *slot;
}

} // namespace

ReportDevice& reportDevice()
{
    return layer<ReportDevice, DesktopReportDevice>(current().reports);
}
ScreenCapture& screenCapture()
{
    return layer<ScreenCapture, DesktopScreenCapture>(current().capture);
}
FileDialogs& fileDialogs()
{
    return layer<FileDialogs, DesktopFileDialogs>(current().dialogs);
}
WordProcessor& wordProcessor()
{
    return layer<WordProcessor, DesktopWordProcessor>(current().wordProcessor);
}
PrinterSetup& printerSetup()
{
    return layer<PrinterSetup, DesktopPrinterSetup>(current().printers);
}

OutputPlatform installOutputPlatform(OutputPlatform platform)
{
    std::swap(current(), platform);
    return platform;
}

} // namespace rida::ui::report
