#include "results/BarChart.h"
#include "results/ChartsReport.h"
#include "results/ReportRenderer.h"
#include "results/ResultForm.h"

#include "dialogs/MessageFrm.h"
#include "tests/results/ResultsFixture.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/Screenshot.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// The charts report written to real PDF files through the one renderer and read back with poppler's tools:
// the pages and paper, the header of the participant looked up, and the bars as they are drawn.
class tst_ReportPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void twoLandscapeA4Pages();
    void headerIsTheLookedUpParticipant();
    void reportKeepsProfilesAsTheyWere();
    void barColoursFollowThePalette();
    void failedPrepareLeavesNoPages();
    void atMostHundredBars();
    void valueAxisIsFixed_data();
    void valueAxisIsFixed();
    void pagesAsPictures();

private:
    void lookUp(int fileNo);
    QString writePdf(const Report::PreparedReport& report, const QString& name);
    QImage pageImage(const QString& pdf, int page);

    QTemporaryDir m_out;
    std::unique_ptr<ResultsDatabase> m_db;
    TData* m_data = nullptr;
    std::unique_ptr<TfrmResult> m_window;
};

namespace {

constexpr int rasterDpi = 60;

const std::vector<FixtureItem> items{
    {QStringLiteral("کنترل استرس"), QStringLiteral("تحمل فشار"), 5},
    {QStringLiteral("کنترل استرس"), QStringLiteral("پرهيز از تکانش و رفتارهاي شتابزده در موقعيتهاي دشوار"), 4},
    {QStringLiteral("سازگاري"), QStringLiteral("حل مسئله"), 1},
    {QStringLiteral("سازگاري"), QStringLiteral("واقع گرايي"), 2},
    {QStringLiteral("خلق عمومي"), QStringLiteral("شادکامي"), 3}};

// A dataset of fixed bars for the chart checks.
class FixedBars : public Report::ReportValues
{
public:
    explicit FixedBars(std::vector<Report::Bar> bars) : m_bars(std::move(bars)) {}
    QString fieldText(const QString&, const QString& field) const override { return field; }
    std::vector<Report::Bar> chartRows(const QString&, const QString&, const QString&) const override
    {
        return m_bars;
    }

private:
    std::vector<Report::Bar> m_bars;
};

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Where a point given in report pixels of the printable area lands on a page picture at `dpi`.
QPoint onPicture(const Report::PreparedReport& report, const QPointF& reportPixels, double dpi)
{
    const QPointF margin = report.layout.paintRect(QPageLayout::Inch).topLeft();
    return QPointF((margin.x() + reportPixels.x() / Report::reportDpi) * dpi,
                   (margin.y() + reportPixels.y() / Report::reportDpi) * dpi)
        .toPoint();
}

bool near(QColor a, QColor b, int tolerance = 24)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// The sixteen colours the bars take in turn, by position: red, green, yellow, blue, white, grey, fuchsia, teal,
// navy, maroon, lime, olive, purple, silver, aqua, black.
const QColor barColours[16] = {{255, 0, 0},   {0, 128, 0},     {255, 255, 0}, {0, 0, 255},
                               {255, 255, 255}, {128, 128, 128}, {255, 0, 255}, {0, 128, 128},
                               {0, 0, 128},   {128, 0, 0},     {0, 255, 0},   {128, 128, 0},
                               {128, 0, 128}, {192, 192, 192}, {0, 255, 255}, {0, 0, 0}};

struct FoundBar
{
    QColor colour; // low in the bar, where the shading has reached the bar's own colour
    int height = 0; // from the value axis to the top of the bar, in pixels of the picture (0 for a black bar)
};

// The bars of a page's chart as the picture shows them, left to right. The value axis is the lowest line that
// runs across half the page. Along a row just above it, from the category axis on, black outlines part white
// gaps and bars in turn (gap, bar, gap, bar, ...), so a white bar is told from a gap by its place; a black bar is
// a wide dark run of its own.
std::vector<FoundBar> barsInPicture(const QImage& page)
{
    // Black ink, however thin a line the renderer drew it as: the outlines, the axes and a black or grey bar.
    auto dark = [&](int x, int y) {
        const QColor c = page.pixelColor(x, y);
        return c.value() < 60 || (c.hsvSaturation() < 60 && c.value() < 170); // near black, the hue means nothing
    };
    int axis = -1, axisLeft = 0, axisRight = 0;
    for (int y = page.height() - 1; y >= 0 && axis < 0; --y)
        for (int x = 0, run = 0; x < page.width(); ++x) {
            run = dark(x, y) ? run + 1 : 0;
            if (run > page.width() / 2) {
                axis = y;
                axisRight = x;
                axisLeft = x - run + 1;
            }
        }
    std::vector<FoundBar> bars;
    if (axis < 0)
        return bars;
    while (axis > 0 && dark(axisRight, axis - 1)) // a line drawn more than a pixel thick
        --axis;
    const int y = axis - 3;
    int x = axisLeft;
    while (x < axisRight && !dark(x, y))
        ++x;
    bool barNext = false;
    while (x < axisRight) {
        const int start = x;
        const bool isDark = dark(x, y);
        while (x < axisRight && dark(x, y) == isDark)
            ++x;
        const int width = x - start;
        if (isDark && width > 4) { // a black bar with its outlines
            bars.push_back({page.pixelColor((start + x) / 2, y), 0});
            barNext = false;
        } else if (!isDark && width >= 3) { // narrower light runs are the shading of an outline
            if (barNext) {
                // Up the bar the shading changes a little from pixel to pixel; the outline at its top is the
                // first sudden change, however thin the renderer drew it.
                const int middle = (start + x) / 2;
                int top = y;
                while (top > 0 && near(page.pixelColor(middle, top - 1), page.pixelColor(middle, top), 40))
                    --top;
                const int height = axis - top;
                bars.push_back({page.pixelColor(middle, axis - height / 12), height});
            }
            barNext = !barNext;
        }
    }
    return bars;
}

QString texts(const Report::PreparedPage& page)
{
    QStringList all;
    for (const Report::PreparedText& text : page.texts)
        all << text.object.text;
    return all.join(QLatin1Char('|'));
}

} // namespace

