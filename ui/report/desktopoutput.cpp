#include "ui/report/desktopoutput.h"

#include "model/error.h"
#include "ui/report/reportpage.h"
#include "ui/services.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPageSize>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cups/cups.h>

namespace rida::ui::report {

namespace {

// A preview dialog that owns its printer and its copy of the page.
QPrintPreviewDialog* makePreview(QWidget* owner, const ReportPage& page)
{
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setFullPage(true);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(page.orientation);
    auto* dialog = new QPrintPreviewDialog(printer, owner);
    dialog->setWindowTitle(page.caption);
    dialog->setAccessibleName(page.caption);
    QObject::connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [page](QPrinter* p) { printPage(page, *p); });
    if (!page.previewSize.isEmpty())
        dialog->resize(page.previewSize);
    // Opens zoomed to fit the whole sheet.
    if (auto* widget = dialog->findChild<QPrintPreviewWidget*>())
        widget->fitInView();
    return dialog;
}

} // namespace

void DesktopReportDevice::showPreview(QWidget* owner, const ReportPage& page)
{
    QPrintPreviewDialog* dialog = makePreview(owner, page);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
}

void DesktopReportDevice::runPreview(QWidget* owner, const ReportPage& page)
{
    std::unique_ptr<QPrintPreviewDialog> dialog(makePreview(owner, page));
    dialog->exec();
}

bool DesktopReportDevice::print(QWidget* owner, const ReportPage& page)
{
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        services().showMessage(owner, noPrinterMessage());
        return false;
    }
    // A fresh printer object is the current default printer, also one chosen
    // by the printer setup a moment ago.
    QPrinter printer(QPrinter::HighResolution);
    QProgressDialog progress(QStringLiteral("출력하는 중입니다..."), QString(), 0, 2, owner);
    progress.setCancelButton(nullptr);
    progress.setWindowTitle(page.caption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    progress.show();
    QCoreApplication::processEvents();
    progress.setValue(1);
    printPage(page, printer);
    progress.setValue(2);
    return true;
}

QImage DesktopScreenCapture::capture(QWidget* widget, const QRect& area)
{
    if (area.isEmpty())
        return {};
    // The capture has the area's size in the view's own pixels whatever the
    // display scaling: the layouts place it at that size.
    // Screen pixels where the platform hands them out (X11); elsewhere
    // (Wayland, offscreen) the window's widgets are rendered into the
    // picture, which also shows every sibling lying over the area.
    const QWindow* shown = widget->window()->windowHandle();
    if (QGuiApplication::platformName() == QStringLiteral("xcb") && widget->isVisible() && shown &&
        shown->isExposed()) {
        if (QScreen* screen = widget->screen()) {
            const QPoint global = widget->mapToGlobal(area.topLeft()) - screen->geometry().topLeft();
            QPixmap shot = screen->grabWindow(0, global.x(), global.y(), area.width(), area.height());
            if (!shot.isNull()) {
                // A scaled display hands out its device pixels: the view's
                // pixels enlarged, which are brought back to the view's size.
                QImage image = shot.toImage();
                image.setDevicePixelRatio(1.0);
                if (image.size() != area.size())
                    image = image.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                return image;
            }
        }
    }
    // Rendered at a device pixel ratio of 1, every widget paints its own
    // pixels, as on an unscaled display.
    QWidget* top = widget->window();
    const QRect inTop(widget->mapTo(top, area.topLeft()), area.size());
    QImage image(area.size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::black);
    top->render(&image, QPoint(), QRegion(inTop));
    return image;
}

QString DesktopFileDialogs::saveFileName(QWidget* parent, const SaveRequest& request)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString DesktopWordProcessor::program()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool DesktopWordProcessor::canStart()
{
    return !program().isEmpty();
}

