#pragma once

#include "dialogs/WindowPlacement.h"
#include "results/SearchFilter.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmSearch;
}

// The participant search window: finds profiles by any mix of details on the shared profiles dataset and hands
// the chosen file number back to the window that opened it. The test and results windows open it modally and
// afterwards read lbStatusText(): the file number, or "0" when nothing was chosen.
//
// A search replaces the profiles filter. Leaving with Select or Return puts the filter and the record position
// back as they were at the showing; the close box leaves the search's filter in force. The criteria stay from one
// showing to the next.
class TfrmSearch : public QDialog
{
    Q_OBJECT

public:
    // The data module must exist already (it is created before this window); nothing here reads the database.
    explicit TfrmSearch(QWidget* parent = nullptr);
    ~TfrmSearch() override;

    // The hand-back: the chosen file number in decimal, "0" for none.
    QString lbStatusText() const;

    // The criteria as the boxes hold them now.
    SearchCriteria criteria() const;

    void FormShow();
    void btReturnClick();
    void RzBitBtn1Click();
    void RzBitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpCriteriaBoxes();
    void setUpButtons();
    void setUpGrid();
    void setUpKeys();
    void restoreAndClose();

    const std::unique_ptr<Ui::TfrmSearch> m_ui;
    WindowPlacement m_placement{Placement::CentredEveryShow};
    // The profiles filter (empty when the dataset was not filtered) and record number at the last showing.
    QString SavedFilter;
    int SavedRecNo = 0;
};

extern TfrmSearch* frmSearch;
