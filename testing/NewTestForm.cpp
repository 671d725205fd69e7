#include "testing/NewTestForm.h"
#include "ui_NewTestForm.h"

#include "calendar/Clock.h"
#include "calendar/ShDateUtils.h"
#include "controls/ShDateCtrls.h"
#include "data/DataModule.h"
#include "data/ProfileTexts.h"
#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/KeyRule.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"
#include "dialogs/SvgPixmap.h"
#include "dialogs/WindowGeometry.h"
#include "results/SearchForm.h"
#include "testing/AnswerKeys.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QApplication>
#include <QImageWriter>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QShowEvent>

#include <limits>
#include <stdexcept>

TfrmNewTest* frmNewTest = nullptr;

namespace {

const QString tahoma = QStringLiteral("Tahoma");
const QSize pictureSize(16, 16);

QIcon picture(const char* name)
{
    return svgIcon(QStringLiteral(":/testing/%1.svg").arg(QLatin1String(name)), pictureSize);
}

TData& requireData()
{
    if (!Data)
        throw std::logic_error("The data module has not been created");
    return *Data;
}

// The picture of an answer, written where the indicator has always read it from. Throws when the file cannot be
// written; the caller then leaves the indicator as it was.
// Written over the previous picture instead of emptying the file first: on Linux file systems an emptied and
// rewritten file is forced to the disk when it is closed (to protect programs that replace files that way), which
// cost more than the rest of an answer together.
void writeAnswerPicture(const QByteArray& bmp, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite) || file.write(bmp) != bmp.size() ||
        (file.size() > bmp.size() && !file.resize(bmp.size())) || !file.flush())
        throw std::runtime_error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
}

// The two item numbers stand in the gaps of the caption "... «      » از «      »", gaps of blanks whose width
// depends on the font the design's Tahoma is drawn with. Spaces the blanks and moves the centred caption so that
// each gap is centred on its number, whatever the font: otherwise a wide number runs into a guillemet.
void centreGapsOnNumbers(QLabel* caption, const QLabel* rightNumber, const QLabel* leftNumber)
{
    static const QRegularExpression gap(QStringLiteral(" {2,}"));
    const QString text = caption->text();
    QList<QRegularExpressionMatch> gaps;
    for (QRegularExpressionMatchIterator it = gap.globalMatch(text); it.hasNext();)
        gaps << it.next();
    if (gaps.size() != 2 || gaps[0].capturedLength() != gaps[1].capturedLength())
        return;
    const int blanksInGap = int(gaps[0].capturedLength());
    const QString before = text.left(gaps[0].capturedStart());
    const QString between = text.mid(gaps[0].capturedEnd(), gaps[1].capturedStart() - gaps[0].capturedEnd());
    const QString after = text.mid(gaps[1].capturedEnd());

    QFont font = caption->font();
    const QFontMetricsF plain(font);
    const qreal blank = plain.horizontalAdvance(QLatin1Char(' '));
    const int blanksBetween = int(between.count(QLatin1Char(' ')));
    const int blanksOutside = int(before.count(QLatin1Char(' ')) + after.count(QLatin1Char(' ')));
    // Right to left: `before` ends at the right gap, `between` lies between the gaps.
    const qreal numbersApart = rightNumber->geometry().center().x() - leftNumber->geometry().center().x();
    const qreal spacing = (numbersApart - blanksInGap * blank - plain.horizontalAdvance(between)) /
                          (blanksInGap + blanksBetween);
    const qreal gapWidth = blanksInGap * (blank + spacing);
    const qreal beforeWidth = plain.horizontalAdvance(before) + before.count(QLatin1Char(' ')) * spacing;
    const qreal width = plain.horizontalAdvance(text) + (2 * blanksInGap + blanksBetween + blanksOutside) * spacing;
    // Where the right gap's centre lies from the caption's centre, and how far the caption must move for it.
    const qreal rightGapFromCentre = width / 2 - beforeWidth - gapWidth / 2;
    const qreal shift = rightNumber->geometry().center().x() - caption->geometry().center().x() - rightGapFromCentre;
    font.setWordSpacing(spacing);
    caption->setFont(font);
    const int margin = qRound(2 * qAbs(shift));
    caption->setContentsMargins(shift > 0 ? margin : 0, 0, shift < 0 ? margin : 0, 0);
}

