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
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setFont(designFont(tahoma, 12, true));
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
