#pragma once
// Attaches a key rule (see model/keyrules.h) to an entry field. The rule sees
// every character typed into the field before the field does.

#include "model/keyrules.h"

#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace rida::ui {

class KeyRuleFilter : public QObject {
    Q_OBJECT
public:
    KeyRuleFilter(QWidget* field, model::KeyRule rule, QWidget* target);
    model::KeyRule rule() const { return rule_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    model::KeyRule rule_;
    QPointer<QWidget> target_;
};

// `target` receives the focus on Enter for the rules that move it; may be null for Swallow.
// For an editable combo box the rule is attached to its line edit too.
void attachKeyRule(QWidget* field, model::KeyRule rule, QWidget* target = nullptr);

// Selects the whole text of a line edit, an editable combo box or a spin box; no-op otherwise.
void selectAllText(QWidget* w);

// True for the repeats of a held key that starts a command (a magnifier, a
// print, the help, a registration): such a key acts once per press, while the
// stepping keys (scale, lot number) step on as long as they are held.
bool isRepeatOfCommandKey(const QKeyEvent& key);

} // namespace rida::ui