// Drops the repeats of a held key aimed at the answer buttons, before anything else sees them (the window's key
// rule presses a focused button on every Enter it gets), so a held key answers one item and not every item after.
class HeldKeyGuard : public QObject
{
public:
    HeldKeyGuard(QObject* parent, QList<QObject*> buttons) : QObject(parent), m_buttons(std::move(buttons))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
               m_buttons.contains(watched);
    }

private:
    QList<QObject*> m_buttons;
};

} // namespace

TfrmNewTest::TfrmNewTest(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::TfrmNewTest), m_placement(Placement::CentredFirstShow)
{
    m_ui->setupUi(this);
    // A tool window whose only caption button is the close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(563, RegistrationClientHeight);
    m_ui->grpQuestion->hide();
    m_ui->imgAns->hide();
    setUpFonts();
    setUpDetails();
    setUpButtons();
    setUpQuestionPanel();
    installWindowKeyRule(this);
    new HeldKeyGuard(this, {m_ui->btCAgree, m_ui->btAgree, m_ui->btSoSo, m_ui->btDisagree, m_ui->btCDisagree});
    connectHandlers();
}

TfrmNewTest::~TfrmNewTest()
{
    if (frmNewTest == this)
        frmNewTest = nullptr;
}

ParticipantRegistry TfrmNewTest::registry()
{
    return ParticipantRegistry(requireData());
}

QuestionnaireSession TfrmNewTest::session()
{
    return QuestionnaireSession(requireData().tbQuestions);
}

void TfrmNewTest::setUpFonts()
{
    setFont(designFont(tahoma, 11));
    // The group boxes' captions are bold; their contents are not.
    for (QGroupBox* box : {m_ui->grpInfo, m_ui->grpQuestion}) {
        box->setFont(designFont(tahoma, 11, true));
        for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->setFont(designFont(tahoma, 11));
    }
    for (QLabel* number : {m_ui->lbQNo, m_ui->lbQTotal}) {
        number->setFont(designFont(tahoma, 19));
        QPalette maroon = number->palette();
        maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
        number->setPalette(maroon);
    }
    m_ui->lbQuestion->setFont(designFont(tahoma, 16));
    // The single-line captions take the width of their text from the left edge the layout gives them.
    for (QLabel* label : {m_ui->labelFileNo, m_ui->labelDate, m_ui->labelFName, m_ui->labelLName, m_ui->labelAge,
                          m_ui->labelGender, m_ui->labelGrade, m_ui->RzLabel8})
        label->adjustSize();
}

void TfrmNewTest::setUpDetails()
{
    m_ui->edFileNo->setDisplayFormat(QStringLiteral("0;(0)"));
    m_ui->edFileNo->setBounds(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    m_ui->edAge->setDisplayFormat(QStringLiteral(",0;(,0)"));
    m_ui->edAge->setBounds(0, 255);
    applyWindowPickerSettings(m_ui->edDate);
    m_ui->cbGender->addItems(genderListItems());
    m_ui->cbGrade->addItems(gradeListItems());
    m_ui->cbGender->setCurrentIndex(-1);
    m_ui->cbGrade->setCurrentIndex(-1);
}

void TfrmNewTest::setUpButtons()
{
    m_ui->btStart->setIcon(picture("flag"));
    m_ui->btNewForm->setIcon(picture("new-form"));
    m_ui->btReturn->setIcon(picture("house"));
    m_ui->btEnd->setIcon(picture("end-test"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setStyle(PictureButtonStyle::shared());
    // Hidden: F1 acts in the whole window, the handler decides whether the file-number box has the focus.
    addAction(m_ui->Help1);
}

void TfrmNewTest::setUpQuestionPanel()
{
    centreGapsOnNumbers(m_ui->RzLabel7, m_ui->lbQNo, m_ui->lbQTotal);
    m_ui->btPrevQuestion->setIcon(picture("triangle-right"));
    m_ui->btNextQuestion->setIcon(picture("triangle-left"));
    m_ui->btCAgree->setIcon(picture("disc-green"));
    m_ui->btAgree->setIcon(picture("disc-blue"));
    m_ui->btSoSo->setIcon(picture("disc-white"));
    m_ui->btDisagree->setIcon(picture("disc-orange"));
    m_ui->btCDisagree->setIcon(picture("disc-pale-red"));
}

void TfrmNewTest::connectHandlers()
{
    connect(m_ui->btStart, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btStartClick));
    connect(m_ui->btNewForm, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btNewFormClick));
    connect(m_ui->btReturn, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btReturnClick));
    connect(m_ui->Help1, &QAction::triggered, this, guardedSlot(this, &TfrmNewTest::Help1Click));
    connect(m_ui->btPrevQuestion, &QToolButton::clicked, this,
            guardedSlot(this, &TfrmNewTest::btPrevQuestionClick));
    connect(m_ui->btNextQuestion, &QToolButton::clicked, this,
            guardedSlot(this, &TfrmNewTest::btNextQuestionClick));
    connect(m_ui->btEnd, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btEndClick));
    for (int value = 1; value <= 5; ++value) {
        QPushButton* button = answerButton(value);
        connect(button, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btCAgreeClick, button));
    }
    m_ui->edFileNo->installEventFilter(this);
    m_ui->edAge->installEventFilter(this);
}

