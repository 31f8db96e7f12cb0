#pragma once
// The title window: a borderless window centred on the screen showing the
// 567 x 358 title picture. It serves as the start-up splash and as the about
// box; a click on its picture closes it.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiImagePanel1 → picture

#include <QLabel>
#include <QWidget>

namespace rida::app {

class TitleWindow : public QWidget {
    Q_OBJECT
public:
    TitleWindow();
    QLabel* picture = nullptr;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rida::app
