#pragma once

#include "results/ReportModel.h"

#include <QImage>
#include <QString>

class QPainter;
class QPrinter;

// Draws prepared report pages. Everything is laid out in pixels at 96 per inch (the unit the layouts' font
// sizes use) from the top left corner of the printable area; the painter is scaled to the device.
namespace Report {

inline constexpr double reportDpi = 96.0;
constexpr double mmToReportPixels(double mm)
{
    return mm * reportDpi / 25.4;
}

// `scale` is device pixels per report pixel; the painter's origin is the printable area's top left corner.
void renderPage(QPainter& painter, const PreparedPage& page, double scale);

// Paints every page on `printer` as it is set up (paper, PDF file or preview), a new sheet for each.
void paintReport(const PreparedReport& report, QPrinter& printer);

// Writes the pages to a PDF file through a printer set to the report's page layout. Returns false when the
// file cannot be written.
bool printToPdf(const PreparedReport& report, const QString& fileName);

// One page as a picture of the whole sheet at `dpi` (thumbnails, checks).
QImage renderPageImage(const PreparedReport& report, int pageIndex, double dpi);

} // namespace Report
