#include "results/BarChart.h"

#include "dialogs/AppFonts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace Report {

namespace {

// The paint engines of paper and preview do not all apply the paragraph direction to a line that ends in a
// neutral character (a caption's colon); a closing right-to-left mark keeps it at the reading end.
const QChar rightToLeftMark(0x200F);

constexpr double barShare = 0.7; // of each bar's slot, the rest is the gap around it
constexpr double tickLength = 5;
constexpr double gap = 4;
constexpr double footerReserve = 7.0 * 96.0 / 25.4; // the footer line lies over the chart's bottom edge
constexpr double rightMargin = 12;

QTextOption textOption(Qt::Alignment alignment, bool rightToLeft, bool wrap)
{
    QTextOption option(alignment | Qt::AlignAbsolute);
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    return option;
}

QString drawnText(const QString& text, bool rightToLeft)
{
    return rightToLeft && !text.isEmpty() ? text + rightToLeftMark : text;
}

// How far a rotated label runs along the axis once broken into lines no longer than `limit`.
double wrappedLength(const QFontMetricsF& metrics, const QString& text, double limit)
{
    return metrics.boundingRect(QRectF(0, 0, limit, 1e6), Qt::TextWordWrap, text).width();
}

} // namespace

QFont reportFont(const QString& designName, int pixelSize, bool bold)
{
    return designFont(designName, pixelSize, bold);
}

void drawBoxedText(QPainter& painter, const QRectF& box, const QString& text, Qt::Alignment alignment,
                   bool rightToLeft, bool wrap)
{
    painter.drawText(box, drawnText(text, rightToLeft), textOption(alignment, rightToLeft, wrap));
}

QString formatChartNumber(double value)
{
    QLocale locale(QLocale::C);
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    QString text = locale.toString(value, 'f', 3);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

double valueToY(const ChartStyle& style, const QRectF& plot, double value)
{
    const double clamped = std::clamp(value, style.axisMinimum, style.axisMaximum);
    const double share = (clamped - style.axisMinimum) / (style.axisMaximum - style.axisMinimum);
    return plot.bottom() - share * plot.height();
}

BarChartGeometry layoutBarChart(const ChartStyle& style, const std::vector<Bar>& bars, const QRectF& area)
{
    BarChartGeometry geometry;
    for (double v = style.axisMinimum; v <= style.axisMaximum + 1e-9; v += style.axisStep)
        geometry.ticks.push_back(v);

    const QFontMetricsF axisMetrics(reportFont(style.valueFont, style.axisLabelPixelSize));
    const QFontMetricsF markMetrics(reportFont(style.valueFont, style.valueMarkPixelSize));
    const QFontMetricsF labelMetrics(reportFont(style.valueFont, style.categoryPixelSize));
    double axisLabelWidth = 0;
    for (double v : geometry.ticks)
        axisLabelWidth = std::max(axisLabelWidth, axisMetrics.horizontalAdvance(formatChartNumber(v)));

    const double top = area.top() + style.valueMarkOffset + markMetrics.height() + gap;
    const double left = area.left() + axisLabelWidth + tickLength + 2 * gap;
    const double right = area.right() - rightMargin;
    const double width = right - left;
    const double slot = bars.empty() ? width : width / double(bars.size());

    double labelDepth = labelMetrics.height();
    if (style.categoriesRotated) {
        geometry.labelLength = 0.3 * area.height();
        labelDepth = 0;
        for (const Bar& bar : bars)
            labelDepth = std::max(labelDepth, wrappedLength(labelMetrics, bar.label, geometry.labelLength));
    }
    const double bottom = area.bottom() - footerReserve - labelDepth - gap;
    geometry.plot = QRectF(QPointF(left, top), QPointF(right, bottom));

    for (size_t i = 0; i < bars.size(); ++i) {
        const double slotLeft = left + slot * double(i);
        const double barLeft = slotLeft + slot * (1 - barShare) / 2;
        const double barTop = valueToY(style, geometry.plot, bars[i].value);
        geometry.bars.emplace_back(QPointF(barLeft, barTop), QPointF(barLeft + slot * barShare, bottom));
        const QString mark = formatChartNumber(bars[i].value);
        const double markWidth = markMetrics.horizontalAdvance(mark) + 2;
        geometry.valueMarks.emplace_back(slotLeft + (slot - markWidth) / 2,
                                         barTop - style.valueMarkOffset - markMetrics.height(), markWidth,
                                         markMetrics.height());
        geometry.labels.emplace_back(slotLeft, bottom + gap, slot, labelDepth);
    }
    return geometry;
}

void drawBarChart(QPainter& painter, const ChartStyle& style, const std::vector<Bar>& bars, const QRectF& area)
{
    const BarChartGeometry geometry = layoutBarChart(style, bars, area);
    const QRectF& plot = geometry.plot;
    painter.save();
    painter.fillRect(area, Qt::white);

    // Value axis: fixed ends, a label and a faint line at every step.
    painter.setFont(reportFont(style.valueFont, style.axisLabelPixelSize));
    const QFontMetricsF axisMetrics(painter.font());
    for (double v : geometry.ticks) {
        const double y = valueToY(style, plot, v);
        painter.setPen(QPen(QColor(220, 220, 220), 0, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(QPen(Qt::black, 0));
        painter.drawLine(QPointF(plot.left() - tickLength, y), QPointF(plot.left(), y));
        const QRectF label(area.left(), y - axisMetrics.height() / 2, plot.left() - tickLength - gap - area.left(),
                           axisMetrics.height());
        drawBoxedText(painter, label, formatChartNumber(v), Qt::AlignRight | Qt::AlignVCenter, false);
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(plot.topLeft(), plot.bottomLeft());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    const std::vector<QColor>& palette = style.palette.empty() ? barPalette() : style.palette;
    painter.setFont(reportFont(style.valueFont, style.valueMarkPixelSize));
    for (size_t i = 0; i < bars.size(); ++i) {
        const QRectF& bar = geometry.bars[i];
        const QColor colour = palette[i % palette.size()];
        QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
        gradient.setColorAt(0, QColor((colour.red() + 255) / 2, (colour.green() + 255) / 2, (colour.blue() + 255) / 2));
        gradient.setColorAt(0.8, colour);
        gradient.setColorAt(1, colour);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(gradient);
        painter.drawRect(bar);
        drawBoxedText(painter, geometry.valueMarks[i], formatChartNumber(bars[i].value), Qt::AlignCenter, false);
    }

    painter.setFont(reportFont(style.valueFont, style.categoryPixelSize));
    for (size_t i = 0; i < bars.size(); ++i) {
        const QRectF& box = geometry.labels[i];
        if (!style.categoriesRotated) {
            drawBoxedText(painter, box, bars[i].label, Qt::AlignHCenter | Qt::AlignTop, true);
            continue;
        }
        // A quarter turn anticlockwise: the label starts at the axis and reads down the page, its lines side by
        // side across the bar's slot.
        painter.save();
        painter.translate(box.center().x(), box.top());
        painter.rotate(-90);
        const QRectF turned(-geometry.labelLength, -box.width() / 2, geometry.labelLength, box.width());
        drawBoxedText(painter, turned, bars[i].label, Qt::AlignRight | Qt::AlignVCenter, true, true);
        painter.restore();
    }
    painter.restore();
}

} // namespace Report