// --- heights --------------------------------------------------------------------------------------------------

int TfrmNewTest::outerHeight() const
{
    return outerHeightForClient(height());
}

void TfrmNewTest::setOuterHeight(int outerHeight)
{
    setFixedHeight(clientHeightForOuter(outerHeight));
}

bool TfrmNewTest::isTestRunning() const
{
    return outerHeight() > RunningOuterHeight;
}

void TfrmNewTest::setHeightAndCentreVertically(int clientHeight)
{
    setOuterHeight(outerHeightForClient(clientHeight));
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(x(), area.top() + (area.height() - outerHeight()) / 2);
}

// --- registration ---------------------------------------------------------------------------------------------

void TfrmNewTest::FormShow()
{
    btNewFormClick();
}

void TfrmNewTest::btNewFormClick()
{
    if (isTestRunning() && SysMessage(QStringLiteral("آزمون جديد"), QStringLiteral("اجراي آزمون جاري متوقف گردد؟"),
                                      Buttons::YesNo, Icon::Question, 2) != 1)
        return;
    m_ui->grpQuestion->setEnabled(false);
    m_ui->grpQuestion->hide();
    setHeightAndCentreVertically(RegistrationClientHeight);
    m_ui->btStart->setEnabled(true);
    m_ui->btReturn->setEnabled(true);
    m_ui->grpInfo->setEnabled(true);
    emptyDetails();
    IsNewParticipant = false;
    m_ui->edFileNo->setFocus();
}

void TfrmNewTest::emptyDetails()
{
    m_ui->edFileNo->setValue(0);
    m_ui->edDate->SetDate(Clock::today());
    m_ui->edFName->clear();
    m_ui->edLName->clear();
    m_ui->edAge->setValue(0);
    m_ui->cbGender->setCurrentIndex(-1);
    m_ui->cbGrade->setCurrentIndex(-1);
}

void TfrmNewTest::edFileNoExit()
{
    const std::optional<StoredProfile> profile = registry().lookUp(m_ui->edFileNo->value());
    if (!profile) {
        IsNewParticipant = true;
        m_ui->btStart->setText(QStringLiteral("شروع آزمون"));
        m_ui->btStart->setEnabled(!isTestRunning());
        return;
    }
    IsNewParticipant = false;
    m_ui->btStart->setText(QStringLiteral("آزمون مجدد"));
    // Until this look-up has got through, Start must not run a retest on whatever table was open before.
    forgetOpenQuestions();
    showProfile(*profile);
    requireData().OpenQuestionTable(profile->qTable);
    m_openFileNo = profile->fileNo;
    m_openTable = requireData().tbQuestions.tableName();
    m_ui->btStart->setEnabled(!isTestRunning());
}

void TfrmNewTest::forgetOpenQuestions()
{
    m_ui->btStart->setEnabled(false);
    requireData().tbQuestions.close();
    m_openFileNo.reset();
    m_openTable.clear();
}

