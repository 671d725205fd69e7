#pragma once

class DataGridModel;
class QTableView;

// The grids of the results and search windows: read-only, the whole row selected and still shown while another
// control has the focus, column and row lines, bold titles, no row numbers. Shows `model` in `grid` and gives
// every column with a width of its own that width; the window decides the others.
void setUpReadOnlyGrid(QTableView* grid, DataGridModel* model);
