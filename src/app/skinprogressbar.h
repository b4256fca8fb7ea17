// SkinProgressBar: the pass's progress bar, painted from the skin's groove and full bar.
#pragma once

#include <QPixmap>
#include <QProgressBar>

/// The skin's groove, and the skin's full bar cut at the done fraction; plain colours without the pictures.
class SkinProgressBar : public QProgressBar {
public:
    explicit SkinProgressBar(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_trough;
    QPixmap m_fill;
};
