#include "results/SearchForm.h"
#include "ui_SearchForm.h"

#include "calendar/Clock.h"
#include "controls/ShDateCtrls.h"
#include "data/DataModule.h"
#include "data/DataGridModel.h"
#include "data/ProfileTexts.h"
#include "data/ZarkU.h"
#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/KeyRule.h"
#include "dialogs/PictureButtonStyle.h"
#include "dialogs/SvgPixmap.h"
#include "results/ReadOnlyGrid.h"

#include <QHeaderView>
#include <QShowEvent>

TfrmSearch* frmSearch = nullptr;

namespace {

const QString designFontName = QStringLiteral("Tahoma");

// The grid's columns, right to left. Width 0 takes the default width of the field.
QList<GridColumn> profileColumns()
{
    return {
        {QStringLiteral("FileNo"), QStringLiteral("پرونده"), 50},
        {QStringLiteral("Date"), QStringLiteral("تاريخ آزمون"), 0},
        {QStringLiteral("GenderText"), QStringLiteral("جنسيت"), 0},
        {QStringLiteral("FName"), QStringLiteral("نام"), 150},
        {QStringLiteral("LName"), QStringLiteral("نام خانوادگي"), 150},
        {QStringLiteral("Age"), QStringLiteral("سن"), 40},
        {QStringLiteral("GradeText"), QStringLiteral("تحصيلات"), 150},
    };
}

// A column without a width of its own is as wide as ten characters (Date and GenderText both hold ten) or its
// title, whichever is wider, with a little room either side.
int defaultColumnWidth(const QFontMetrics& cells, const QFontMetrics& titles, const QString& title)
{
    constexpr int fieldCharacters = 10;
    constexpr int padding = 8;
    return qMax(cells.horizontalAdvance(QLatin1Char('0')) * fieldCharacters, titles.horizontalAdvance(title)) + padding;
}

} // namespace

