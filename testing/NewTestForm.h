#pragma once

#include "dialogs/WindowPlacement.h"
#include "testing/ParticipantRegistry.h"
#include "testing/QuestionnaireSession.h"

#include <QDialog>
#include <QPixmap>

#include <QByteArray>

#include <map>
#include <memory>
#include <optional>

namespace Ui {
class TfrmNewTest;
}

class QPushButton;

// The test window. Its upper part registers a participant or finds one by file number; starting the test grows
// the window to the question panel, where the participant answers the items one at a time. Every answer is in the
// database file the moment it is given.
class TfrmNewTest : public QDialog
{
    Q_OBJECT

public:
    // Client heights: registration only, and with the question panel.
    static constexpr int RegistrationClientHeight = 138;
    static constexpr int QuestionnaireClientHeight = 363;
    // A window taller than this (outer height) is running a test.
    static constexpr int RunningOuterHeight = 200;

    explicit TfrmNewTest(QWidget* parent = nullptr);
    ~TfrmNewTest() override;

    // The height the caller sets before showing the window: 175 marks it idle, so showing resets it without asking.
    int outerHeight() const;
    void setOuterHeight(int outerHeight);
    bool isTestRunning() const;

    void FormShow();
    void btNewFormClick();
    void edFileNoExit();
    void Help1Click();
    void btStartClick();
    void btReturnClick();

    void ShowQuestion();
    void CheckAnswerStatus();
    void btCAgreeClick(QPushButton* button);
    void btPrevQuestionClick();
    void btNextQuestionClick();
    void btEndClick();

    // The file name the answer indicator's picture is written to, in the current working directory.
    static QString answerPictureFileName();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The data module's participants and question table, reached when a handler runs (never at construction).
    static ParticipantRegistry registry();
    static QuestionnaireSession session();

    void setUpFonts();
    void setUpDetails();
    void setUpButtons();
    void setUpQuestionPanel();
    void connectHandlers();

    void setHeightAndCentreVertically(int clientHeight);
    void emptyDetails();
    void showProfile(const StoredProfile& profile);
    ParticipantDetails typedDetails() const;
    bool startNewParticipant();
    bool startRetest();
    bool questionsOpenForTypedNumber() const;
    void forgetOpenQuestions();
    void openQuestionPanel();
    void showCurrentItem();
    QPushButton* answerButton(int value) const;

    // An answer's indicator picture, drawn from its button's icon and encoded for temp.bmp once per window: the
    // indicator is shown at every step onto an answered item.
    struct AnswerPicture
    {
        QPixmap pixmap;
        QByteArray bmp;
    };
    const AnswerPicture& answerPicture(int value, const QPushButton& button);

    const std::unique_ptr<Ui::TfrmNewTest> m_ui;
    WindowPlacement m_placement;
    bool IsNewParticipant = false;
    // The participant whose question table tbQuestions is open on, as the last complete look-up or registration
    // left it; nothing after a look-up that failed half-way or a reset.
    std::optional<int> m_openFileNo;
    QString m_openTable;
    // The participant being tested since Start: End marks this profile completed.
    int m_testedFileNo = 0;
    std::map<int, AnswerPicture> m_answerPictures;
};

extern TfrmNewTest* frmNewTest;
