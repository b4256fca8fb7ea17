// A paint device that records what a QPainter draws (paths, solid and linear-gradient fills, strokes) as SVG.
#include "svgrecorder.h"

#include <climits>

#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainterPath>
#include <QTransform>

using namespace Qt::StringLiterals;

namespace skinart {

namespace {

QString number(qreal value)
{
    // Enough digits for a crisp picture at any size, without noise such as 0.30000000000000004.
    QString text = QString::number(value, 'f', 4);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text == u"-0"_s ? u"0"_s : text;
}

QString rgb(const QColor& colour)
{
    return colour.name(QColor::HexRgb);
}

QString pathData(const QPainterPath& path)
{
    QString d;
    QPointF start;
    QPointF last;
    // Qt strokes a figure that ends where it started as closed, with a join and no caps; SVG needs a "Z" for that.
    const auto closeIfRound = [&] {
        if (!d.isEmpty() && last == start)
            d += u'Z';
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        last = QPointF(e.x, e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            closeIfRound();
            start = last;
            d += u"M"_s + number(e.x) + u' ' + number(e.y);
            break;
        case QPainterPath::LineToElement:
            d += u"L"_s + number(e.x) + u' ' + number(e.y);
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element to = path.elementAt(i + 2);
            d += u"C"_s + number(e.x) + u' ' + number(e.y) + u' ' + number(c2.x) + u' ' + number(c2.y) + u' '
                + number(to.x) + u' ' + number(to.y);
            last = QPointF(to.x, to.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement: // consumed with its curve
            break;
        }
    }
    closeIfRound();
    return d;
}

} // namespace

class SvgEngine : public QPaintEngine {
public:
    SvgEngine()
        : QPaintEngine(PainterPaths | PrimitiveTransform | LinearGradientFill | AlphaBlend | Antialiasing)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }

    void drawPath(const QPainterPath& path) override
    {
        QString element = u"  <path d=\""_s + pathData(path) + u'"';
        if (!m_transform.isIdentity())
            element += u" transform=\"matrix(%1 %2 %3 %4 %5 %6)\""_s.arg(number(m_transform.m11()),
                number(m_transform.m12()), number(m_transform.m21()), number(m_transform.m22()),
                number(m_transform.dx()), number(m_transform.dy()));
        element += fill(path.fillRule()) + stroke() + u"/>\n"_s;
        m_body += element;
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode != PolylineMode)
            path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        const QBrush brush = m_brush;
        if (mode == PolylineMode)
            m_brush = Qt::NoBrush;
        drawPath(path);
        m_brush = brush;
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { }

    QString defs() const { return m_defs; }
    QString body() const { return m_body; }

private:
    QString fill(Qt::FillRule rule)
    {
        QString text;
        switch (m_brush.style()) {
        case Qt::SolidPattern:
            text = u" fill=\""_s + rgb(m_brush.color()) + u'"';
            if (m_brush.color().alpha() != 255)
                text += u" fill-opacity=\""_s + number(m_brush.color().alphaF()) + u'"';
            break;
        case Qt::LinearGradientPattern:
            text = u" fill=\"url(#"_s + gradient(*static_cast<const QLinearGradient*>(m_brush.gradient())) + u")\""_s;
            break;
        default:
            return u" fill=\"none\""_s;
        }
        if (rule == Qt::OddEvenFill)
            text += u" fill-rule=\"evenodd\""_s;
        return text;
    }

    // A gradient in the user space of the element that uses it, as QPainter's logical gradients are.
    QString gradient(const QLinearGradient& g)
    {
        const QString id = u"g%1"_s.arg(++m_gradients);
        m_defs
            += u"    <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"%2\" y1=\"%3\" x2=\"%4\" y2=\"%5\">\n"_s
                   .arg(id, number(g.start().x()), number(g.start().y()), number(g.finalStop().x()),
                       number(g.finalStop().y()));
        for (const QGradientStop& stop : g.stops()) {
            m_defs += u"      <stop offset=\"%1\" stop-color=\"%2\""_s.arg(number(stop.first), rgb(stop.second));
            if (stop.second.alpha() != 255)
                m_defs += u" stop-opacity=\"%1\""_s.arg(number(stop.second.alphaF()));
            m_defs += u"/>\n"_s;
        }
        m_defs += u"    </linearGradient>\n"_s;
        return id;
    }

    QString stroke() const
    {
        if (m_pen.style() == Qt::NoPen || m_pen.brush().style() != Qt::SolidPattern)
            return {};
        const QColor colour = m_pen.color();
        QString text = u" stroke=\"%1\" stroke-width=\"%2\""_s.arg(rgb(colour), number(m_pen.widthF()));
        if (colour.alpha() != 255)
            text += u" stroke-opacity=\""_s + number(colour.alphaF()) + u'"';
        if (m_pen.capStyle() == Qt::RoundCap)
            text += u" stroke-linecap=\"round\""_s;
        else if (m_pen.capStyle() == Qt::SquareCap)
            text += u" stroke-linecap=\"square\""_s;
        if (m_pen.joinStyle() == Qt::RoundJoin)
            text += u" stroke-linejoin=\"round\""_s;
        else if (m_pen.joinStyle() == Qt::BevelJoin)
            text += u" stroke-linejoin=\"bevel\""_s;
        return text;
    }

    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    QString m_defs;
    QString m_body;
    int m_gradients = 0;
};

SvgRecorder::SvgRecorder(QSize size)
    : m_size(size)
    , m_engine(std::make_unique<SvgEngine>())
{
}

SvgRecorder::~SvgRecorder() = default;

QPaintEngine* SvgRecorder::paintEngine() const
{
    return m_engine.get();
}

QString SvgRecorder::svg() const
{
    QString text = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_s
        + u"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\">\n"_s
              .arg(m_size.width())
              .arg(m_size.height());
    if (!m_engine->defs().isEmpty())
        text += u"  <defs>\n"_s + m_engine->defs() + u"  </defs>\n"_s;
    return text + m_engine->body() + u"</svg>\n"_s;
}

int SvgRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / 960; // at 96 dots per inch
    case PdmHeightMM:
        return m_size.height() * 254 / 960;
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return 0;
}

} // namespace skinart
