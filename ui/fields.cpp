#include "ui/fields.h"

#include "ui/services.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace rida::ui {

NumberField::NumberField(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(4);
    // Digits only, also for text dropped or pasted from the context menu.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QString NumberField::normalised(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("0");
    int i = 0;
    while (i < text.size() - 1 && text.at(i) == u'0')
        ++i;
    return text.mid(i);
}

void NumberField::keyPressEvent(QKeyEvent* e)
{
    // Pasting, cutting and undoing are typed characters that the field refuses.
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo) ||
        e->matches(QKeySequence::Redo)) {
        services().beep();
        e->accept();
        return;
    }
    const QString t = e->text();
    const bool typesCharacter = !t.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                                e->key() != Qt::Key_Delete && e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab &&
                                e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter && e->key() != Qt::Key_Escape;
    if (typesCharacter) {
        const QChar c = t.at(0);
        const bool allowed = (c >= u'0' && c <= u'9') || e->key() == Qt::Key_Backspace;
        if (!allowed) {
            services().beep();
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void NumberField::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty() || !e->preeditString().isEmpty()) {
        services().beep();
        e->accept();
        return;
    }
    QLineEdit::inputMethodEvent(e);
}

void NumberField::selectTail()
{
    const int n = text().size();
    const int len = std::min(4, n);
    setSelection(n - len, len);
}

namespace {
// Another window taking the focus, or the field's own menu, is no entering or
// leaving of the field.
bool entersOrLeaves(const QFocusEvent* e)
{
    return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
}
} // namespace

void NumberField::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (entersOrLeaves(e))
        selectTail();
}

void NumberField::mousePressEvent(QMouseEvent* e)
{
    QLineEdit::mousePressEvent(e);
    selectOnRelease_ = true;
}

void NumberField::mouseReleaseEvent(QMouseEvent* e)
{
    QLineEdit::mouseReleaseEvent(e);
    if (selectOnRelease_) {
        selectOnRelease_ = false;
        selectTail();
    }
}

void NumberField::focusOutEvent(QFocusEvent* e)
{
    if (entersOrLeaves(e)) {
        const QString n = normalised(text());
        if (n != text())
            setText(n);
    }
    QLineEdit::focusOutEvent(e);
}

MaskedDigitsField::MaskedDigitsField(int digits, QWidget* parent) : QLineEdit(parent)
{
    // '0' is an optional digit position in Qt's mask language.
    setInputMask(QString(digits, u'0') + QStringLiteral(";_"));
}

namespace {

class TypedLengthValidator : public QValidator {
public:
    explicit TypedLengthValidator(LengthLimitedEdit* field) : QValidator(field), field_(field), before_(field->text())
    {
        connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }
    State validate(QString& text, int& pos) const override
    {
        const int max = field_->maxTyped();
        // What code writes is taken as the text before the next edit, also
        // where it was written with the field's signals blocked.
        if (!field_->userEditing()) {
            before_ = text;
            // Refused but kept as it is (setText() keeps an invalid text).
            return text.size() <= max ? Acceptable : Invalid;
        }
        if (text.size() <= max)
            return Acceptable;
        // A field already past the limit takes nothing more: the edit is
        // undone here, as QLineEdit undoes a refused edit only in a field
        // whose text was acceptable before.
        if (before_.size() > max) {
            pos = std::clamp(pos - int(text.size() - before_.size()), 0, int(before_.size()));
            text = before_;
            return Acceptable;
        }
        // What was there before fitted, so the excess is the tail of what was
        // just inserted, which ends at the cursor.
        const qsizetype excess = text.size() - max;
        if (pos < excess)
            return Invalid;
        text.remove(pos - excess, excess);
        pos -= int(excess);
        return Acceptable;
    }

private:
    LengthLimitedEdit* field_;
    mutable QString before_; // the field's text before the edit being checked
};

// Counts a user action that edits the field while it runs.
struct UserEdit {
    explicit UserEdit(int& depth) : depth_(depth) { ++depth_; }
    ~UserEdit() { --depth_; }
    UserEdit(const UserEdit&) = delete;
    UserEdit& operator=(const UserEdit&) = delete;
    int& depth_;
};

} // namespace

LengthLimitedEdit::LengthLimitedEdit(int maxTyped, QWidget* parent) : QLineEdit(parent), maxTyped_(maxTyped)
{
    setValidator(new TypedLengthValidator(this));
}

void LengthLimitedEdit::keyPressEvent(QKeyEvent* e)
{
    const UserEdit edit(userEditing_);
    QLineEdit::keyPressEvent(e);
}

void LengthLimitedEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const UserEdit edit(userEditing_);
    QLineEdit::inputMethodEvent(e);
}

void LengthLimitedEdit::contextMenuEvent(QContextMenuEvent* e)
{
    const UserEdit edit(userEditing_); // the menu's "paste" runs inside
    QLineEdit::contextMenuEvent(e);
}

void LengthLimitedEdit::mouseReleaseEvent(QMouseEvent* e)
{
    const UserEdit edit(userEditing_); // the middle button pastes the selection
    QLineEdit::mouseReleaseEvent(e);
}

void LengthLimitedEdit::dropEvent(QDropEvent* e)
{
    const UserEdit edit(userEditing_);
    QLineEdit::dropEvent(e);
}

} // namespace rida::ui
