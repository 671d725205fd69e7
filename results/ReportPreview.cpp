#include "results/ReportPreview.h"

#include "dialogs/ErrorReport.h"
#include "results/ReportRenderer.h"

#include <QAction>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double thumbnailDpi = 14;

} // namespace

TfrmPreview::TfrmPreview(const Report::PreparedReport& report, QWidget* parent)
    : QDialog(parent), m_report(report), m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("پيش نمايش چاپ"));
    setModal(true);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_printer.setPageLayout(report.layout);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbPreview"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar->setMovable(false);

    m_preview = new QPrintPreviewWidget(&m_printer, this);
    m_preview->setObjectName(QStringLiteral("previewPages"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { guarded([&] { Report::paintReport(m_report, *printer); }); });
    // Qt's preview centres the page whenever it fits it to the width (on opening, on every resize such as the
    // window being maximized) and leaves the view alone when the page shown does not change, so the page's
    // header would sit above the view. The preview opens on the top of page 1 and the page commands go to the
    // top of their page; after the operator scrolls or zooms the view stays where it is put.
    m_pageView = m_preview->findChild<QGraphicsView*>();
    if (m_pageView) {
        connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &TfrmPreview::keepPageTopInView);
        for (QScrollBar* bar : {m_pageView->verticalScrollBar(), m_pageView->horizontalScrollBar()})
            connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_pageTopPinned = false; });
    }

    m_outline = new QTreeWidget(this);
    m_outline->setObjectName(QStringLiteral("outlinePane"));
    m_outline->setHeaderLabel(QStringLiteral("فهرست"));
    m_thumbnails = new QListWidget(this);
    m_thumbnails->setObjectName(QStringLiteral("thumbnailPane"));
    m_thumbnails->setViewMode(QListView::IconMode);
    m_thumbnails->setFlow(QListView::TopToBottom);
    m_thumbnails->setMovement(QListView::Static);
    m_thumbnails->setWrapping(false);
    m_thumbnails->setSpacing(8);
    fillThumbnails();
    connect(m_thumbnails, &QListWidget::currentRowChanged, this, [this](int row) { showPage(row + 1); });

    auto* panes = new QSplitter(Qt::Vertical, this);
    panes->addWidget(m_outline);
    panes->addWidget(m_thumbnails);
    panes->setStretchFactor(1, 3);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(panes);
    splitter->addWidget(m_preview);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 1000});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(splitter);

    QAction* print = addCommand("actPrint", QStringLiteral("چاپ"), QKeySequence::Print);
    connect(print, &QAction::triggered, this, guardedSlot(this, &TfrmPreview::PrintClick));
    m_toolBar->addSeparator();
    QAction* zoomIn = addCommand("actZoomIn", QStringLiteral("بزرگنمايي"), QKeySequence::ZoomIn);
    connect(zoomIn, &QAction::triggered, m_preview, [this] {
        m_pageTopPinned = false;
        m_preview->zoomIn();
    });
    QAction* zoomOut = addCommand("actZoomOut", QStringLiteral("کوچکنمايي"), QKeySequence::ZoomOut);
    connect(zoomOut, &QAction::triggered, m_preview, [this] {
        m_pageTopPinned = false;
        m_preview->zoomOut();
    });
    QAction* fullScreen = addCommand("actFullScreen", QStringLiteral("تمام صفحه"), QKeySequence(Qt::Key_F11));
    connect(fullScreen, &QAction::triggered, this, guardedSlot(this, &TfrmPreview::FullScreenClick));
    QAction* pageSetup = addCommand("actPageSetup", QStringLiteral("تنظيمات صفحه"), QKeySequence());
    connect(pageSetup, &QAction::triggered, this, guardedSlot(this, &TfrmPreview::PageSetupClick));
    m_toolBar->addSeparator();
    QAction* first = addCommand("actFirstPage", QStringLiteral("صفحه اول"), QKeySequence(Qt::Key_Home));
    connect(first, &QAction::triggered, this, [this] { showPage(1); });
    QAction* prior = addCommand("actPriorPage", QStringLiteral("صفحه قبل"), QKeySequence(Qt::Key_PageUp));
    connect(prior, &QAction::triggered, this, [this] { showPage(m_preview->currentPage() - 1); });
    QAction* next = addCommand("actNextPage", QStringLiteral("صفحه بعد"), QKeySequence(Qt::Key_PageDown));
    connect(next, &QAction::triggered, this, [this] { showPage(m_preview->currentPage() + 1); });
    QAction* last = addCommand("actLastPage", QStringLiteral("صفحه آخر"), QKeySequence(Qt::Key_End));
    connect(last, &QAction::triggered, this, [this] { showPage(int(m_report.pages.size())); });
    m_toolBar->addSeparator();
    QAction* closing = addCommand("actClose", QStringLiteral("بستن"), QKeySequence());
    connect(closing, &QAction::triggered, this, &QDialog::reject);
}

TfrmPreview::~TfrmPreview() = default;

QAction* TfrmPreview::addCommand(const char* name, const QString& text, const QKeySequence& shortcut)
{
    QAction* action = m_toolBar->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

void TfrmPreview::fillThumbnails()
{
    const QSize iconSize = Report::renderPageImage(m_report, 0, thumbnailDpi).size();
    m_thumbnails->setIconSize(iconSize);
    for (int page = 0; page < int(m_report.pages.size()); ++page) {
        const QPixmap picture = QPixmap::fromImage(Report::renderPageImage(m_report, page, thumbnailDpi));
        auto* item = new QListWidgetItem(QIcon(picture), QString::number(page + 1), m_thumbnails);
        item->setTextAlignment(Qt::AlignHCenter);
    }
}

void TfrmPreview::showPage(int page)
{
    if (page < 1 || page > int(m_report.pages.size()))
        return;
    m_preview->setCurrentPage(page);
    QSignalBlocker quiet(m_thumbnails);
    m_thumbnails->setCurrentRow(page - 1);
    m_pageTopPinned = true;
    keepPageTopInView();
}

void TfrmPreview::keepPageTopInView()
{
    if (!m_pageTopPinned || !m_pageView || !m_pageView->scene())
        return;
    // The pages are the scene's top-level items, from the first page down.
    QList<QGraphicsItem*> pages;
    for (QGraphicsItem* item : m_pageView->scene()->items())
        if (!item->parentItem())
            pages.append(item);
    std::sort(pages.begin(), pages.end(),
              [](const QGraphicsItem* a, const QGraphicsItem* b) { return a->scenePos().y() < b->scenePos().y(); });
    const int page = m_preview->currentPage();
    if (page < 1 || page > pages.size())
        return;
    const QRectF shown = pages[page - 1]->sceneBoundingRect();
    QScrollBar* bar = m_pageView->verticalScrollBar();
    const int gap = 10;
    bar->setValue(bar->value() + m_pageView->mapFromScene(shown.topLeft()).y() - gap);
}

int TfrmPreview::exec()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    m_preview->fitToWidth();
    return QDialog::exec();
}

void TfrmPreview::PrintClick()
{
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        Report::paintReport(m_report, m_printer);
}

void TfrmPreview::PageSetupClick()
{
    QPageSetupDialog dialog(&m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_preview->updatePreview();
}

void TfrmPreview::FullScreenClick()
{
    if (isFullScreen())
        showMaximized();
    else
        showFullScreen();
}
