#pragma once
// The desktop layers of output on Linux: Qt's print preview and printing,
// screen capture (widget rendering where the platform gives no screen
// pixels), Qt's save dialog, LibreOffice as the word processor and the CUPS
// default destination as the default printer.

#include "ui/report/outputplatform.h"

namespace rida::ui::report {

class DesktopReportDevice : public ReportDevice {
public:
    void showPreview(QWidget* owner, const ReportPage& page) override;
    void runPreview(QWidget* owner, const ReportPage& page) override;
    bool print(QWidget* owner, const ReportPage& page) override;
};

class DesktopScreenCapture : public ScreenCapture {
public:
    QImage capture(QWidget* widget, const QRect& area) override;
};

class DesktopFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const SaveRequest& request) override;
};

// LibreOffice: "soffice -n FILE" opens FILE as a new untitled document built
// from it, so the user's first save asks for a name instead of overwriting ours.
class DesktopWordProcessor : public WordProcessor {
public:
    bool canStart() override;
    void openNewDocument(const QString& documentPath) override;
    // The word processor's program found on the PATH, empty when none is.
    static QString program();
    // How long after its start an ending word processor counts as one that
    // could not open the document; 0 watches nothing.
    int watchMilliseconds = 15000;
};

class DesktopPrinterSetup : public PrinterSetup {
public:
    QStringList installedPrinters() override;
    std::optional<QString> choosePrinter(QWidget* parent) override;
    void makeDefault(const QString& printer) override;
};

} // namespace rida::ui::report
