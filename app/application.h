#pragma once
// The application object. An error that escapes an event handler ends up in
// the general error report here instead of ending the program.

#include <QApplication>

namespace rida::app {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The folder of the running executable, with its trailing separator.
    static QString applicationDirectory();
};

} // namespace rida::app
