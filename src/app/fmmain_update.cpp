// fmMain's update check: asks the update server once and fills the new-version and credit labels.
#include "app/fmmain.h"

#include "app/clickablelabel.h"
#include "app/twips.h"
#include "update/updatechecker.h"

namespace {

// No label can show more characters than this on the window; the rest of a server's text is never laid out.
constexpr qsizetype kMostShown = 512;

// At most kMostShown characters of `text`: its start, or for a cut in the middle its start and its end.
QString shortened(const QString& text, Qt::TextElideMode mode)
{
    if (text.size() <= kMostShown)
        return text;
    const auto start = [&](qsizetype n) { return text.left(text.at(n - 1).isHighSurrogate() ? n - 1 : n); };
    const auto end = [&](qsizetype n) { return text.right(text.at(text.size() - n).isLowSurrogate() ? n - 1 : n); };
    if (mode == Qt::ElideMiddle)
        return start(kMostShown / 2) + QChar(0x2026) + end(kMostShown / 2);
    return start(kMostShown) + QChar(0x2026);
}

// `text` on one line, cut to `width` pixels of `label`'s font with "…" where it is cut.
QString fitted(const QString& text, const QLabel* label, Qt::TextElideMode mode, int width)
{
    QString line = shortened(text, mode);
    for (QChar& c : line) {
        // Line and paragraph breaks would stack lines in a label one line high.
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return label->fontMetrics().elidedText(line, mode, width);
}

} // namespace

void fmMain::CheckNewVersion()
{
    if (!m_options.checkForUpdates || m_updateChecker)
        return;
    // The check runs in the background; the window keeps working while the server is slow or silent.
    m_updateChecker = new UpdateChecker(this);
    m_updateChecker->setTimeLimit(std::chrono::milliseconds(m_options.updateTimeoutMs));
    connect(m_updateChecker, &UpdateChecker::completed, this, &fmMain::showVersionInfo);
    m_updateChecker->start(m_options.addresses);
}

void fmMain::setCreditText(const QString& text)
{
    // The credit link is as wide as its text and keeps its right edge where the window puts it; it grows
    // to the left no further than the window's text margin, and a longer text is cut with "…".
    const int right = twips::toPixels(9105 + 990);
    const int widest = right - twips::toPixels(240);
    const int margins = lbADR->sizeHint().width() - lbADR->fontMetrics().horizontalAdvance(lbADR->text());
    lbADR->setText(fitted(text, lbADR, Qt::ElideRight, widest - std::max(0, margins)));
    const int width = std::min(lbADR->sizeHint().width(), widest);
    lbADR->setGeometry(right - width, lbADR->y(), width, lbADR->height());
}

void fmMain::showVersionInfo(const VersionInfo& info)
{
    // Server texts are plain text in their labels (set in the layout); the hidden holders keep the whole
    // address for the clicks, the shown labels are cut to their place.
    if (info.softUrl)
        lbSoftUrl->setText(*info.softUrl);
    if (info.creditText)
        setCreditText(*info.creditText);
    if (info.creditUrl)
        lbADUR->setText(*info.creditUrl);
    if (info.showNewVersion) {
        // Cut in the middle: "发现新版本" and " 点此下载" stay readable around a long version text.
        lbNewVersion->setText(
            fitted(info.newVersionCaption, lbNewVersion, Qt::ElideMiddle, lbNewVersion->contentsRect().width()));
        QPalette p = lbNewVersion->palette();
        p.setColor(QPalette::WindowText, QColor(192, 0, 0));
        lbNewVersion->setPalette(p);
        QFont font = lbNewVersion->font();
        font.setUnderline(true);
        lbNewVersion->setFont(font);
        lbNewVersion->show();
    } else {
        lbNewVersion->hide();
    }
}
