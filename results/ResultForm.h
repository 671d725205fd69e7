#pragma once

#include "dialogs/WindowPlacement.h"
#include "results/ParticipantHeader.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TfrmResult;
}

class ChartsReport;
class DataGridModel;
class QAction;
class QMenu;
class QTableView;

// The results window: the operator looks a participant up by file number (or picks one in the search window
// with F1), the window refuses a test that is not finished, shows the participant's details and the scale and
// sub-scale scores, and enables the charts report. It works on the data module's shared datasets: a successful
// look-up leaves tbProfiles filtered to the participant and the score queries open on the participant's table.
class TfrmResult : public QDialog
{
    Q_OBJECT

public:
    // Binds the grids to the data module's dsTest1 and dsTest2: Data must exist. Touches no database.
    explicit TfrmResult(QWidget* parent = nullptr);
    ~TfrmResult() override;

    void FormShow();
    void btSearchClick();
    void btShowChartsClick();
    void Help1Click();

    // The caller's reset after the window has closed: file number and age 0, name, date and grade empty, the
    // charts button disabled. The hidden grade list keeps its choice.
    void clearParticipant();

    // The participant of the last successful look-up.
    const ParticipantHeader& participantHeader() const { return m_header; }
    // The charts report the window owns (frTest1).
    ChartsReport& chartsReport() const { return *m_frTest1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpGrid(QTableView* grid, DataGridModel* model);
    void showUserError(const QString& caption, const QString& text);
    void fillDetails();

    const std::unique_ptr<Ui::TfrmResult> m_ui;
    WindowPlacement m_placement{Placement::CentredEveryShow};
    QMenu* m_helpMenu = nullptr;
    QAction* m_help1 = nullptr;
    DataGridModel* m_scaleModel = nullptr;
    DataGridModel* m_subScaleModel = nullptr;
    ParticipantHeader m_header;
    ChartsReport* m_frTest1 = nullptr;
};

extern TfrmResult* frmResult;
