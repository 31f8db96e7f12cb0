#pragma once
// The output bar of the lookup window, left to right: page to word processor,
// capture to word processor, save capture, print capture (pictures with
// hints), "출력", "수정출력", "낱장 출력" and "설정". The bar reads the shown
// page and the view through its hooks, so it does not depend on the viewer
// that the window embeds.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiButton13Click → onPrintClicked, suiButton7Click → onPrintCapture, suiButton12Click → onSaveCapture,
//   suiButton11Click → onPageToWordProcessor, suiButton10Click → onCaptureToWordProcessor, suiButton15Click →
//   onPrinterSetup, PrintPage → printPage, suiButton11 → pageToWriterButton, suiButton10 → captureToWriterButton,
//   suiButton12 → saveCaptureButton, suiButton7 → printCaptureButton, suiButton13 → printButton, CheckBox1 →
//   modifiedOutputBox, oneck → singleSheetBox, suiButton15 → printerSetupButton

#include "lookup/recordoutput.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;

namespace rida::lookup {

struct OutputBarHooks {
    std::function<const image::Bitmap*()> page; // the viewer's page bitmap
    std::function<QString()> recordFile;        // the record page file of the chosen record row
    std::function<QWidget*()> view;             // the image view (its page area and scroll bars)
    std::function<void()> repaintView;          // repaints the view at once
};

class OutputBar : public QWidget {
    Q_OBJECT
public:
    OutputBar(QString appDir, OutputBarHooks hooks, QWidget* owner, QWidget* parent = nullptr);

    // Controls, named as in the window form.
    QAbstractButton* pageToWriterButton;    // page to word processor
    QAbstractButton* captureToWriterButton; // capture to word processor
    QAbstractButton* saveCaptureButton;     // save capture
    QAbstractButton* printCaptureButton;    // print capture
    QAbstractButton* printButton;           // "출력"
    QCheckBox* modifiedOutputBox; // "수정출력": starts cleared; the page tools tick it, only the user clears it
    QCheckBox* singleSheetBox;    // "낱장 출력": no command reads it
    QAbstractButton* printerSetupButton; // "설정"

    // A page tool changed the page: "수정출력" is ticked (only the user clears it).
    void tickModifiedOutput();

    // What the commands read now.
    OutputSource source() const;

    // Handlers.
    void onPrintClicked(); // runs printPage
    void onPrintCapture();
    void onSaveCapture();
    void onPageToWordProcessor();
    void onCaptureToWordProcessor();
    void onPrinterSetup();
    void printPage();

private:
    void run(void (*command)(const OutputSource&));

    QString appDir_;
    OutputBarHooks hooks_;
    QWidget* owner_;
};

} // namespace rida::lookup
