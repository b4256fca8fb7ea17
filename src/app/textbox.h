// TextBox: a one-line text field that reports typed characters before it takes them, and its focus.
#pragma once

#include <optional>

#include <QLineEdit>

class QKeyEvent;

class TextBox : public QLineEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget* parent = nullptr);

    /// The character code a key produces, as a text field sees it: printable characters, Backspace (8),
    /// Enter (13), Escape (27) and Ctrl+letter (1..26); nothing for Delete, arrows, Home, End or Tab.
    static std::optional<int> characterCode(const QKeyEvent& event);

    /// The text the field's change handler last accepted, for a handler that goes back to it when a change
    /// brings nothing it accepts. Until a handler sets one: the text the field had when it first took the focus.
    const std::optional<QString>& acceptedText() const { return m_acceptedText; }
    void setAcceptedText(const QString& text) { m_acceptedText = text; }

signals:
    /// Raised for every key that produces a character; a handler that sets `keyAscii` to 0 cancels the key.
    void KeyPress(int& keyAscii);
    void GotFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    std::optional<QString> m_acceptedText;
};
