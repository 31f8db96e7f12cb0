#pragma once
// Entry fields with rules of their own kind.

#include <QLineEdit>

namespace rida::ui {

// The year-range number field: digits "0".."9" and Backspace only (anything
// else is refused with a beep), at most four characters; entering it selects
// its last four characters; leaving it turns an empty text into "0" and drops
// leading zeros ("0098" → "98").
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberField(QWidget* parent = nullptr);
    // The text rewritten as a whole number, as leaving the field does.
    static QString normalised(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    void selectTail();
    bool selectOnRelease_ = false;
};

// A masked field of `digits` optional digit positions shown as "_" when blank:
// the year "!9999;1;_" (digits = 4) and the month "!99;1;_" (digits = 2).
class MaskedDigitsField : public QLineEdit {
    Q_OBJECT
public:
    MaskedDigitsField(int digits, QWidget* parent = nullptr);
};

// A field that limits what the user types or pastes to `maxTyped` characters,
// not what the program writes: a paste is cut to the room left, as in any
// length-limited edit, and a longer text written by code stays as it is and
// then takes no further characters until it is short enough again.
class LengthLimitedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit LengthLimitedEdit(int maxTyped, QWidget* parent = nullptr);
    int maxTyped() const { return maxTyped_; }

    // True while the user's own key, mouse, menu or drop action edits the field.
    bool userEditing() const { return userEditing_ > 0; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    int maxTyped_;
    int userEditing_ = 0;
};

} // namespace rida::ui
