// A paint device that records what a QPainter draws (paths, solid and linear-gradient fills, strokes) as SVG.
#pragma once

#include <memory>

#include <QPaintDevice>
#include <QString>

namespace skinart {

class SvgEngine;

/**
 * Paint on it with QPainter, then take svg(). Paths, rectangles, rounded rectangles, ellipses and polygons are
 * recorded with the painter's transform; fills may be solid colours or linear gradients, strokes solid colours.
 * Pictures, text and other brushes are not recorded (the artwork drawn this way uses none).
 */
class SvgRecorder : public QPaintDevice {
public:
    explicit SvgRecorder(QSize size);
    ~SvgRecorder() override;

    QPaintEngine* paintEngine() const override;
    /// The whole document, from the XML declaration to </svg>.
    QString svg() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<SvgEngine> m_engine;
};

} // namespace skinart
