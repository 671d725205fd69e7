#include "results/ResultForm.h"
#include "ui_ResultForm.h"

#include "data/DataModule.h"
#include "data/DataGridModel.h"
#include "data/ProfileReread.h"
#include "data/ProfileTexts.h"
#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/KeyRule.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"
#include "dialogs/SvgPixmap.h"
#include "results/ChartsReport.h"
#include "results/ReadOnlyGrid.h"
#include "results/ScoreRebuild.h"
#include "results/SearchForm.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QShowEvent>

TfrmResult* frmResult = nullptr;

namespace {

const QString& userErrorCaption()
{
    static const QString caption = QStringLiteral("خطاي کاربر");
    return caption;
}

// Read-only boxes show they cannot be typed in by their colour, and show where the focus is by another.
const QString& readOnlyBoxStyle()
{
    static const QString style = QStringLiteral("QLineEdit { background-color: rgb(209, 227, 248); }"
                                                "QLineEdit:focus { background-color: rgb(166, 202, 240); }");
    return style;
}

ParticipantHeader currentParticipantHeader(const DataSet& profiles)
{
    ParticipantHeader header;
    header.fileNo = profiles.fieldByName(QStringLiteral("FileNo")).asInteger();
    header.date = profiles.fieldByName(QStringLiteral("Date")).asString();
    header.fullName = profiles.fieldByName(QStringLiteral("FullName")).asString();
    header.age = profiles.fieldByName(QStringLiteral("Age")).asInteger();
    header.gradeText = profiles.fieldByName(QStringLiteral("GradeText")).asString();
    return header;
}

} // namespace

TfrmResult::TfrmResult(QWidget* parent) : QDialog(parent), m_ui(new Ui::TfrmResult)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(542, 423);

    const QString tahoma = QStringLiteral("Tahoma");
    const QFont windowFont = designFont(tahoma, 12);
    setFont(windowFont);
    // The group box's caption has a font of its own; its children keep the window's.
    m_ui->grpInfo->setFont(designFont(tahoma, 11, true));
    for (QWidget* child : m_ui->grpInfo->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setFont(windowFont);
    for (QLabel* label : m_ui->grpInfo->findChildren<QLabel*>())
        label->adjustSize();

    m_ui->edFileNo->setDisplayFormat(QStringLiteral("0;(0)"));
    m_ui->edFileNo->setBounds(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    m_ui->edAge->setDisplayFormat(QStringLiteral(",0;(,0)"));
    for (QLineEdit* box : {static_cast<QLineEdit*>(m_ui->edName), static_cast<QLineEdit*>(m_ui->edDate),
                           static_cast<QLineEdit*>(m_ui->edAge), static_cast<QLineEdit*>(m_ui->edGrade)})
        box->setStyleSheet(readOnlyBoxStyle());
    m_ui->cbGrade->addItems(gradeListItems());
    m_ui->cbGrade->hide();

    m_ui->btSearch->setIcon(svgIcon(QStringLiteral(":/results/lookup.svg"), QSize(16, 16)));
    m_ui->btShowCharts->setIcon(svgIcon(QStringLiteral(":/results/charts-button.svg"), QSize(16, 16)));
    for (QPushButton* button : {m_ui->btSearch, m_ui->btShowCharts})
        button->setStyle(PictureButtonStyle::shared());

    m_scaleModel = new DataGridModel(&Data->dsTest1,
                                     {{QStringLiteral("Group1"), QStringLiteral("عنوان تست"), 167},
                                      {QStringLiteral("Per"), QStringLiteral("نمره از 100"), 0}},
                                     this);
    m_subScaleModel = new DataGridModel(&Data->dsTest2,
                                        {{QStringLiteral("Group2"), QStringLiteral("عنوان تست"), 169},
                                         {QStringLiteral("Per"), QStringLiteral("نمره از 100"), 0}},
                                        this);
    setUpGrid(m_ui->RzDBGrid1, m_scaleModel);
    setUpGrid(m_ui->RzDBGrid2, m_subScaleModel);

    m_frTest1 = new ChartsReport(this);

    // The hidden menu exists for its F1 shortcut, which acts anywhere in the window.
    m_helpMenu = new QMenu(this);
    m_helpMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_help1 = m_helpMenu->addAction(QString());
    m_help1->setObjectName(QStringLiteral("Help1"));
    m_help1->setShortcut(Qt::Key_F1);
    m_help1->setShortcutContext(Qt::WindowShortcut);
    addAction(m_help1);

    installWindowKeyRule(this);
    // Enter in the file-number box looks the number up, as Enter in the search window's criteria searches.
    setEnterAction(m_ui->edFileNo, [this] { btSearchClick(); });

    connect(m_ui->btSearch, &QPushButton::clicked, this, guardedSlot(this, &TfrmResult::btSearchClick));
    connect(m_ui->btShowCharts, &QPushButton::clicked, this, guardedSlot(this, &TfrmResult::btShowChartsClick));
    connect(m_help1, &QAction::triggered, this, guardedSlot(this, &TfrmResult::Help1Click));
}

TfrmResult::~TfrmResult()
{
    if (frmResult == this)
        frmResult = nullptr;
}

void TfrmResult::setUpGrid(QTableView* grid, DataGridModel* model)
{
    // A column without a width of its own starts narrow and the last one takes the rest of the grid, so no
    // scroll bar hides a row.
    grid->horizontalHeader()->setDefaultSectionSize(64);
    grid->horizontalHeader()->setStretchLastSection(true);
    setUpReadOnlyGrid(grid, model);
}

void TfrmResult::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_placement.place(this, event);
    guarded([this] { FormShow(); });
}

