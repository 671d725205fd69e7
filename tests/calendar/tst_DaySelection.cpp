// The day selection of a month grid: single, multi and range selection driven the way the calendar drives them
// (presses, Ctrl presses, Shift extension either way, group toggles), up to both ends of the 42 cells.

#include "calendar/DaySelection.h"

#include <QList>
#include <QTest>

#include <vector>

namespace {

// "3,7-10,41" as the cells it names.
QList<int> cellsOf(const QString& text)
{
    QList<int> cells;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        for (int cell = ends.first().toInt(); cell <= ends.last().toInt(); ++cell)
            cells << cell;
    }
    return cells;
}

QList<int> selectedCells(const DaySelection& selection)
{
    QList<int> cells;
    for (int cell = 0; cell < DaySelection::CellCount; ++cell) {
        if (selection.Contains(cell))
            cells << cell;
    }
    return cells;
}

// Runs one step of a script: C<n> choose, R<n> reset, E<n> extend, T<n> toggle, A<n> add, N<n> anchor,
// Z clear, G<a,b,..> toggle a group. Returns the cells the step reported as changed.
DaySelection::CellMask runStep(DaySelection& selection, const QString& step)
{
    const QChar op = step.at(0);
    const QString argument = step.mid(1);
    const int index = argument.toInt();
    // The calendar repaints the cells a moved chosen day leaves and enters, and every cell after a reset or a
    // clear, by itself.
    const DaySelection::CellMask everyCell = ~DaySelection::CellMask(0);
    if (op == u'C') {
        selection.SetChosen(index);
        return everyCell;
    }
    if (op == u'R') {
        selection.Reset(index);
        return everyCell;
    }
    if (op == u'Z') {
        selection.Clear();
        return everyCell;
    }
    if (op == u'N') {
        selection.SetAnchor(index);
        return 0;
    }
    if (op == u'E')
        return selection.ExtendTo(index);
    if (op == u'T')
        return selection.Toggle(index);
    if (op == u'A')
        return selection.Add(index);
    if (op == u'G') {
        std::vector<int> group;
        for (const QString& cell : argument.split(u','))
            group.push_back(cell.toInt());
        return selection.ToggleGroup(group);
    }
    qFatal("unknown step %s", qPrintable(step));
}

} // namespace

Q_DECLARE_METATYPE(DaySelection::Kind)

class tst_DaySelection : public QObject
{
    Q_OBJECT

private slots:
    void script_data();
    void script();
    void rangeLimit_data();
    void rangeLimit();
    void singleFollowsTheChosenDayOutsideTheCells();
};

void tst_DaySelection::script_data()
{
    QTest::addColumn<DaySelection::Kind>("kind");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    // One day: the chosen one, whatever else happens.
    QTest::newRow("single: the chosen day") << DaySelection::Single << "R3 C7" << "7" << 1 << 7 << 7;
    QTest::newRow("single: extension ignored") << DaySelection::Single << "C7 R7 E20" << "7" << 1 << 7 << 7;
    QTest::newRow("single: first cell") << DaySelection::Single << "C0 R0" << "0" << 1 << 0 << 0;
    QTest::newRow("single: last cell") << DaySelection::Single << "C41 R41" << "41" << 1 << 41 << 41;

    // A range: from the anchor to the end, either way round.
    QTest::newRow("range: one day") << DaySelection::Range << "R10" << "10" << 1 << 10 << 10;
    QTest::newRow("range: shift forward") << DaySelection::Range << "R10 E14" << "10-14" << 5 << 10 << 14;
    QTest::newRow("range: shift backward") << DaySelection::Range << "R10 E6" << "6-10" << 5 << 6 << 10;
    QTest::newRow("range: back over the anchor") << DaySelection::Range << "R10 E14 E8" << "8-10" << 3 << 8 << 10;
    QTest::newRow("range: down to cell 0") << DaySelection::Range << "R3 E0" << "0-3" << 4 << 0 << 3;
    QTest::newRow("range: up to cell 41") << DaySelection::Range << "R38 E41" << "38-41" << 4 << 38 << 41;
    QTest::newRow("range: the whole grid") << DaySelection::Range << "R41 E0" << "0-41" << 42 << 0 << 41;
    QTest::newRow("range: past the last cell") << DaySelection::Range << "R40 E42" << "40" << 1 << 40 << 40;
    QTest::newRow("range: before the first cell") << DaySelection::Range << "R1 E-1" << "1" << 1 << 1 << 1;
    QTest::newRow("range: reset drops it") << DaySelection::Range << "R10 E20 R25" << "25" << 1 << 25 << 25;
    QTest::newRow("range: no current cell") << DaySelection::Range << "R-1" << "0" << 1 << 0 << 0;

    // Separate days: presses, Ctrl presses, Shift blocks from the anchor.
    QTest::newRow("multi: ctrl presses") << DaySelection::Multi << "R3 T5 T9" << "3,5,9" << 3 << 9 << 9;
    QTest::newRow("multi: ctrl press toggles back") << DaySelection::Multi << "R3 T5 T5" << "3" << 1 << 5 << 5;
    QTest::newRow("multi: both ends") << DaySelection::Multi << "Z T0 T41" << "0,41" << 2 << 41 << 41;
    QTest::newRow("multi: shift forward keeps the others")
        << DaySelection::Multi << "R3 T10 E13" << "3,10-13" << 5 << 10 << 13;
    QTest::newRow("multi: shift backward keeps the others")
        << DaySelection::Multi << "R20 T10 E7" << "7-10,20" << 5 << 7 << 10;
    QTest::newRow("multi: shift shrinks") << DaySelection::Multi << "R3 T10 E13 E11" << "3,10-11" << 3 << 10 << 11;
    QTest::newRow("multi: shift crosses the anchor")
        << DaySelection::Multi << "R20 T10 E13 E7" << "7-10,20" << 5 << 7 << 10;
    QTest::newRow("multi: shift to cell 0") << DaySelection::Multi << "R2 E0" << "0-2" << 3 << 0 << 2;
    QTest::newRow("multi: shift to cell 41") << DaySelection::Multi << "R39 E41" << "39-41" << 3 << 39 << 41;
    QTest::newRow("multi: shift past the last cell") << DaySelection::Multi << "R39 E42" << "39" << 1 << 39 << 39;
    QTest::newRow("multi: shift adds the current day") << DaySelection::Multi << "Z N6 A6 E8" << "6-8" << 3 << 6 << 8;
    QTest::newRow("multi: add twice") << DaySelection::Multi << "R5 A9 A9" << "5,9" << 2 << 5 << 5;
    QTest::newRow("multi: cleared") << DaySelection::Multi << "R5 Z" << "" << 0 << 5 << 5;
    QTest::newRow("multi: group joins") << DaySelection::Multi << "R5 G0,7,14" << "0,5,7,14" << 4 << 5 << 5;
    QTest::newRow("multi: partly selected group fills")
        << DaySelection::Multi << "Z G0,7 G0,7,14" << "0,7,14" << 3 << 0 << 0;
    QTest::newRow("multi: selected group empties")
        << DaySelection::Multi << "R3 G0,7,41 G0,7,41" << "3" << 1 << 3 << 3;
    QTest::newRow("multi: whole grid") << DaySelection::Multi << "Z G0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,"
                                                                  "20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,"
                                                                  "37,38,39,40,41"
                                       << "0-41" << 42 << 0 << 0;
    QTest::newRow("multi: anchored after a group")
        << DaySelection::Multi << "Z G14,21 N21 E23" << "14,21-23" << 4 << 21 << 23;
}

