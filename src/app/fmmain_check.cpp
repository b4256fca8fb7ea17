// fmMain's check of every row and the tip line: the rows that would fail, or what the last pass did.
#include "app/fmmain.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QSet>

#include "app/foldercheck.h"
#include "app/passsession.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

namespace {

const QColor kTipColour(64, 64, 64);
const QColor kFailingColour(192, 0, 0);

} // namespace

void fmMain::CheckNewNames()
{
    m_folderCheck->check();
}

namespace {

QString grouped(int n)
{
    return QLocale(QLocale::English).toString(n);
}

// The first of `variants` (longest first) that fits `width` at `font`; the numbers are in every variant.
QString fitted(const QStringList& variants, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    for (const QString& text : variants) {
        if (metrics.horizontalAdvance(text) <= width)
            return text;
    }
    return variants.last();
}

// The reason every failing row shares, or nothing when they differ.
std::optional<QString> commonReason(const QStringList& reasons)
{
    const QString* first = nullptr;
    for (const QString& reason : reasons) {
        if (reason.isEmpty())
            continue;
        if (!first)
            first = &reason;
        else if (reason != *first)
            return std::nullopt;
    }
    return first ? std::optional<QString>(*first) : std::nullopt;
}

} // namespace

int fmMain::tipWidth() const
{
    return btReName->x() - lbInfo[15]->x() - 8;
}

void fmMain::showTip()
{
    // During a pass the progress stands where the tip line is.
    if (isPassRunning() && lbProgress->isVisible())
        return;
    QLabel* tip = lbInfo[15];
    QString text = m_designedTip;
    bool failingColour = false;
    if (const std::optional<PassSession::Report>& report = m_session->report(); m_list->count() > 0 && report) {
        // Every row done: the window's own tip, which tells what 还原 can do now.
        text = report->variants.isEmpty() ? m_designedTip : fitted(report->variants, tip->font(), tipWidth());
        failingColour = report->failing;
    } else if (const int failing = m_list->failingCount(); failing > 0) {
        const QString n = grouped(failing);
        QStringList variants;
        if (const std::optional<QString> reason = commonReason(m_list->checkReasons()))
            variants << QStringLiteral("有 %1 个文件无法更名：%2").arg(n, *reason);
        variants << QStringLiteral("有 %1 个文件无法更名，请查看红色的新文件名").arg(n)
                 << QStringLiteral("有 %1 个文件无法更名").arg(n);
        text = fitted(variants, tip->font(), tipWidth());
        failingColour = true;
    }
    const QColor colour = failingColour ? kFailingColour : kTipColour;
    if (tip->text() != text || tip->palette().color(QPalette::WindowText) != colour) {
        QPalette p = tip->palette();
        p.setColor(QPalette::WindowText, colour);
        tip->setPalette(p);
        tip->setText(text);
        tip->resize(tip->sizeHint().width(), tip->height());
    }
    tip->show();
}

void fmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            m_wasInactive = true;
        else if (m_wasInactive) {
            m_wasInactive = false;
            m_folderCheck->relist();
        }
    }
    QWidget::changeEvent(event);
}
