#pragma once

#include <QColor>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

// The charts report as data: what stands where on each page, in millimetres from the top left corner of the
// band that holds it, and where each object's value comes from. One renderer (ReportRenderer.h) draws it on
// screen, paper and PDF alike, so the layout is written once.
namespace Report {

// A text: fixed, or the value of a field of a named dataset ("tbProfiles").
struct TextObject
{
    QRectF rect; // mm
    QString fontName; // the family the layout names, drawn through the application's font mapping
    int pixelSize = 13; // character height at 96 pixels per inch
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter; // left and right as on the page, whatever the direction
    bool rightToLeft = false;
    QString text;
    QString dataset; // empty for a fixed text
    QString field;
};

// A rectangle with rounded corners, filled and drawn with a thin black outline.
struct RoundedRectObject
{
    QRectF rect; // mm
    QColor fill;
};

// How one bar chart looks. Sizes in pixels at 96 pixels per inch.
struct ChartStyle
{
    double axisMinimum = 0;
    double axisMaximum = 100;
    double axisStep = 5;
    QString valueFont = QStringLiteral("B Yekan");
    int axisLabelPixelSize = 19;
    int valueMarkPixelSize = 19;
    int valueMarkOffset = 20; // the value mark stands this far above the bar's top
    int categoryPixelSize = 21;
    bool categoriesRotated = false; // rotated a quarter turn and broken over several lines
    int maximumBars = 100;
    std::vector<QColor> palette; // by bar position, repeating
};

// A bar chart fed from a named dataset: one bar per row, in row order, labelled and valued by two fields.
struct ChartObject
{
    QRectF rect; // mm
    QString dataset;
    QString labelField;
    QString valueField;
    ChartStyle style;
};

// A band: a strip of the page as high as given, holding its objects.
struct Band
{
    double height = 0; // mm
    std::vector<RoundedRectObject> shapes;
    std::vector<TextObject> texts;
    std::vector<ChartObject> charts;
};

// One page: a title band and its child band, kept together on the page.
struct PageTemplate
{
    Band title;
    Band child;
};

struct ReportDefinition
{
    QPageLayout layout;
    QString mainDataset; // the dataset whose record the header reads
    std::vector<PageTemplate> pages;
};

// The sixteen standard colours, in the order the bars take them.
const std::vector<QColor>& barPalette();

// The results window's report: A4 landscape, 7 mm margins; page 1 charts the scales ("qTest1"), page 2 the
// sub-scales ("qTest2"), both under the participant's header ("tbProfiles").
ReportDefinition chartsReportDefinition();

// --- Prepared pages: every binding resolved -------------------------------------------------------------------

struct Bar
{
    QString label;
    double value = 0;
};

struct PreparedText
{
    TextObject object; // text holds the resolved value
};

struct PreparedChart
{
    ChartObject object;
    std::vector<Bar> bars;
};

struct PreparedPage
{
    // Objects of the title band, then of the child band, with their rectangles moved to page millimetres
    // measured from the top left corner of the printable area.
    std::vector<RoundedRectObject> shapes;
    std::vector<PreparedText> texts;
    std::vector<PreparedChart> charts;
};

struct PreparedReport
{
    QPageLayout layout;
    std::vector<PreparedPage> pages;
};

// Where the prepare step reads values: a field of the main dataset's record, and the rows of a chart's dataset.
class ReportValues
{
public:
    virtual ~ReportValues() = default;
    virtual QString fieldText(const QString& dataset, const QString& field) const = 0;
    virtual std::vector<Bar> chartRows(const QString& dataset, const QString& labelField,
                                       const QString& valueField) const = 0;
};

// Resolves every binding of `definition` once: one copy of the pages. Throws when a value cannot be read.
PreparedReport prepare(const ReportDefinition& definition, const ReportValues& values);

} // namespace Report