TfrmSearch::TfrmSearch(QWidget* parent) : QDialog(parent), m_ui(new Ui::TfrmSearch)
{
    m_ui->setupUi(this);
    // A tool window whose only caption button is the close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(711, 448);
    const QFont windowFont = designFont(designFontName, 12);
    setFont(windowFont);
    // The group box's bold caption font must not reach the boxes inside it.
    m_ui->grpInfo->setFont(designFont(designFontName, 11, true));
    for (QWidget* child : m_ui->grpInfo->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setFont(windowFont);
    // The labels size themselves to their text from the left edge the layout gives them.
    for (QLabel* label : {m_ui->labelFileNo, m_ui->labelDate, m_ui->labelFName, m_ui->labelLName, m_ui->labelAge,
                          m_ui->labelGender, m_ui->labelGrade})
        label->adjustSize();

    setUpCriteriaBoxes();
    setUpButtons();
    setUpGrid();
    setUpKeys();
}

TfrmSearch::~TfrmSearch()
{
    if (frmSearch == this)
        frmSearch = nullptr;
}

void TfrmSearch::setUpCriteriaBoxes()
{
    // The lists' first item stands for every value; list index - 1 is the code.
    m_ui->cbGender->addItem(searchAllItemsText());
    m_ui->cbGender->addItems(genderListItems());
    m_ui->cbGrade->addItem(searchAllItemsText());
    m_ui->cbGrade->addItems(gradeListItems());
    m_ui->edFileNo->setDisplayFormat(QStringLiteral("0;(0)"));
    m_ui->edAge->setDisplayFormat(QStringLiteral(",0;(,0)"));
    m_ui->edAge->setBounds(0, 255);

    // Empty at first, but holding today, so its calendar and typed days start in the current month.
    TExShDatePicker* picker = m_ui->edDate;
    applyWindowPickerSettings(picker);
    picker->SetAllowNull(true);
    picker->SetDate(Clock::today());
    picker->SetUseCurrentDate(false);
    picker->SetIsNull(true);
}

void TfrmSearch::setUpButtons()
{
    const QSize pictureSize(16, 16);
    m_ui->btReturn->setIcon(svgIcon(QStringLiteral(":/search/search.svg"), pictureSize));
    m_ui->RzBitBtn1->setIcon(svgIcon(QStringLiteral(":/search/return.svg"), pictureSize));
    m_ui->RzBitBtn2->setIcon(svgIcon(QStringLiteral(":/search/select.svg"), pictureSize));
    for (QPushButton* button : {m_ui->btReturn, m_ui->RzBitBtn1, m_ui->RzBitBtn2})
        button->setStyle(PictureButtonStyle::shared());

    connect(m_ui->btReturn, &QPushButton::clicked, this, guardedSlot(this, &TfrmSearch::btReturnClick));
    connect(m_ui->RzBitBtn1, &QPushButton::clicked, this, guardedSlot(this, &TfrmSearch::RzBitBtn1Click));
    connect(m_ui->RzBitBtn2, &QPushButton::clicked, this, guardedSlot(this, &TfrmSearch::RzBitBtn2Click));
}

void TfrmSearch::setUpGrid()
{
    if (!Data)
        return;
    QTableView* grid = m_ui->RzDBGrid2;
    auto* model = new DataGridModel(&Data->dsProfiles, profileColumns(), this);
    setUpReadOnlyGrid(grid, model);
    const QFontMetrics cells(grid->font());
    const QFontMetrics titles(grid->horizontalHeader()->font());
    for (int column = 0; column < model->columnCount(); ++column)
        if (model->columnWidth(column) == 0)
            grid->setColumnWidth(column, defaultColumnWidth(cells, titles, model->columns()[column].title));
    connect(grid, &QTableView::doubleClicked, this, guardedSlot(this, &TfrmSearch::RzBitBtn2Click));
}

void TfrmSearch::setUpKeys()
{
    installWindowKeyRule(this);
    // Beyond the rule: Enter in a criteria box searches, Enter on the grid chooses the highlighted participant.
    for (QWidget* box : std::initializer_list<QWidget*>{m_ui->edFileNo, m_ui->edDate, m_ui->edFName, m_ui->edLName,
                                                        m_ui->edAge, m_ui->cbGender, m_ui->cbGrade})
        setEnterAction(box, [this] { btReturnClick(); });
    setEnterAction(m_ui->RzDBGrid2, [this] { RzBitBtn2Click(); });
}

QString TfrmSearch::lbStatusText() const
{
    return m_ui->lbStatus->text();
}

SearchCriteria TfrmSearch::criteria() const
{
    SearchCriteria c;
    c.fileNo = m_ui->edFileNo->value();
    c.fileNoText = m_ui->edFileNo->text();
    if (!m_ui->edDate->IsNull())
        c.date = m_ui->edDate->Date();
    c.firstName = m_ui->edFName->text();
    c.lastName = m_ui->edLName->text();
    c.age = m_ui->edAge->value();
    c.ageText = m_ui->edAge->text();
    c.genderIndex = m_ui->cbGender->currentIndex();
    c.gradeIndex = m_ui->cbGrade->currentIndex();
    return c;
}

void TfrmSearch::FormShow()
{
    m_ui->lbStatus->setText(QStringLiteral("0"));
    TableDataSet& profiles = Data->tbProfiles;
    SavedFilter = IfThenVar(profiles.filtered(), profiles.filter(), QString());
    SavedRecNo = profiles.recNo();
}

void TfrmSearch::btReturnClick()
{
    TableDataSet& profiles = Data->tbProfiles;
    profiles.setFilter(SearchFilterText(criteria()));
    // With filtering on already, setting the text has applied it; switching it on again would filter twice.
    if (!profiles.filtered())
        profiles.setFiltered(true);
}

void TfrmSearch::RzBitBtn1Click()
{
    m_ui->lbStatus->setText(QStringLiteral("0"));
    restoreAndClose();
}

void TfrmSearch::RzBitBtn2Click()
{
    const TableDataSet& profiles = Data->tbProfiles;
    m_ui->lbStatus->setText(profiles.recordCount() > 0
                                ? QString::number(profiles.fieldByName(QStringLiteral("FileNo")).asInteger())
                                : QStringLiteral("0"));
    restoreAndClose();
}

void TfrmSearch::restoreAndClose()
{
    TableDataSet& profiles = Data->tbProfiles;
    profiles.setFilter(SavedFilter);
    profiles.setFiltered(!SavedFilter.isEmpty());
    profiles.setRecNo(SavedRecNo);
    close();
}

void TfrmSearch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_placement.place(this, event);
    if (event->spontaneous())
        return;
    guarded([this] { FormShow(); });
}