void TfrmNewTest::showProfile(const StoredProfile& profile)
{
    m_ui->edDate->SetDate(ShStrToDate(profile.date));
    m_ui->edFName->setText(profile.fName);
    m_ui->edLName->setText(profile.lName);
    m_ui->edAge->setValue(profile.age);
    // Any gender code but 0 is male; a grade code outside the list leaves no grade chosen.
    m_ui->cbGender->setCurrentIndex(profile.gender == 0 ? 0 : 1);
    m_ui->cbGrade->setCurrentIndex(profile.grade >= 0 && profile.grade < m_ui->cbGrade->count() ? profile.grade : -1);
}

void TfrmNewTest::Help1Click()
{
    if (focusWidget() != m_ui->edFileNo)
        return;
    if (!frmSearch)
        throw std::logic_error("The search window has not been created");
    frmSearch->exec();
    const int chosen = frmSearch->lbStatusText().toInt();
    if (chosen > 0) {
        m_ui->edFileNo->setValue(chosen);
        edFileNoExit();
    }
}

void TfrmNewTest::btStartClick()
{
    const bool start = IsNewParticipant ? startNewParticipant() : startRetest();
    if (start)
        openQuestionPanel();
}

ParticipantDetails TfrmNewTest::typedDetails() const
{
    ParticipantDetails details;
    details.fileNo = m_ui->edFileNo->value();
    details.date = m_ui->edDate->Date();
    details.fName = m_ui->edFName->text();
    details.lName = m_ui->edLName->text();
    details.age = m_ui->edAge->value();
    details.gender = m_ui->cbGender->currentIndex();
    details.grade = m_ui->cbGrade->currentIndex();
    return details;
}

bool TfrmNewTest::startNewParticipant()
{
    const ParticipantDetails details = typedDetails();
    if (!details.isComplete()) {
        SysMessage(QStringLiteral("خطاي کاربر"),
                   QStringLiteral("براي شروع آزمون کامل کردن تمامي گزينههاي مشخصات \"شرکت کننده\" الزامي است."),
                   Buttons::Ok, Icon::Notice, 1);
        return false;
    }
    if (SysMessage(QStringLiteral("آزمون جديد"), QStringLiteral("براي شروع آزمون جديد تمايل داريد؟"),
                   Buttons::YesNo, Icon::Question, 2) != 1)
        return false;
    QString tableName;
    if (registry().registerParticipant(details, tableName) == ParticipantRegistry::Outcome::NumberTaken) {
        SysMessage(QStringLiteral("خطاي کاربر"),
                   QStringLiteral("اين شماره پرونده همين حالا در برنامه ديگري ثبت شد؛ آن را دوباره جستجو کنيد."),
                   Buttons::Ok, Icon::Notice, 1);
        return false;
    }
    m_openFileNo = int(details.fileNo);
    m_openTable = tableName;
    m_testedFileNo = int(details.fileNo);
    return true;
}

bool TfrmNewTest::questionsOpenForTypedNumber() const
{
    const TableDataSet& questions = requireData().tbQuestions;
    return m_openFileNo && *m_openFileNo == m_ui->edFileNo->value() && questions.isActive() &&
           questions.tableName() == m_openTable;
}

bool TfrmNewTest::startRetest()
{
    // The open question table must be this participant's: after a look-up that stopped half-way it may still be
    // the previous participant's, whose answers the retest would overwrite.
    if (!questionsOpenForTypedNumber()) {
        edFileNoExit();
        return false;
    }
    if (SysMessage(QStringLiteral("آزمون مجدد"), QStringLiteral("آيا تمايل به اجراي مجدد آزمون داريد؟"),
                   Buttons::YesNo, Icon::Question, 2) != 1)
        return false;
    m_testedFileNo = *m_openFileNo;
    return true;
}

void TfrmNewTest::openQuestionPanel()
{
    m_ui->btStart->setEnabled(false);
    m_ui->btReturn->setEnabled(false);
    setHeightAndCentreVertically(QuestionnaireClientHeight);
    session().startAtFirstItem();
    m_ui->grpQuestion->show();
    m_ui->grpQuestion->setEnabled(true);
    // No look-up may reopen the question table under the item on screen while the test runs.
    m_ui->grpInfo->setEnabled(false);
    showCurrentItem();
}

void TfrmNewTest::btReturnClick()
{
    close();
}

// --- questionnaire --------------------------------------------------------------------------------------------

void TfrmNewTest::showCurrentItem()
{
    ShowQuestion();
    CheckAnswerStatus();
}