void tst_ReportPdf::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QVERIFY(useEmbeddedFont(12));
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("poppler-utils is not installed");
}

void tst_ReportPdf::init()
{
    m_db = std::make_unique<ResultsDatabase>(items);
    m_data = m_db->data.get();
    m_db->add(participantWith(7, QStringLiteral("مريم"), QStringLiteral("کاظمي"), 0, 4, true, answersOf(items)));
    for (int fileNo : {8, 9})
        m_db->add(participantWith(fileNo, QStringLiteral("علي"), QStringLiteral("رضايي %1").arg(fileNo), 1, 1, true,
                                  answersOf(items)));
    m_window = std::make_unique<TfrmResult>();
    frmResult = m_window.get();
}

void tst_ReportPdf::cleanup()
{
    m_window.reset();
    m_data = nullptr;
    m_db.reset();
}

void tst_ReportPdf::lookUp(int fileNo)
{
    auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("edFileNo"));
    box->setText(QString::number(fileNo));
    m_window->btSearchClick();
    QVERIFY(m_window->findChild<QPushButton*>(QStringLiteral("btShowCharts"))->isEnabled());
}

QString tst_ReportPdf::writePdf(const Report::PreparedReport& report, const QString& name)
{
    const QString file = QDir(m_out.path()).filePath(name + QStringLiteral(".pdf"));
    if (!Report::printToPdf(report, file))
        return QString();
    return file;
}

QImage tst_ReportPdf::pageImage(const QString& pdf, int page)
{
    const QString prefix = QDir(m_out.path()).filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(rasterDpi),
                                     QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                     QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

void tst_ReportPdf::twoLandscapeA4Pages()
{
    lookUp(7);
    ChartsReport& report = m_window->chartsReport();
    for (int press = 1; press <= 2; ++press) {
        report.PrepareReport(*m_data, m_window->participantHeader());
        const QString pdf = writePdf(report.preparedReport(), QStringLiteral("press%1").arg(press));
        QVERIFY(!pdf.isEmpty());
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        // A4 is 595 x 842 points; landscape puts the long side across.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595(\\.\\d+)? pts"))),
                 qPrintable(info));
    }
}

