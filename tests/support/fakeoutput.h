#pragma once
// Output layers for tests: every preview, print, capture, dialog, document and
// printer change is recorded; answers are scripted.

#include "ui/report/outputplatform.h"
#include "ui/report/reportpage.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace rida::test {

struct ReportCall {
    enum Kind { Preview, ModalPreview, Print } kind;
    ui::report::ReportPage page;
    bool ownerEnabled = true; // the owner window's state during the call
};

class FakeReportDevice : public ui::report::ReportDevice {
public:
    void showPreview(QWidget* owner, const ui::report::ReportPage& page) override
    {
        record(ReportCall::Preview, owner, page);
    }
    void runPreview(QWidget* owner, const ui::report::ReportPage& page) override
    {
        record(ReportCall::ModalPreview, owner, page);
    }
    bool print(QWidget* owner, const ui::report::ReportPage& page) override
    {
        record(ReportCall::Print, owner, page);
        return printResult;
    }
    QList<ReportCall> calls;
    bool printResult = true;

private:
    void record(ReportCall::Kind kind, QWidget* owner, const ui::report::ReportPage& page)
    {
        calls.push_back({kind, page, owner ? owner->isEnabled() : true});
    }
};

class FakeScreenCapture : public ui::report::ScreenCapture {
public:
    // Returns `image` when set, otherwise renders the widget's area.
    QImage capture(QWidget* widget, const QRect& area) override;
    QImage image;
    QList<QRect> areas;
};

class FakeFileDialogs : public ui::report::FileDialogs {
public:
    // Returns `answer`, with the request's default suffix added as the real
    // dialog does when the name has none.
    QString saveFileName(QWidget*, const ui::report::SaveRequest& request) override;
    QString answer;
    QList<ui::report::SaveRequest> requests;
};

class FakeWordProcessor : public ui::report::WordProcessor {
public:
    // No word processor reads the documents: they are removed with the fake.
    ~FakeWordProcessor() override;
    bool canStart() override { return installed; }
    void openNewDocument(const QString& documentPath) override;
    bool installed = true;
    bool failToOpen = false;
    QStringList documents; // opened
    QStringList attempted; // opened or failed to open
};

class FakePrinterSetup : public ui::report::PrinterSetup {
public:
    QStringList installedPrinters() override { return printers; }
    std::optional<QString> choosePrinter(QWidget*) override
    {
        ++dialogs;
        return choice;
    }
    void makeDefault(const QString& printer) override;
    QStringList printers{QStringLiteral("Office")};
    std::optional<QString> choice;
    int dialogs = 0;
    QStringList defaults;
    bool failToSet = false;
};

// Installs fresh fakes for the lifetime of the object.
class ScopedFakeOutput {
public:
    ScopedFakeOutput();
    ~ScopedFakeOutput();
    ScopedFakeOutput(const ScopedFakeOutput&) = delete;
    ScopedFakeOutput& operator=(const ScopedFakeOutput&) = delete;

    FakeReportDevice* reports;
    FakeScreenCapture* capture;
    FakeFileDialogs* dialogs;
    FakeWordProcessor* wordProcessor;
    FakePrinterSetup* printers;

private:
    ui::report::OutputPlatform previous_;
};

} // namespace rida::test
