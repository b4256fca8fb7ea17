// TextBox: a text field with a cancellable KeyPress and a GotFocus event.
#include "app/textbox.h"

#include <QKeyEvent>

TextBox::TextBox(QWidget* parent)
    : QLineEdit(parent)
{
}

std::optional<int> TextBox::characterCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::nullopt;
    default:
        break;
    }
    const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods == Qt::ControlModifier && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    const QString text = event.text();
    if (text.isEmpty() || mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const char32_t code = text.toUcs4().value(0);
    if (code < 0x20 || code == 0x7f)
        return std::nullopt;
    return int(code);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const std::optional<int> code = characterCode(*event);
    if (!code) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    int keyAscii = *code;
    emit KeyPress(keyAscii);
    if (keyAscii == 0) {
        event->accept();
        return;
    }
    if (keyAscii == *code || keyAscii < 0x20) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    insert(QString::fromUcs4(reinterpret_cast<const char32_t*>(&keyAscii), 1)); // the handler chose another character
    event->accept();
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    if (!m_acceptedText)
        m_acceptedText = text(); // the user is about to change it, so it is what the window holds
    QLineEdit::focusInEvent(event);
    emit GotFocus();
}