void tst_ReportPdf::headerIsTheLookedUpParticipant()
{
    lookUp(8);
    lookUp(7);
    ChartsReport& report = m_window->chartsReport();
    report.PrepareReport(*m_data, m_window->participantHeader());
    QCOMPARE(int(report.preparedReport().pages.size()), 2);
    for (const Report::PreparedPage& page : report.preparedReport().pages) {
        const QString header = texts(page);
        for (const QString& value : {QStringLiteral("خانم مريم کاظمي"), QStringLiteral("37"),
                                     QStringLiteral("فوق ليسانس"), QStringLiteral("7"), QStringLiteral("1403/02/07")})
            QVERIFY2(header.split(QLatin1Char('|')).contains(value), qPrintable(header));
        QVERIFY(!header.contains(QStringLiteral("رضايي")));
    }
    QVERIFY(texts(report.preparedReport().pages[0]).contains(QStringLiteral("نمودار کليات شخصيت")));
    QVERIFY(texts(report.preparedReport().pages[1]).contains(QStringLiteral("نمودار ريز شخصيت هيجاني")));
    QCOMPARE(int(report.preparedReport().pages[0].charts[0].bars.size()), 3);
    QCOMPARE(int(report.preparedReport().pages[1].charts[0].bars.size()), 5);
}

void tst_ReportPdf::reportKeepsProfilesAsTheyWere()
{
    // A search window closed by its close box leaves its own filter: here every profile, on another record.
    lookUp(7);
    m_data->tbProfiles.setFilter(QStringLiteral("Age>0"));
    m_data->tbProfiles.setFiltered(true);
    m_data->tbProfiles.setRecNo(3);
    const int fileNoBefore = m_data->tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger();

    ChartsReport& report = m_window->chartsReport();
    report.PrepareReport(*m_data, m_window->participantHeader());
    const QString pdf = writePdf(report.preparedReport(), QStringLiteral("filtered"));
    QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
    for (const Report::PreparedPage& page : report.preparedReport().pages)
        QVERIFY(texts(page).contains(QStringLiteral("خانم مريم کاظمي")));

    QCOMPARE(m_data->tbProfiles.filter(), QStringLiteral("Age>0"));
    QVERIFY(m_data->tbProfiles.filtered());
    QCOMPARE(m_data->tbProfiles.recNo(), 3);
    QCOMPARE(m_data->tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger(), fileNoBefore);
}

void tst_ReportPdf::barColoursFollowThePalette()
{
    std::vector<Report::Bar> bars;
    for (int i = 0; i < 20; ++i)
        bars.push_back({QStringLiteral("مقياس %1").arg(i + 1), 60});
    const Report::PreparedReport report = Report::prepare(Report::chartsReportDefinition(), FixedBars(bars));
    const QString pdf = writePdf(report, QStringLiteral("palette"));
    QVERIFY(!pdf.isEmpty());

    for (int page = 1; page <= 2; ++page) {
        const QImage image = pageImage(pdf, page);
        QVERIFY(!image.isNull());
        const std::vector<FoundBar> found = barsInPicture(image);
        QCOMPARE(int(found.size()), 20);
        for (int i = 0; i < 20; ++i) {
            // Bar 17 takes the first colour again.
            const QColor expected = barColours[i % 16];
            const QString what = QStringLiteral("page %1 bar %2: %3, expected %4")
                                     .arg(page)
                                     .arg(i + 1)
                                     .arg(found[size_t(i)].colour.name(), expected.name());
            QVERIFY2(near(found[size_t(i)].colour, expected), qPrintable(what));
            // Equal values, equal bars.
            if (found[size_t(i)].height > 0)
                QVERIFY2(qAbs(found[size_t(i)].height - found[0].height) <= 1, qPrintable(what));
        }
    }
}

void tst_ReportPdf::failedPrepareLeavesNoPages()
{
    lookUp(7);
    ChartsReport& report = m_window->chartsReport();
    report.PrepareReport(*m_data, m_window->participantHeader());
    QVERIFY(report.isPrepared());
    m_data->qTest2.close();

    // The charts button: the error is reported, the earlier pages are gone and no preview opens.
    bool previewOpened = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != m_window.get()) {
            previewOpened = true;
            modal->close();
        }
    });
    SysMessageSeam::setNextAnswer(1);
    m_window->findChild<QPushButton*>(QStringLiteral("btShowCharts"))->click();
    QCoreApplication::processEvents();

    QVERIFY(!previewOpened);
    QCOMPARE(SysMessageSeam::calls().size(), 1);
    QVERIFY(SysMessageSeam::calls().constFirst().text.contains(QStringLiteral("qTest2")));
    QVERIFY(!report.isPrepared());
}

