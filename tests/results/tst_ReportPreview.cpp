#include "results/ReportPreview.h"
#include "results/ResultForm.h"

#include "dialogs/AppFonts.h"

#include "tests/results/ResultsFixture.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Screenshot.h"

#include <QAbstractButton>
#include <QAction>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QScrollBar>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>

// The charts button of the results window opens the report's preview modally, with the report's commands only.
class tst_ReportPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void chartsButtonOpensPreview();
    void firstViewAndFirstPageShowThePageTop();

private:
    QPushButton* lookUpForCharts();

    std::unique_ptr<ResultsDatabase> m_db;
    std::unique_ptr<TfrmResult> m_window;
};

void tst_ReportPreview::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QVERIFY(useEmbeddedFont(12));
    QVERIFY(installQtPersianTranslation());
}

void tst_ReportPreview::init()
{
    const std::vector<FixtureItem> items{{QStringLiteral("کنترل استرس"), QStringLiteral("تحمل فشار"), 5},
                                         {QStringLiteral("سازگاري"), QStringLiteral("حل مسئله"), 2}};
    m_db = std::make_unique<ResultsDatabase>(items);
    m_db->add(participantWith(7, QStringLiteral("مريم"), QStringLiteral("کاظمي"), 0, 4, true, answersOf(items)));
    m_window = std::make_unique<TfrmResult>();
    frmResult = m_window.get();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_ReportPreview::cleanup()
{
    m_window.reset();
    m_db.reset();
}

QPushButton* tst_ReportPreview::lookUpForCharts()
{
    m_window->findChild<QLineEdit*>(QStringLiteral("edFileNo"))->setText(QStringLiteral("7"));
    QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("btSearch")), Qt::LeftButton);
    auto* charts = m_window->findChild<QPushButton*>(QStringLiteral("btShowCharts"));
    return charts->isEnabled() ? charts : nullptr;
}

void tst_ReportPreview::chartsButtonOpensPreview()
{
    QPushButton* charts = lookUpForCharts();
    QVERIFY(charts);

    bool seen = false;
    driveModal([&] { QTest::mouseClick(charts, Qt::LeftButton); }, [&](QWidget* modal) {
        auto* preview = qobject_cast<TfrmPreview*>(modal);
        QVERIFY(preview);
        QVERIFY(preview->isModal());
        QVERIFY(preview->windowState() & Qt::WindowMaximized);

        QStringList commands;
        for (QAction* action : preview->findChild<QToolBar*>(QStringLiteral("tbPreview"))->actions())
            if (!action->isSeparator())
                commands << action->objectName();
        QCOMPARE(commands, (QStringList{"actPrint", "actZoomIn", "actZoomOut", "actFullScreen", "actPageSetup",
                                        "actFirstPage", "actPriorPage", "actNextPage", "actLastPage", "actClose"}));

        auto* outline = preview->findChild<QTreeWidget*>(QStringLiteral("outlinePane"));
        auto* thumbnails = preview->findChild<QListWidget*>(QStringLiteral("thumbnailPane"));
        QVERIFY(outline->isVisible());
        QCOMPARE(outline->topLevelItemCount(), 0);
        QVERIFY(thumbnails->isVisible());
        QCOMPARE(thumbnails->count(), 2);

        auto* pages = preview->findChild<QPrintPreviewWidget*>(QStringLiteral("previewPages"));
        QCOMPARE(pages->pageCount(), 2);
        QCOMPARE(pages->currentPage(), 1);
        auto trigger = [&](const char* name) { preview->findChild<QAction*>(QLatin1String(name))->trigger(); };
        trigger("actNextPage");
        QCOMPARE(pages->currentPage(), 2);
        QCOMPARE(thumbnails->currentRow(), 1);
        trigger("actNextPage");
        QCOMPARE(pages->currentPage(), 2);
        trigger("actFirstPage");
        QCOMPARE(pages->currentPage(), 1);
        trigger("actLastPage");
        QCOMPARE(pages->currentPage(), 2);
        trigger("actPriorPage");
        QCOMPARE(pages->currentPage(), 1);
        // The offscreen platform has no screen to maximize to: give the picture a desktop's size.
        preview->resize(1280, 800);
        pages->fitToWidth();
        QVERIFY(!saveScreenshot(preview, QStringLiteral("report-preview")).isEmpty());

        // Printing goes through Qt's own print dialog, in Persian.
        driveModal([&] { trigger("actPrint"); },
                   [&](QWidget* dialog) {
                       QVERIFY(qobject_cast<QPrintDialog*>(dialog));
                       QStringList captions;
                       for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                           captions << button->text();
                       saveScreenshot(dialog, QStringLiteral("report-print-dialog"));
                       QVERIFY2(captions.contains(QStringLiteral("انصراف")), qPrintable(captions.join(u',')));
                       qobject_cast<QDialog*>(dialog)->reject();
                   });
        seen = true;
        trigger("actClose");
    });
    if (QTest::currentTestFailed())
        return;
    QVERIFY(seen);
    QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(m_window.get()));
}

void tst_ReportPreview::firstViewAndFirstPageShowThePageTop()
{
    QPushButton* charts = lookUpForCharts();
    QVERIFY(charts);
    QStringList seen;
    driveModal([&] { QTest::mouseClick(charts, Qt::LeftButton); }, [&](QWidget* modal) {
        auto* pages = modal->findChild<QPrintPreviewWidget*>(QStringLiteral("previewPages"));
        auto* view = pages->findChild<QGraphicsView*>();
        QVERIFY(view);
        // Where the top edge of page 1, the first in the view, stands in the view: on view at its top means the
        // title, file number and name are in sight.
        auto pageTopShown = [&](const char* when) {
            QCoreApplication::processEvents();
            const int top = view->mapFromScene(view->scene()->itemsBoundingRect().topLeft()).y();
            if (top >= 0 && top < view->viewport()->height() / 8)
                seen << QLatin1String(when);
            else
                qWarning("%s: the page's top edge is at %d in a view %d high", when, top, view->viewport()->height());
        };
        auto trigger = [&](const char* name) { modal->findChild<QAction*>(QLatin1String(name))->trigger(); };

        pageTopShown("opened");
        // A window manager maximizes the window after it was shown.
        modal->resize(1280, 800);
        pageTopShown("maximized");
        QVERIFY(!saveScreenshot(modal, QStringLiteral("report-preview-first-view")).isEmpty());
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 3);
        trigger("actFirstPage");
        pageTopShown("First page after scrolling down");
        trigger("actNextPage");
        trigger("actFirstPage");
        pageTopShown("First page from page 2");
        trigger("actClose");
    });
    QCOMPARE(seen, (QStringList{"opened", "maximized", "First page after scrolling down", "First page from page 2"}));
}

QTEST_MAIN(tst_ReportPreview)
#include "tst_ReportPreview.moc"
