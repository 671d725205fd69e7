#include "results/ReportRenderer.h"

#include "results/BarChart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

namespace Report {

namespace {

QRectF toPixels(const QRectF& mm)
{
    return {mmToReportPixels(mm.left()), mmToReportPixels(mm.top()), mmToReportPixels(mm.width()),
            mmToReportPixels(mm.height())};
}

void drawRoundedRect(QPainter& painter, const RoundedRectObject& shape)
{
    const QRectF rect = toPixels(shape.rect);
    const double radius = std::min(rect.width(), rect.height()) / 4;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(shape.fill);
    painter.drawRoundedRect(rect, radius, radius);
}

void drawText(QPainter& painter, const TextObject& text)
{
    painter.setPen(Qt::black);
    painter.setFont(reportFont(text.fontName, text.pixelSize, text.bold));
    drawBoxedText(painter, toPixels(text.rect), text.text, text.alignment, text.rightToLeft);
}

} // namespace

void renderPage(QPainter& painter, const PreparedPage& page, double scale)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    // The chart fills its band; the title band's objects and the footer lie over it.
    for (const PreparedChart& chart : page.charts)
        drawBarChart(painter, chart.object.style, chart.bars, toPixels(chart.object.rect));
    for (const RoundedRectObject& shape : page.shapes)
        drawRoundedRect(painter, shape);
    for (const PreparedText& text : page.texts)
        drawText(painter, text.object);
    painter.restore();
}

void paintReport(const PreparedReport& report, QPrinter& printer)
{
    QPainter painter(&printer);
    const double scale = printer.resolution() / reportDpi;
    for (size_t i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        renderPage(painter, report.pages[i], scale);
    }
}

bool printToPdf(const PreparedReport& report, const QString& fileName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageLayout(report.layout);
    printer.setCreator(QStringLiteral("Ravlen"));
    if (!printer.isValid())
        return false;
    paintReport(report, printer);
    return printer.printerState() != QPrinter::Error;
}

QImage renderPageImage(const PreparedReport& report, int pageIndex, double dpi)
{
    const QSizeF paper = report.layout.fullRect(QPageLayout::Inch).size();
    QImage image((paper * dpi).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF printable = report.layout.paintRect(QPageLayout::Inch);
    painter.translate(printable.left() * dpi, printable.top() * dpi);
    renderPage(painter, report.pages[size_t(pageIndex)], dpi / reportDpi);
    return image;
}

} // namespace Report
