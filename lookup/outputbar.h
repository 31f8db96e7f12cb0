#pragma once
// The output bar of the lookup window, left to right: page to word processor,
// capture to word processor, save capture, print capture (pictures with
// hints), "출력", "수정출력", "낱장 출력" and "설정". The bar reads the shown
// page and the view through its hooks, so it does not depend on the viewer
// that the window embeds.

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
    QAbstractButton* suiButton11; // page to word processor
    QAbstractButton* suiButton10; // capture to word processor
    QAbstractButton* suiButton12; // save capture
    QAbstractButton* suiButton7;  // print capture
    QAbstractButton* suiButton13; // "출력"
    QCheckBox* CheckBox1;         // "수정출력": starts cleared; the page tools tick it, only the user clears it
    QCheckBox* oneck;             // "낱장 출력": no command reads it
    QAbstractButton* suiButton15; // "설정"

    // A page tool changed the page: "수정출력" is ticked (only the user clears it).
    void tickModifiedOutput();

    // What the commands read now.
    OutputSource source() const;

    // Handlers.
    void suiButton13Click(); // runs PrintPage
    void suiButton7Click();
    void suiButton12Click();
    void suiButton11Click();
    void suiButton10Click();
    void suiButton15Click();
    void PrintPage();

private:
    void run(void (*command)(const OutputSource&));

    QString appDir_;
    OutputBarHooks hooks_;
    QWidget* owner_;
};

} // namespace rida::lookup
