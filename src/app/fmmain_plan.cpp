// fmMain's plan inputs: choosing a plan and an extension option, and guarding what is typed into the fields.
#include "app/fmmain.h"

#include <algorithm>

#include <QApplication>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/platformservices.h"
#include "app/textbox.h"
#include "rename/spacetext.h"

namespace {

// Characters no file name may hold, in the order the warning lists them.
const QString kRefusedCharacters = QStringLiteral("\\/|:*?\"<>");
const QColor kUnusedFieldColour(239, 239, 239);

void setFieldColour(QLineEdit* field, const QColor& colour)
{
    QPalette p = field->palette();
    p.setColor(QPalette::Base, colour);
    field->setPalette(p);
}

} // namespace

void fmMain::btDIY_Click()
{
    m_plan = Plan::Numbering;
    planReplace->hide();
    planDIY->show();
    btDIY->setPixmap(picMenu[0]->pixmap());
    btReplace->setPixmap(picMenu[3]->pixmap());
    RefreshNewNames();
}

void fmMain::btReplace_Click()
{
    m_plan = Plan::Replace;
    planDIY->hide();
    planReplace->show();
    btDIY->setPixmap(picMenu[1]->pixmap());
    btReplace->setPixmap(picMenu[2]->pixmap());
    RefreshNewNames();
}

void fmMain::Option1_Click()
{
    if (!Option1->isChecked())
        return;
    setFieldColour(txtExp, kUnusedFieldColour);
    {
        const QSignalBlocker once(txtExp); // the names are refreshed just below, once
        txtExp->setText(QString());
    }
    txtExp->setEnabled(false);
    RefreshNewNames();
}

void fmMain::Option2_Click()
{
    if (!Option2->isChecked())
        return;
    setFieldColour(txtExp, QApplication::palette().color(QPalette::Base));
    txtExp->setText(QString());
    txtExp->setEnabled(true);
}

void fmMain::txtExp_Change()
{
    const QStringView t = spacetext::trimSpaces(txtExp->text());
    if (t.isEmpty() || t == u".") {
        // No extension typed (yet): the names keep each file's own extension rather than the last
        // letters that were in the field.
        RefreshNewNames();
        return;
    }
    if (!t.startsWith(QLatin1Char('.'))) {
        txtExp->setText(QLatin1Char('.') + txtExp->text()); // runs this handler again, which refreshes
        txtExp->end(false);
        return;
    }
    RefreshNewNames();
}

void fmMain::checkFileNameField(TextBox* field)
{
    // The whole text is checked, since a paste, an input method or a drop can put a refused character
    // anywhere, and several at once; one warning answers one change.
    const QString text = field->text();
    QString cleaned = text;
    cleaned.removeIf([](QChar c) { return kRefusedCharacters.contains(c); });
    if (cleaned.size() == text.size()) {
        RefreshNewNames();
        return;
    }
    field->setText(cleaned); // runs this check again, which finds nothing left and refreshes
    m_services->showWarning(
        this, QStringLiteral("非法字符"), QStringLiteral("文件名中不能包含以下字符:\r\n      ") + kRefusedCharacters);
    // Back in the field, the caret goes to the end of its text.
    if (auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        focused->end(false);
}

void fmMain::txtNewName1_Change()
{
    checkFileNameField(txtNewName1);
}
void fmMain::txtNewName3_Change()
{
    checkFileNameField(txtNewName3);
}
void fmMain::txtReplaceOld_Change()
{
    checkFileNameField(txtReplaceOld);
}
void fmMain::txtReplaceNew_Change()
{
    checkFileNameField(txtReplaceNew);
}
void fmMain::txtAdd1_Change()
{
    checkFileNameField(txtAdd1);
}
void fmMain::txtAdd2_Change()
{
    checkFileNameField(txtAdd2);
}

void fmMain::filterDigits(int& keyAscii)
{
    if (keyAscii >= '0' && keyAscii <= '9')
        return;
    keyAscii = 0;
    m_services->beep();
}

void fmMain::txtNewName2_KeyPress(int& keyAscii)
{
    filterDigits(keyAscii);
}
void fmMain::txtNewNameF_KeyPress(int& keyAscii)
{
    filterDigits(keyAscii);
}

void fmMain::txtNewName2_GotFocus()
{
    txtNewName2->selectAll();
    // A mouse click places the caret after the focus arrives; select again once it has.
    QTimer::singleShot(0, txtNewName2, &QLineEdit::selectAll);
}

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The text that a change put in between the unchanged beginning and end of `before`.
QStringView arrivedText(QStringView before, QStringView after)
{
    qsizetype head = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return after.sliced(head, after.size() - head - tail);
}

} // namespace

bool fmMain::keepDigitsOnly(TextBox* field)
{
    // Typed keys meet filterDigits first; this catches what arrives as text (an input method's commit, a
    // paste from the context menu, a drop), removing each refused character with its own beep.
    const QString text = field->text();
    const int cursor = field->cursorPosition();
    QString kept;
    int refused = 0;
    int keptBeforeCursor = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            kept += c;
            if (i < cursor)
                ++keptBeforeCursor;
            continue;
        }
        ++refused;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character, one beep
    }
    if (refused == 0) {
        field->setAcceptedText(text);
        return true;
    }
    for (int i = 0; i < refused; ++i)
        m_services->beep();
    // Like a refused key, text that brings no digit at all leaves the field as it was, also when it came in
    // over a selection (the start field selects its whole number on focus).
    const std::optional<QString> before = field->acceptedText();
    const QStringView arrived = before ? arrivedText(*before, text) : QStringView(text);
    if (before && std::none_of(arrived.begin(), arrived.end(), isDigit)) {
        const int position = std::min(cursor, int(before->size()));
        field->setText(*before); // runs the change handler again, which refreshes
        field->setCursorPosition(position);
        return false;
    }
    field->setText(kept); // runs the change handler again, which refreshes
    field->setCursorPosition(keptBeforeCursor);
    return false;
}

void fmMain::txtNewName2_Change()
{
    if (keepDigitsOnly(txtNewName2))
        RefreshNewNames();
}
void fmMain::txtNewNameF_Change()
{
    if (keepDigitsOnly(txtNewNameF))
        RefreshNewNames();
}
