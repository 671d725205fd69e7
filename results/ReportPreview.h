#pragma once

#include "results/ReportModel.h"

#include <QDialog>
#include <QPrinter>

class QAction;
class QGraphicsView;
class QListWidget;
class QPrintPreviewWidget;
class QToolBar;
class QTreeWidget;

// The report's print preview: modal, opened maximized and zoomed to the page width, with commands to print,
// zoom, go full screen, set up the page and move between pages, and nothing to open, save, find, edit or export.
// Beside the page stand the outline (empty: the report has no outline entries) and the page thumbnails.
class TfrmPreview : public QDialog
{
    Q_OBJECT

public:
    TfrmPreview(const Report::PreparedReport& report, QWidget* parent = nullptr);
    ~TfrmPreview() override;

    int exec() override;

    void PrintClick();
    void PageSetupClick();
    void FullScreenClick();

private:
    QAction* addCommand(const char* name, const QString& text, const QKeySequence& shortcut);
    void fillThumbnails();
    void showPage(int page);
    // Brings the top of the current page to the top of the view while the operator has not scrolled or zoomed
    // since the preview opened or a page command ran.
    void keepPageTopInView();

    const Report::PreparedReport& m_report;
    QPrinter m_printer;
    QPrintPreviewWidget* m_preview = nullptr;
    QTreeWidget* m_outline = nullptr;
    QListWidget* m_thumbnails = nullptr;
    QToolBar* m_toolBar = nullptr;
    QGraphicsView* m_pageView = nullptr;
    bool m_pageTopPinned = true;
};
