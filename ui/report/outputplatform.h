#pragma once
// The desktop behind the output of a page: preview and print, view capture,
// the save dialog, the word processor and the printer setup. Each is a small
// interface; the program uses the desktop implementations (desktopoutput.h),
// tests install fakes that record what was asked and script the answers.

#include "model/error.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace rida::ui::report {

// The message shown when a print or the printer setup is asked for and no printer is installed.
inline QString noPrinterMessage()
{
    return QStringLiteral("설치된 프린터가 없습니다. 프린터를 설치한 뒤 다시 시도하십시오.");
}

struct ReportPage;

class ReportDevice {
public:
    virtual ~ReportDevice() = default;
    // A preview window that stays open on its own (it holds a copy of the
    // page); returns at once.
    virtual void showPreview(QWidget* owner, const ReportPage& page) = 0;
    // A preview window with its own print button; returns when the user closes it.
    virtual void runPreview(QWidget* owner, const ReportPage& page) = 0;
    // Prints one sheet on the current default printer with a progress window.
    // Returns true only when the sheet went to the printer; otherwise the user
    // has been told why (no printer installed, printing cancelled). Throws
    // model::Error when the printer fails.
    virtual bool print(QWidget* owner, const ReportPage& page) = 0;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // What is shown in `area` (coordinates of `widget`) of `widget`, including
    // whatever lies over it at this moment.
    virtual QImage capture(QWidget* widget, const QRect& area) = 0;
};

struct SaveRequest {
    QString title;
    QString filter;        // "Bitmaps (*.bmp)"
    QString defaultSuffix; // "bmp": added to a name typed without one
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The save dialog; the dialog itself asks before an existing file is
    // chosen. Returns the chosen path, empty when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const SaveRequest& request) = 0;
};

// The word processor is installed but could not be started.
class WordProcessorNotStarted : public model::Error {
public:
    using Error::Error;
};

class WordProcessor {
public:
    virtual ~WordProcessor() = default;
    // Whether a word processor is installed that can be started.
    virtual bool canStart() = 0;
    // Opens the document as a new untitled document in a visible word
    // processor. Throws WordProcessorNotStarted when it cannot be started.
    virtual void openNewDocument(const QString& documentPath) = 0;
};

class PrinterSetup {
public:
    virtual ~PrinterSetup() = default;
    virtual QStringList installedPrinters() = 0;
    // The printer dialog; the chosen printer's name, or nothing when cancelled.
    virtual std::optional<QString> choosePrinter(QWidget* parent) = 0;
    // Makes `printer` the user's default printer for this and every other
    // program, visible at once. Throws model::Error on failure.
    virtual void makeDefault(const QString& printer) = 0;
};

struct OutputPlatform {
    std::unique_ptr<ReportDevice> reports;
    std::unique_ptr<ScreenCapture> capture;
    std::unique_ptr<FileDialogs> dialogs;
    std::unique_ptr<WordProcessor> wordProcessor;
    std::unique_ptr<PrinterSetup> printers;
};

// The installed layers; the desktop ones until something else is installed.
ReportDevice& reportDevice();
ScreenCapture& screenCapture();
FileDialogs& fileDialogs();
WordProcessor& wordProcessor();
PrinterSetup& printerSetup();

// Installs `platform` (a null member means the desktop layer) and returns the
// layers it replaces, so that installing the result again restores them.
OutputPlatform installOutputPlatform(OutputPlatform platform);

} // namespace rida::ui::report