namespace {

// Watches the exit status that the starting shell leaves beside a document.
// A word processor that ends with a failure in its first seconds could not
// open the document: the user is told, and the document goes. Later endings
// are the user closing it and are not watched.
class StartWatch : public QObject {
public:
    StartWatch(const QString& statusPath, const QString& documentPath, int watchMs)
        : QObject(QCoreApplication::instance()), status_(statusPath), document_(documentPath)
    {
        waited_.start();
        timer_.setInterval(100);
        connect(&timer_, &QTimer::timeout, this, [this, watchMs] {
            if (check() || waited_.elapsed() > watchMs)
                deleteLater();
        });
        timer_.start();
    }

private:
    bool check()
    {
        QFile file(status_);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = file.readAll().trimmed();
        if (text.isEmpty())
            return false; // being written
        file.close();
        QFile::remove(status_);
        bool ok = false;
        const int code = text.toInt(&ok);
        if (ok && code == 0)
            return true;
        timer_.stop();
        QFile::remove(document_);
        services().showMessage(
            nullptr,
            QStringLiteral("워드프로세서가 문서를 열지 못했습니다 (종료 코드 %1).").arg(QString::fromLatin1(text)),
            MessageIcon::Error);
        return true;
    }

    QString status_, document_;
    QTimer timer_;
    QElapsedTimer waited_;
};

} // namespace

void DesktopWordProcessor::openNewDocument(const QString& documentPath)
{
    const QString exe = program();
    if (exe.isEmpty())
        throw WordProcessorNotStarted(QStringLiteral("워드프로세서를 시작할 수 없습니다."));
    // Started detached, as it outlives this program, through a shell that
    // writes the word processor's exit status to a file when it ends.
    const QString status = documentPath + QStringLiteral(".status");
    QFile::remove(status);
    const QStringList arguments = {QStringLiteral("-c"),
                                   QStringLiteral("status=\"$1\"; shift; \"$@\"; echo $? > \"$status\""),
                                   QStringLiteral("sh"),
                                   status,
                                   exe,
                                   QStringLiteral("-n"),
                                   documentPath};
    if (!services().startProgram(QStringLiteral("/bin/sh"), arguments))
        throw WordProcessorNotStarted(QStringLiteral("워드프로세서를 시작할 수 없습니다."));
    if (watchMilliseconds > 0)
        new StartWatch(status, documentPath, watchMilliseconds);
}

QStringList DesktopPrinterSetup::installedPrinters()
{
    return QPrinterInfo::availablePrinterNames();
}

std::optional<QString> DesktopPrinterSetup::choosePrinter(QWidget* parent)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("프린터 설정"));
    dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions());
    // The dialog chooses a printer here; nothing is printed from it.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("확인"));
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return QString(); // printing to a file: no printer to make the default
    return printer.printerName();
}

void DesktopPrinterSetup::makeDefault(const QString& printer)
{
    // CUPS names a destination "name" or "name/instance".
    const QByteArray full = printer.toLocal8Bit();
    const qsizetype slash = full.indexOf('/');
    const QByteArray name = slash < 0 ? full : full.left(slash);
    const QByteArray instance = slash < 0 ? QByteArray() : full.mid(slash + 1);

    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cups_dest_t* chosen =
        cupsGetDest(name.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, dests);
    if (!chosen) {
        cupsFreeDests(count, dests);
        throw model::Error(QStringLiteral("프린터를 찾을 수 없습니다: %1").arg(printer));
    }
    for (int i = 0; i < count; ++i)
        dests[i].is_default = 0;
    chosen->is_default = 1;
    // The user's lpoptions file (root: the system's), which every CUPS client reads.
    const int failed = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
    cupsFreeDests(count, dests);
    if (failed)
        throw model::Error(
            QStringLiteral("기본 프린터를 바꿀 수 없습니다: %1").arg(QString::fromLocal8Bit(cupsLastErrorString())));
    // CUPS reads the default afresh on every question, so this program sees the
    // change at once; only a default named in the environment would hide it.
    for (const char* variable : {"LPDEST", "PRINTER"}) {
        if (qEnvironmentVariableIsSet(variable))
            qputenv(variable, full);
    }
}

} // namespace rida::ui::report