void tst_ReportPdf::atMostHundredBars()
{
    std::vector<Report::Bar> bars;
    for (int i = 0; i < 120; ++i)
        bars.push_back({QString::number(i + 1), 50});
    const Report::PreparedReport report = Report::prepare(Report::chartsReportDefinition(), FixedBars(bars));
    for (const Report::PreparedPage& page : report.pages) {
        QCOMPARE(int(page.charts[0].bars.size()), 100);
        QCOMPARE(page.charts[0].bars.back().label, QStringLiteral("100"));
    }
}

void tst_ReportPdf::valueAxisIsFixed_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("every bar at 20") << 20.0;
    QTest::newRow("every bar at 100") << 100.0;
}

void tst_ReportPdf::valueAxisIsFixed()
{
    QFETCH(double, value);
    // Blue bars: visible against the white background all the way up.
    std::vector<Report::Bar> bars(4, {QStringLiteral("مقياس"), value});
    Report::ReportDefinition definition = Report::chartsReportDefinition();
    for (Report::PageTemplate& page : definition.pages)
        page.child.charts[0].style.palette = {Qt::blue};
    const Report::PreparedReport report = Report::prepare(definition, FixedBars(bars));
    const QImage image = pageImage(writePdf(report, QStringLiteral("axis")), 1);
    const Report::PreparedChart& chart = report.pages[0].charts[0];
    const QRectF area(Report::mmToReportPixels(chart.object.rect.left()),
                      Report::mmToReportPixels(chart.object.rect.top()),
                      Report::mmToReportPixels(chart.object.rect.width()),
                      Report::mmToReportPixels(chart.object.rect.height()));
    const QRectF plot = Report::layoutBarChart(chart.object.style, chart.bars, area).plot;
    const QRectF bar = Report::layoutBarChart(chart.object.style, chart.bars, area).bars[0];

    auto isBar = [&](double share) {
        const QColor c = image.pixelColor(onPicture(report, QPointF(bar.center().x(), plot.bottom() - share * plot.height()), rasterDpi));
        return c.blue() > 150 && c.red() < 200 && c.green() < 200;
    };
    QVERIFY(isBar(0.05));
    QVERIFY(isBar(value / 100 - 0.03));
    // Above the bar's value nothing of it is drawn: the axis keeps 0 to 100 whatever the values.
    if (value < 100)
        QVERIFY(!isBar(value / 100 + 0.05));
    QVERIFY(!isBar(1.04));
}

void tst_ReportPdf::pagesAsPictures()
{
    lookUp(7);
    ChartsReport& report = m_window->chartsReport();
    report.PrepareReport(*m_data, m_window->participantHeader());
    for (int page = 0; page < 2; ++page) {
        const QImage picture = Report::renderPageImage(report.preparedReport(), page, 110);
        QVERIFY(!saveScreenshot(picture, QStringLiteral("report-page%1").arg(page + 1)).isEmpty());
        // A bar per scale of the page in the palette's first colours, each as tall as its score.
        const std::vector<Report::Bar>& scores = report.preparedReport().pages[size_t(page)].charts[0].bars;
        const std::vector<FoundBar> found = barsInPicture(picture);
        QCOMPARE(found.size(), scores.size());
        QCOMPARE(int(found.size()), page == 0 ? 3 : 5);
        const FoundBar* tallest = &found[0];
        const Report::Bar* highest = &scores[0];
        for (size_t i = 0; i < found.size(); ++i)
            if (scores[i].value > highest->value) {
                highest = &scores[i];
                tallest = &found[i];
            }
        QVERIFY(highest->value > 0);
        for (size_t i = 0; i < found.size(); ++i) {
            const QString what = QStringLiteral("page %1 bar %2 (%3): %4 px high, %5")
                                     .arg(page + 1)
                                     .arg(i + 1)
                                     .arg(scores[i].value)
                                     .arg(found[i].height)
                                     .arg(found[i].colour.name());
            QVERIFY2(near(found[i].colour, barColours[i]), qPrintable(what));
            const double expected = tallest->height * scores[i].value / highest->value;
            QVERIFY2(qAbs(found[i].height - expected) <= 2, qPrintable(what));
        }
    }
}

QTEST_MAIN(tst_ReportPdf)
#include "tst_ReportPdf.moc"
