#include "results/ReportModel.h"

#include <QPageSize>

namespace Report {

const std::vector<QColor>& barPalette()
{
    static const std::vector<QColor> colours{
        {255, 0, 0},   {0, 128, 0},   {255, 255, 0}, {0, 0, 255},     {255, 255, 255}, {128, 128, 128},
        {255, 0, 255}, {0, 128, 128}, {0, 0, 128},   {128, 0, 0},     {0, 255, 0},     {128, 128, 0},
        {128, 0, 128}, {192, 192, 192}, {0, 255, 255}, {0, 0, 0},
    };
    return colours;
}

namespace {

const QString profiles = QStringLiteral("tbProfiles");
const QString tahoma = QStringLiteral("Tahoma");

// A caption sits against the left edge of its box, next to the field it names; the field's value sits against
// the right edge of its own box, so the two meet however long either is.
TextObject caption(double left, double top, double width, const QString& text)
{
    return {QRectF(left, top, width, 5.0), tahoma, 13, false, Qt::AlignLeft | Qt::AlignVCenter, true, text, {}, {}};
}

TextObject field(double left, double top, double width, const QString& name)
{
    return {QRectF(left, top, width, 5.0), tahoma, 13, false, Qt::AlignRight | Qt::AlignVCenter, true, {}, profiles,
            name};
}

Band titleBand(const QString& title)
{
    Band band;
    band.height = 21.0;
    band.shapes.push_back({QRectF(1.21, 1.00, 49.00, 13.53), QColor(215, 215, 215)});
    band.texts = {
        {QRectF(0, 0, 283.0, 13.0), QStringLiteral("B Titr"), 27, true, Qt::AlignHCenter | Qt::AlignTop, true, title,
         {}, {}},
        caption(246.25, 15.00, 28.75, QStringLiteral("نام شرکت کننده:")),
        field(183.00, 15.00, 62.00, QStringLiteral("FullName")),
        caption(151.25, 15.00, 28.75, QStringLiteral("سن:")),
        field(120.00, 15.00, 30.00, QStringLiteral("Age")),
        caption(87.25, 15.00, 28.75, QStringLiteral("مدرک تحصيلي:")),
        field(43.00, 15.00, 43.00, QStringLiteral("GradeText")),
        caption(27.50, 1.25, 22.25, QStringLiteral("شماره پرونده:")),
        field(2.00, 1.30, 25.00, QStringLiteral("FileNo")),
        caption(27.50, 8.25, 22.25, QStringLiteral("تاريخ آزمون:")),
        field(2.00, 8.30, 25.00, QStringLiteral("Date")),
    };
    return band;
}

Band chartBand(const QString& dataset, const QString& labelField, bool rotatedLabels)
{
    ChartStyle style;
    style.palette = barPalette();
    if (rotatedLabels) {
        style.categoryPixelSize = 16;
        style.categoriesRotated = true;
    }
    Band band;
    band.height = 165.0;
    band.charts.push_back({QRectF(0, 0, 283.0, 165.0), dataset, labelField, QStringLiteral("Per"), style});
    band.texts.push_back({QRectF(0, 158.0, 277.0, 7.0), tahoma, 11, false, Qt::AlignCenter, false,
                          QStringLiteral("Ravlen EQ - emotional intelligence test report"), {}, {}});
    return band;
}

void moveDown(QRectF& rect, double by)
{
    rect.translate(0, by);
}

void prepareBand(const Band& band, double top, const ReportValues& values, PreparedPage& page)
{
    for (RoundedRectObject shape : band.shapes) {
        moveDown(shape.rect, top);
        page.shapes.push_back(shape);
    }
    for (TextObject text : band.texts) {
        moveDown(text.rect, top);
        if (!text.dataset.isEmpty())
            text.text = values.fieldText(text.dataset, text.field);
        page.texts.push_back({text});
    }
    for (ChartObject chart : band.charts) {
        moveDown(chart.rect, top);
        std::vector<Bar> bars = values.chartRows(chart.dataset, chart.labelField, chart.valueField);
        if (int(bars.size()) > chart.style.maximumBars)
            bars.resize(size_t(chart.style.maximumBars));
        page.charts.push_back({chart, std::move(bars)});
    }
}

} // namespace

ReportDefinition chartsReportDefinition()
{
    ReportDefinition report;
    report.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(7, 7, 7, 7),
                                QPageLayout::Millimeter);
    report.mainDataset = profiles;
    report.pages = {
        {titleBand(QStringLiteral("تست هوش هيجاني - نمودار کليات شخصيت")),
         chartBand(QStringLiteral("qTest1"), QStringLiteral("Group1"), false)},
        {titleBand(QStringLiteral("تست هوش هيجاني - نمودار ريز شخصيت هيجاني")),
         chartBand(QStringLiteral("qTest2"), QStringLiteral("Group2"), true)},
    };
    return report;
}

PreparedReport prepare(const ReportDefinition& definition, const ReportValues& values)
{
    PreparedReport report;
    report.layout = definition.layout;
    for (const PageTemplate& page : definition.pages) {
        PreparedPage prepared;
        prepareBand(page.title, 0, values, prepared);
        prepareBand(page.child, page.title.height, values, prepared);
        report.pages.push_back(std::move(prepared));
    }
    return report;
}

} // namespace Report
