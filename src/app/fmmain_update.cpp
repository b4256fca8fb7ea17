// fmMain's update check: asks the update server once and fills the new-version and credit labels.
#include "app/fmmain.h"

#include "app/clickablelabel.h"
#include "update/updatechecker.h"

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

void fmMain::showVersionInfo(const VersionInfo& info)
{
    if (info.softUrl)
        lbSoftUrl->setText(*info.softUrl);
    if (info.creditText)
        setCreditText(*info.creditText);
    if (info.creditUrl)
        lbADUR->setText(*info.creditUrl);
    if (info.showNewVersion) {
        lbNewVersion->setText(info.newVersionCaption);
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