void TfrmNewTest::ShowQuestion()
{
    const QuestionnaireSession::Item item = session().currentItem();
    m_ui->lbQuestion->setText(item.question);
    m_ui->lbQNo->setText(QString::number(item.position));
    m_ui->lbQTotal->setText(QString::number(item.total));
    m_ui->btSoSo->setFocus();
}

QString TfrmNewTest::answerPictureFileName()
{
    return QDir(QDir::currentPath()).filePath(QStringLiteral("temp.bmp"));
}

void TfrmNewTest::CheckAnswerStatus()
{
    const int answer = session().currentItem().answer;
    m_ui->imgAns->setVisible(answer > 0);
    if (answer <= 0)
        return;
    QPushButton* button = answerButton(answer);
    if (!button) {
        m_ui->imgAns->clear();
        return;
    }
    const AnswerPicture& picture = answerPicture(answer, *button);
    writeAnswerPicture(picture.bmp, answerPictureFileName());
    // Shown from memory: another program started in the same folder may overwrite the file before it is read.
    m_ui->imgAns->setPixmap(picture.pixmap);
}

const TfrmNewTest::AnswerPicture& TfrmNewTest::answerPicture(int value, const QPushButton& button)
{
    AnswerPicture& picture = m_answerPictures[value];
    if (picture.bmp.isEmpty()) {
        picture.pixmap = button.icon().pixmap(pictureSize);
        QBuffer buffer(&picture.bmp);
        buffer.open(QIODevice::WriteOnly);
        if (!QImageWriter(&buffer, "bmp").write(picture.pixmap.toImage()))
            throw std::runtime_error("Cannot encode the answer's indicator picture");
    }
    return picture;
}

QPushButton* TfrmNewTest::answerButton(int value) const
{
    switch (value) {
    case 1:
        return m_ui->btCDisagree;
    case 2:
        return m_ui->btDisagree;
    case 3:
        return m_ui->btSoSo;
    case 4:
        return m_ui->btAgree;
    case 5:
        return m_ui->btCAgree;
    default:
        return nullptr;
    }
}

void TfrmNewTest::btCAgreeClick(QPushButton* button)
{
    QuestionnaireSession questionnaire = session();
    questionnaire.answer(button->property("Tag").toInt());
    questionnaire.moveNext();
    // Shown again even when there was no next item, so a changed answer to the last item shows at once.
    showCurrentItem();
}

void TfrmNewTest::btPrevQuestionClick()
{
    if (session().movePrevious())
        showCurrentItem();
}

void TfrmNewTest::btNextQuestionClick()
{
    if (session().moveNext())
        showCurrentItem();
}

void TfrmNewTest::btEndClick()
{
    QuestionnaireSession questionnaire = session();
    const QuestionnaireSession::Unanswered unanswered = questionnaire.findUnanswered();
    if (unanswered.count > 0) {
        SysMessage(QStringLiteral("آزمون ناتمام"),
                   QStringLiteral("براي پايان دادن به آزمون جاري ميبايست به تمامي سوالات پاسخ دهيد. شما تعداد ") +
                       QString::number(unanswered.count) + QStringLiteral(" سوال بدون پاسخ داريد!"),
                   Buttons::Ok, Icon::Notice, 1);
        questionnaire.goToRow(unanswered.firstRow);
        showCurrentItem();
        return;
    }
    registry().markCompleted(m_testedFileNo);
    btNewFormClick();
}

// --- events ---------------------------------------------------------------------------------------------------

void TfrmNewTest::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_placement.place(this, event);
    guarded([this] { FormShow(); });
}

bool TfrmNewTest::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == m_ui->edFileNo || watched == m_ui->edAge)) {
        // Leaving the box within this window looks the number up; another window taking the focus (a message,
        // the search window) is no leaving. While a test runs the details are locked.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !isTestRunning())
            guarded([this] { edFileNoExit(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmNewTest::keyPressEvent(QKeyEvent* event)
{
    const int value = likertValueOfKey(event->key(), event->text());
    const bool commandKey = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (value > 0 && !commandKey && m_ui->grpQuestion->isVisible() && m_ui->grpQuestion->isEnabled()) {
        // One press, one answer: the repeats of a held key are dropped.
        if (!event->isAutoRepeat())
            answerButton(value)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
