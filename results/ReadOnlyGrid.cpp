#include "results/ReadOnlyGrid.h"

#include "data/DataSet.h"
#include "data/DataGridModel.h"
#include "dialogs/AppFonts.h"

#include <QHeaderView>
#include <QTableView>

void setUpReadOnlyGrid(QTableView* grid, DataGridModel* model)
{
    const QString tahoma = QStringLiteral("Tahoma");
    grid->setFont(designFont(tahoma, 12));
    grid->setModel(model);
    grid->setSelectionModel(model->selectionModel());
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setShowGrid(true);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setFont(designFont(tahoma, 12, true));
    // A row is one line of text, descenders included, and its grid line; the title has two pixels more above and
    // below. So the results window's grids show the title and every row whole: 5 scales in 117 pixels, 15
    // sub-scales in 307. Taller rows would cut the last ones off.
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 1);
    grid->horizontalHeader()->setFixedHeight(QFontMetrics(grid->horizontalHeader()->font()).height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
    // The selection stays visible while another control has the focus.
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    grid->setPalette(palette);
    for (int column = 0; column < model->columnCount(); ++column)
        if (model->columnWidth(column) > 0)
            grid->setColumnWidth(column, model->columnWidth(column));
}
