// The charts report prepared from the score queries and written as two PDF pages through the renderer, beside a
// bare QPdfWriter drawing the same texts, rectangles and bars (worked out once, before timing) in the same run.
// Pairs: Report/Renderer and Report/BarePdfWriter.

#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"
#include "results/BarChart.h"
#include "results/ChartsReport.h"
#include "results/ReportRenderer.h"
#include "results/ScoreRebuild.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// 90 items in 5 scales and 15 sub-scales, every item answered.
const QString& databaseFile()
{
    static const QString file = [] {
        const QString f = QDir(workDir().path()).filePath(QStringLiteral("Ravlen.mdb"));
        Schema::createDatabaseFile(f);
        DbConnection db;
        db.setConnectionString(JetConnectionString(f, QString()));
        db.open();
        const QStringList scales{QStringLiteral("درون فردي"), QStringLiteral("ميان فردي"), QStringLiteral("سازگاري"),
                                 QStringLiteral("کنترل استرس"), QStringLiteral("خلق عمومي")};
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 1; i <= 90; ++i)
            db.execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question, Answer, Score) "
                                      "VALUES ('%1', 'زير مقياس شماره %2', 1, 'سوال %3', %4, %4)")
                           .arg(scales[i % 5])
                           .arg(i % 15)
                           .arg(i)
                           .arg(1 + i % 5));
        db.execute(QStringLiteral("COMMIT"));
        db.execute(QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0"));
        return f;
    }();
    return file;
}

const ParticipantHeader& participant()
{
    static const ParticipantHeader header{7, QStringLiteral("1403/02/07"), QStringLiteral("خانم مريم کاظمي"), 37,
                                          QStringLiteral("فوق ليسانس")};
    return header;
}

QString pdfFile(const char* name)
{
    return QDir(workDir().path()).filePath(QLatin1String(name));
}

void Report_Renderer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(databaseFile());
    rebuildScoreQueries(data, QStringLiteral("ABCDEFGHIJKLMNO"));
    ChartsReport report;
    for (auto _ : state) {
        report.PrepareReport(data, participant());
        if (!Report::printToPdf(report.preparedReport(), pdfFile("renderer.pdf")))
            state.SkipWithError("the PDF was not written");
    }
}

// What the renderer draws, worked out before timing so the bare side only draws.
struct Primitive
{
    enum Kind { Text, Rect, RoundedRect, Line } kind = Text;
    QRectF rect;
    QString text;
    QFont font;
    QColor colour;
    QTextOption option;
};

std::vector<std::vector<Primitive>> primitivesOf(const Report::PreparedReport& report)
{
    std::vector<std::vector<Primitive>> pages;
    for (const Report::PreparedPage& page : report.pages) {
        std::vector<Primitive> drawn;
        for (const Report::PreparedChart& chart : page.charts) {
            const QRectF area(Report::mmToReportPixels(chart.object.rect.left()),
                              Report::mmToReportPixels(chart.object.rect.top()),
                              Report::mmToReportPixels(chart.object.rect.width()),
                              Report::mmToReportPixels(chart.object.rect.height()));
            const auto geometry = Report::layoutBarChart(chart.object.style, chart.bars, area);
            const QFont axisFont = Report::reportFont(QStringLiteral("B Yekan"), 19);
            for (double tick : geometry.ticks) {
                const double y = Report::valueToY(chart.object.style, geometry.plot, tick);
                drawn.push_back({Primitive::Line, QRectF(QPointF(geometry.plot.left(), y), QPointF(geometry.plot.right(), y)), {}, {}, Qt::lightGray, {}});
                drawn.push_back({Primitive::Text, QRectF(area.left(), y - 12, geometry.plot.left() - area.left() - 8, 24),
                                 Report::formatChartNumber(tick), axisFont, Qt::black, QTextOption(Qt::AlignRight | Qt::AlignVCenter)});
            }
            for (size_t i = 0; i < chart.bars.size(); ++i) {
                drawn.push_back({Primitive::Rect, geometry.bars[i], {}, {}, Report::barPalette()[i % 16], {}});
                drawn.push_back({Primitive::Text, geometry.valueMarks[i], Report::formatChartNumber(chart.bars[i].value),
                                 axisFont, Qt::black, QTextOption(Qt::AlignCenter)});
                drawn.push_back({Primitive::Text, geometry.labels[i], chart.bars[i].label,
                                 Report::reportFont(QStringLiteral("B Yekan"), chart.object.style.categoryPixelSize),
                                 Qt::black, QTextOption(Qt::AlignHCenter | Qt::AlignTop)});
            }
        }
        for (const Report::RoundedRectObject& shape : page.shapes)
            drawn.push_back({Primitive::RoundedRect,
                             QRectF(Report::mmToReportPixels(shape.rect.left()), Report::mmToReportPixels(shape.rect.top()),
                                    Report::mmToReportPixels(shape.rect.width()), Report::mmToReportPixels(shape.rect.height())),
                             {}, {}, shape.fill, {}});
        for (const Report::PreparedText& text : page.texts) {
            const Report::TextObject& t = text.object;
            drawn.push_back({Primitive::Text,
                             QRectF(Report::mmToReportPixels(t.rect.left()), Report::mmToReportPixels(t.rect.top()),
                                    Report::mmToReportPixels(t.rect.width()), Report::mmToReportPixels(t.rect.height())),
                             t.text, Report::reportFont(t.fontName, t.pixelSize, t.bold), Qt::black,
                             QTextOption(t.alignment)});
        }
        pages.push_back(std::move(drawn));
    }
    return pages;
}

void Report_BarePdfWriter(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(databaseFile());
    rebuildScoreQueries(data, QStringLiteral("ABCDEFGHIJKLMNO"));
    ChartsReport report;
    report.PrepareReport(data, participant());
    const auto pages = primitivesOf(report.preparedReport());
    for (auto _ : state) {
        QPdfWriter writer(pdfFile("bare.pdf"));
        writer.setPageLayout(report.preparedReport().layout);
        writer.setResolution(1200);
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(1200 / Report::reportDpi, 1200 / Report::reportDpi);
        for (size_t p = 0; p < pages.size(); ++p) {
            if (p > 0)
                writer.newPage();
            painter.fillRect(QRectF(0, 0, 1070, 740), Qt::white);
            for (const Primitive& d : pages[p]) {
                switch (d.kind) {
                case Primitive::Text:
                    painter.setFont(d.font);
                    painter.setPen(d.colour);
                    painter.drawText(d.rect, d.text, d.option);
                    break;
                case Primitive::Rect: {
                    QLinearGradient gradient(d.rect.topLeft(), d.rect.bottomLeft());
                    gradient.setColorAt(0, d.colour.lighter());
                    gradient.setColorAt(1, d.colour);
                    painter.setPen(QPen(Qt::black, 0));
                    painter.setBrush(gradient);
                    painter.drawRect(d.rect);
                    break;
                }
                case Primitive::RoundedRect:
                    painter.setPen(QPen(Qt::black, 1));
                    painter.setBrush(d.colour);
                    painter.drawRoundedRect(d.rect, 10, 10);
                    break;
                case Primitive::Line:
                    painter.setPen(QPen(d.colour, 0, Qt::DotLine));
                    painter.drawLine(d.rect.topLeft(), d.rect.bottomRight());
                    break;
                }
            }
        }
    }
}

} // namespace

BENCHMARK(Report_Renderer)->Unit(benchmark::kMillisecond);
BENCHMARK(Report_BarePdfWriter)->Unit(benchmark::kMillisecond);
