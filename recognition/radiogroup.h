#pragma once
// A radio group: a row or column of radio buttons of which exactly one is
// checked, read and set by its item index (0 = the first item). A screen
// reader speaks the group by its caption and each button by its own text.

#include <QButtonGroup>
#include <QList>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>

namespace rida::recognition {

class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int start, Qt::Orientation orientation,
               QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* button(int index) const { return buttons_.value(index); }
    int count() const { return int(buttons_.size()); }

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
};

} // namespace rida::recognition
