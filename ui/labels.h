#pragma once
// Captions and lists as the work windows build them: a caption label that
// names its field for a screen reader, and the drop-down lists that offer
// fixed items.

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace rida::ui {

// A caption as a screen reader speaks it: without its colon and outer spaces ("조서구분 :" → "조서구분").
QString spokenCaption(const QString& caption);

// A caption label for `field`: its buddy, and the field's accessible name is the spoken caption.
QLabel* labelFor(const QString& caption, QWidget* field, QWidget* parent);

// An editable drop-down list named `objectName` that offers `items`, the first one current; typing inserts nothing.
QComboBox* makeItemList(const char* objectName, const QStringList& items, QWidget* parent);

} // namespace rida::ui
