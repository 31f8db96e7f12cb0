#include "ui/labels.h"

#include <QComboBox>
#include <QLabel>

namespace rida::ui {

QString spokenCaption(const QString& caption)
{
    QString spoken = caption;
    spoken.remove(u':');
    return spoken.trimmed();
}

QLabel* labelFor(const QString& caption, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    field->setAccessibleName(spokenCaption(caption));
    return label;
}

LiveLabel::LiveLabel(const QString& caption, const QString& text, QWidget* parent) : QLabel(parent), caption_(caption)
{
    setLiveText(text);
}

void LiveLabel::setLiveText(const QString& text)
{
    setText(text);
    const QString spoken = caption_.isEmpty() ? text : caption_ + u' ' + text;
    setAccessibleName(spoken.trimmed());
    repaint();
}

QComboBox* makeItemList(const char* objectName, const QStringList& items, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setCurrentIndex(0);
    return list;
}

} // namespace rida::ui
