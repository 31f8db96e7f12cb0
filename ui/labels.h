#pragma once
// Captions and lists as the work windows build them: a caption label that
// names its field for a screen reader, and the drop-down lists that offer
// fixed items.

#include <QLabel>
#include <QString>
#include <QStringList>

class QComboBox;
class QWidget;

namespace rida::ui {

// A caption as a screen reader speaks it: without its colon and outer spaces ("조서구분 :" → "조서구분").
QString spokenCaption(const QString& caption);

// A caption label for `field`: its buddy, and the field's accessible name is the spoken caption.
QLabel* labelFor(const QString& caption, QWidget* field, QWidget* parent);

// A label whose text changes as work goes on (a counter, the file being read):
// a screen reader speaks it by its caption and its current text ("파일 : 3/10"),
// and hears of every change (the accessible name changes with the text).
class LiveLabel : public QLabel {
    Q_OBJECT
public:
    LiveLabel(const QString& caption, const QString& text, QWidget* parent = nullptr);
    // Shows `text` at once (repainted even while a long command runs).
    void setLiveText(const QString& text);

private:
    QString caption_;
};

// An editable drop-down list named `objectName` that offers `items`, the first one current; typing inserts nothing.
QComboBox* makeItemList(const char* objectName, const QStringList& items, QWidget* parent);

} // namespace rida::ui
