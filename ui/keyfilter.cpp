#include "ui/keyfilter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace rida::ui {

KeyRuleFilter::KeyRuleFilter(QWidget* field, model::KeyRule rule, QWidget* target)
    : QObject(field), rule_(rule), target_(target)
{
}

void selectAllText(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
    else if (auto* c = qobject_cast<QComboBox*>(w); c && c->lineEdit())
        c->lineEdit()->selectAll();
    else if (auto* s = qobject_cast<QAbstractSpinBox*>(w))
        s->selectAll();
}

namespace {
// The character a key press types: Enter and Backspace count, as do
// printable characters; arrows, Delete and function keys type nothing.
bool typedCharacter(const QKeyEvent* key, char32_t& typed)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        typed = model::kEnter;
        return true;
    case Qt::Key_Backspace:
        typed = model::kBackspace;
        return true;
    case Qt::Key_Escape:
        typed = U'\x1b';
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    // The editing chords type their control characters (Ctrl+V is 0x16), so a
    // field that swallows what is typed cannot be changed by pasting either.
    if (key->matches(QKeySequence::Paste))
        return typed = U'\x16', true;
    if (key->matches(QKeySequence::Cut))
        return typed = U'\x18', true;
    if (key->matches(QKeySequence::Undo))
        return typed = U'\x1a', true;
    if (key->matches(QKeySequence::Redo))
        return typed = U'\x19', true;
    const QString text = key->text();
    if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    typed = text.at(0).unicode();
    return true;
}
} // namespace

bool KeyRuleFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::InputMethod) {
        // Hangul composed through an input method types characters too.
        if (rule_ == model::KeyRule::Swallow || rule_ == model::KeyRule::EnterMovesAndSelectsElseSwallow) {
            event->ignore();
            return true;
        }
        return false;
    }
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
        (rule_ == model::KeyRule::Swallow || rule_ == model::KeyRule::EnterMovesAndSelectsElseSwallow))
        return true;
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    char32_t typed = 0;
    if (!typedCharacter(key, typed))
        return false;
    const auto d = model::decideKey(rule_, typed, target_ && target_->isEnabled());
    if (d.moveFocus && target_) {
        target_->setFocus(Qt::OtherFocusReason);
        if (d.selectTarget)
            selectAllText(target_);
    }
    return d.discard;
}

void attachKeyRule(QWidget* field, model::KeyRule rule, QWidget* target)
{
    auto* filter = new KeyRuleFilter(field, rule, target);
    field->installEventFilter(filter);
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
    if (rule == model::KeyRule::Swallow || rule == model::KeyRule::EnterMovesAndSelectsElseSwallow) {
        field->setAttribute(Qt::WA_InputMethodEnabled, false);
        // Nor can text come in by the mouse: no paste from the edit's menu,
        // no dropped text, no middle-button paste of the selection. Delete
        // still removes text, as a key that types no character.
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) {
            combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
            combo->lineEdit()->setAcceptDrops(false);
            combo->setAcceptDrops(false);
        }
    }
}

bool isRepeatOfCommandKey(const QKeyEvent& key)
{
    if (!key.isAutoRepeat())
        return false;
    switch (key.key()) {
    case Qt::Key_F5:
    case Qt::Key_F9:
    case Qt::Key_F12:
        return true;
    default:
        return false;
    }
}

} // namespace rida::ui
