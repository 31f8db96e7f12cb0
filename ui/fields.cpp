#include "ui/fields.h"

#include "ui/services.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QTimer>

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

} // namespace rida::ui