void TfrmResult::FormShow()
{
    m_ui->edFileNo->setFocus();
}

void TfrmResult::showUserError(const QString& caption, const QString& text)
{
    SysMessage(caption, text, Buttons::Ok, Icon::Notice, DefaultButton::First);
}

void TfrmResult::btSearchClick()
{
    m_ui->btShowCharts->setEnabled(false);
    TableDataSet& profiles = Data->tbProfiles;
    profiles.setFiltered(false);
    profiles.setFilter(QString());

    const qint64 fileNo = m_ui->edFileNo->value();
    if (fileNo <= 0) {
        showUserError(userErrorCaption(), QStringLiteral("شماره پرونده شخص مورد نظر را وارد کنيد!"));
        return;
    }
    // Ordered by file number first, so finding the profile in memory is a binary search.
    profiles.setIndexFieldNames(QStringLiteral("FileNo"));
    rereadProfilesIfStale(*Data, fileNo);
    if (!profiles.locate(QStringLiteral("FileNo"), fileNo)) {
        showUserError(userErrorCaption(), QStringLiteral("پروندهاي با اين شماره يافت نشد!"));
        m_ui->edFileNo->setFocus();
        return;
    }
    const QString storedFileNo = QString::number(profiles.fieldByName(QStringLiteral("FileNo")).asInteger());
    if (!profiles.fieldByName(QStringLiteral("Completed")).asBoolean()) {
        showUserError(QStringLiteral("آزمون ناتمام"), QStringLiteral("شرکت کننده با شماره پرونده ") + storedFileNo +
                                                          QStringLiteral(" آزمون خود را به اتمام نرسانيده است!"));
        m_ui->edFileNo->setFocus();
        return;
    }
    profiles.setFilter(QStringLiteral("FileNo=") + storedFileNo);
    profiles.setFiltered(true);

    fillDetails();
    rebuildScoreQueries(*Data, profiles.fieldByName(QStringLiteral("QTable")).asString());
    m_header = currentParticipantHeader(profiles);
    m_ui->btShowCharts->setEnabled(true);
}

void TfrmResult::fillDetails()
{
    const TableDataSet& profiles = Data->tbProfiles;
    m_ui->edDate->setText(profiles.fieldByName(QStringLiteral("Date")).asString());
    m_ui->edName->setText(profiles.fieldByName(QStringLiteral("FullName")).asString());
    m_ui->edAge->setValue(profiles.fieldByName(QStringLiteral("Age")).asInteger());
    m_ui->cbGrade->setCurrentIndex(profiles.fieldByName(QStringLiteral("Grade")).asInteger());
    m_ui->edGrade->setText(m_ui->cbGrade->currentText());
}

void TfrmResult::btShowChartsClick()
{
    m_frTest1->PrepareReport(*Data, m_header);
    m_frTest1->ShowPreparedReport(this);
}

void TfrmResult::Help1Click()
{
    if (focusWidget() != m_ui->edFileNo)
        return;
    frmSearch->exec();
    const int chosen = frmSearch->lbStatusText().toInt();
    if (chosen <= 0)
        return;
    m_ui->edFileNo->setValue(chosen);
    btSearchClick();
}

void TfrmResult::clearParticipant()
{
    m_ui->edFileNo->setValue(0);
    m_ui->edAge->setValue(0);
    m_ui->edName->clear();
    m_ui->edGrade->clear();
    m_ui->edDate->clear();
    m_ui->btShowCharts->setEnabled(false);
}