void tst_DaySelection::script()
{
    QFETCH(DaySelection::Kind, kind);
    QFETCH(QString, steps);
    QFETCH(QString, selected);

    DaySelection selection;
    selection.SetKind(kind);
    for (const QString& step : steps.split(u' ')) {
        const QList<int> before = selectedCells(selection);
        const DaySelection::CellMask changed = runStep(selection, step);
        const QList<int> after = selectedCells(selection);
        // The calendar repaints only the cells a step reports: every cell that changed must be among them.
        for (int cell = 0; cell < DaySelection::CellCount; ++cell) {
            if (before.contains(cell) != after.contains(cell))
                QVERIFY2(changed & (DaySelection::CellMask(1) << cell), qPrintable(step + " " + QString::number(cell)));
        }
    }
    QCOMPARE(selectedCells(selection), cellsOf(selected));
    QTEST(selection.Count(), "count");
    QTEST(selection.First(), "first");
    QTEST(selection.Last(), "last");
}

void tst_DaySelection::rangeLimit_data()
{
    QTest::addColumn<DaySelection::Kind>("kind");
    QTest::addColumn<int>("maxRange");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("forward within") << DaySelection::Range << 5 << 10 << 14 << true;
    QTest::newRow("forward one too far") << DaySelection::Range << 5 << 10 << 15 << false;
    QTest::newRow("backward within") << DaySelection::Range << 5 << 10 << 6 << true;
    QTest::newRow("backward one too far") << DaySelection::Range << 5 << 10 << 5 << false;
    QTest::newRow("one day only") << DaySelection::Range << 1 << 0 << 1 << false;
    QTest::newRow("one day, the anchor") << DaySelection::Range << 1 << 41 << 41 << true;
    QTest::newRow("whole grid, 0 to 41") << DaySelection::Range << 42 << 0 << 41 << true;
    QTest::newRow("41 back to 0, one short") << DaySelection::Range << 41 << 41 << 0 << false;
    QTest::newRow("no limit") << DaySelection::Range << 0 << 0 << 41 << true;
    QTest::newRow("negative means no limit") << DaySelection::Range << -3 << 0 << 41 << true;
    QTest::newRow("multi has no limit") << DaySelection::Multi << 5 << 10 << 30 << true;
    QTest::newRow("single has no limit") << DaySelection::Single << 5 << 10 << 30 << true;
}

void tst_DaySelection::rangeLimit()
{
    QFETCH(DaySelection::Kind, kind);
    QFETCH(int, maxRange);
    QFETCH(int, anchor);
    QFETCH(int, target);

    DaySelection selection;
    selection.SetKind(kind);
    selection.SetMaxRange(maxRange);
    QVERIFY(selection.MaxRange() >= 0);
    selection.Reset(anchor);
    QTEST(selection.CanExtendTo(target), "allowed");
}

void tst_DaySelection::singleFollowsTheChosenDayOutsideTheCells()
{
    // While the shown month changes, the chosen day may lie before the grid: no cell is selected then, and the
    // selection still starts at that day.
    DaySelection selection;
    selection.Reset(5);
    selection.SetChosen(-3);
    QCOMPARE(selectedCells(selection), QList<int>());
    QCOMPARE(selection.Count(), 1);
    QCOMPARE(selection.First(), -3);
    selection.SetChosen(45);
    QCOMPARE(selectedCells(selection), QList<int>());
    QCOMPARE(selection.Last(), 45);
}

QTEST_GUILESS_MAIN(tst_DaySelection)
#include "tst_DaySelection.moc"
