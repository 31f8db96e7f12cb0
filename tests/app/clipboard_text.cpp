// Prints the text on the desktop's clipboard. The real-program tests read the
// status board through it: they select the board and copy it as a user would.

#include <QClipboard>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return text.isEmpty() ? 1 : 0;
}
