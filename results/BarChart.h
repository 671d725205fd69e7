#pragma once

#include "results/ReportModel.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace Report {

// The font a report object names, at its character height in pixels at 96 pixels per inch.
QFont reportFont(const QString& designName, int pixelSize, bool bold = false);

// Draws `text` in `box` with alignment taken as on the page (left is left in either direction). Right-to-left
// text keeps its reading order in every paint engine.
void drawBoxedText(QPainter& painter, const QRectF& box, const QString& text, Qt::Alignment alignment,
                   bool rightToLeft, bool wrap = false);

// A chart value as the report shows it: thousands grouped, up to three decimals, none when whole ("#,##0.###").
QString formatChartNumber(double value);

// Where a bar chart's parts go inside `area` (pixels at 96 per inch).
struct BarChartGeometry
{
    QRectF plot;                    // between the axes: left edge is the value axis, bottom edge the label axis
    std::vector<QRectF> bars;       // one per bar, in row order from the left
    std::vector<QRectF> valueMarks; // the value text above each bar
    std::vector<QRectF> labels;     // each bar's label box, as it stands on the page
    double labelLength = 0;         // rotated labels: the longest a label line may run along the axis
    std::vector<double> ticks;      // the value axis's label values, bottom to top
};

BarChartGeometry layoutBarChart(const ChartStyle& style, const std::vector<Bar>& bars, const QRectF& area);

// The y of a value on the value axis of `plot`; values beyond the fixed ends stop at them.
double valueToY(const ChartStyle& style, const QRectF& plot, double value);

void drawBarChart(QPainter& painter, const ChartStyle& style, const std::vector<Bar>& bars, const QRectF& area);

} // namespace Report
