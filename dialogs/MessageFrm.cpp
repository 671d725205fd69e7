#include "dialogs/MessageFrm.h"
#include "ui_MessageFrm.h"

#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/PictureButtonStyle.h"
#include "dialogs/SvgPixmap.h"
#include "dialogs/WindowGeometry.h"

#include <QAction>
#include <QCloseEvent>
#include <QPalette>

TfrmMessage* frmMessage = nullptr;

namespace {

constexpr QSize OuterSize(520, 210);
constexpr int ButtonBottomGap = 4;
constexpr int ButtonHeight = 32;

struct ButtonSet
{
    const char16_t* captions[3];
    int lefts[3]; // 0: the button is not part of the set
};

// In reading order (right to left) the first button of a set is the rightmost.
const ButtonSet ButtonSets[4] = {
    {{u"قبول", nullptr, nullptr}, {5, 0, 0}},
    {{u"بلي", u"خير", nullptr}, {109, 5, 0}},
    {{u"ادامه", u"انصراف", nullptr}, {109, 5, 0}},
    {{u"بلي", u"خير", u"انصراف"}, {213, 109, 5}},
};

QList<int>& queuedAnswers()
{
    static QList<int> answers;
    return answers;
}

QList<SysMessageCall>& recordedCalls()
{
    static QList<SysMessageCall> calls;
    return calls;
}

// The record is for tests; in a long session only the latest calls are kept.
constexpr qsizetype MaxRecordedCalls = 1000;

void record(const SysMessageCall& call)
{
    QList<SysMessageCall>& calls = recordedCalls();
    if (calls.size() >= MaxRecordedCalls)
        calls.removeFirst();
    calls.append(call);
}

} // namespace

TfrmMessage::TfrmMessage(QWidget* parent) : QDialog(parent), m_ui(new Ui::TfrmMessage)
{
    m_ui->setupUi(this);
    // A tool window without caption buttons that stays above every other window.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setFont(designFont(QStringLiteral("Tahoma"), 11));
    m_ui->msgText->setFont(designFont(QStringLiteral("Tahoma"), 13));
    setFixedSize(clientSizeForOuter(OuterSize));

    QPalette white = m_ui->msgPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    m_ui->msgPanel->setPalette(white);
    m_ui->Shape1->setPalette(white);

    const QSize iconSize(48, 48);
    m_ui->imgOK->setPixmap(svgPixmap(QStringLiteral(":/dialogs/shield-ok.svg"), iconSize));
    m_ui->imgDan->setPixmap(svgPixmap(QStringLiteral(":/dialogs/shield-danger.svg"), iconSize));
    m_ui->imgInfo->setPixmap(svgPixmap(QStringLiteral(":/dialogs/shield-info.svg"), iconSize));
    m_ui->imgHelp->setPixmap(svgPixmap(QStringLiteral(":/dialogs/shield-help.svg"), iconSize));

    // The pictures belong to the buttons, whatever caption a call gives them.
    const QSize pictureSize(16, 16);
    m_ui->btKey1->setIcon(svgIcon(QStringLiteral(":/dialogs/check.svg"), pictureSize));
    m_ui->btKey2->setIcon(svgIcon(QStringLiteral(":/dialogs/no-entry.svg"), pictureSize));
    m_ui->btKey3->setIcon(svgIcon(QStringLiteral(":/dialogs/return.svg"), pictureSize));
    for (QPushButton* key : {m_ui->btKey1, m_ui->btKey2, m_ui->btKey3})
        key->setStyle(PictureButtonStyle::shared());

    // The hidden menu's only command.
    auto* quit = new QAction(this);
    quit->setObjectName(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence(Qt::Key_Escape));
    quit->setShortcutContext(Qt::WindowShortcut);
    addAction(quit);

    connect(m_ui->btKey1, &QPushButton::clicked, this, guardedSlot(this, &TfrmMessage::btKey1Click));
    connect(m_ui->btKey2, &QPushButton::clicked, this, guardedSlot(this, &TfrmMessage::btKey2Click));
    connect(m_ui->btKey3, &QPushButton::clicked, this, guardedSlot(this, &TfrmMessage::btKey3Click));
    connect(quit, &QAction::triggered, this, guardedSlot(this, &TfrmMessage::QuitClick));
}

TfrmMessage::~TfrmMessage()
{
    if (frmMessage == this)
        frmMessage = nullptr;
}

QPushButton* TfrmMessage::button(int number) const
{
    switch (number) {
    case 1:
        return m_ui->btKey1;
    case 2:
        return m_ui->btKey2;
    case 3:
        return m_ui->btKey3;
    default:
        return nullptr;
    }
}

void TfrmMessage::prepare(const QString& caption, const QString& text, int buttons, int icon, int defaultButton)
{
    for (int i = 1; i <= 3; ++i)
        button(i)->hide();
    for (QLabel* image : {m_ui->imgOK, m_ui->imgDan, m_ui->imgInfo, m_ui->imgHelp})
        image->hide();

    setWindowTitle(caption);
    m_ui->msgText->setText(text);
    m_ui->msgText->resize(m_ui->msgText->width(), qMax(100, m_ui->msgText->heightForWidth(430)));

    // A set out of range would leave no button, and a dialog that refuses to close without one would hold
    // the program for good: it gets the OK button instead.
    const ButtonSet& set = ButtonSets[buttons >= 0 && buttons < 4 ? buttons : 0];
    for (int i = 0; i < 3; ++i) {
        if (!set.captions[i])
            continue;
        QPushButton* key = button(i + 1);
        key->setText(QString::fromUtf16(set.captions[i]));
        key->move(set.lefts[i], key->y());
        key->show();
    }
    for (int i = 1; i <= 3; ++i)
        button(i)->setDefault(i == 1);

    switch (icon) {
    case 1:
        m_ui->imgOK->show();
        break;
    case 2:
        m_ui->imgDan->show();
        break;
    case 3:
        m_ui->imgInfo->show();
        break;
    case 4:
        m_ui->imgHelp->show();
        break;
    default:
        break;
    }

    m_ui->lbFocus->setText(QString::number(defaultButton));
}

int TfrmMessage::status() const
{
    return m_ui->lbStatus->text().toInt();
}

void TfrmMessage::setStatus(int status)
{
    m_ui->lbStatus->setText(QString::number(status));
}

void TfrmMessage::setPanelHeight(int height)
{
    m_ui->msgPanel->resize(width(), height);
    m_ui->Shape1->resize(width(), height);
}

void TfrmMessage::FormShow()
{
    setFixedSize(clientSizeForOuter(OuterSize));
    setPanelHeight(130);

    int focus = m_ui->lbFocus->text().toInt();
    if (focus == 0)
        focus = 1;
    // A default the set does not show would leave Enter on a hidden button: the first button keeps it.
    if (button(focus) && button(focus)->isHidden())
        focus = 1;
    if (QPushButton* key = button(focus)) {
        for (int i = 1; i <= 3; ++i)
            button(i)->setDefault(i == focus);
        key->setFocus(Qt::OtherFocusReason);
    }

    setStatus(0);
    m_cancelled = false;

    // The label is at least 100 high, so the window always takes the text's height.
    const int textHeight = m_ui->msgText->height();
    if (textHeight > 90) {
        setFixedSize(width(), clientHeightForOuter(textHeight + 125));
        setPanelHeight(textHeight + 40);
    }
    m_ui->msgText->move(10, m_ui->msgText->y());
}

bool TfrmMessage::FormCloseQuery() const
{
    return status() >= 1 || m_cancelled;
}

void TfrmMessage::btKey1Click()
{
    setStatus(1);
    close();
}

void TfrmMessage::btKey2Click()
{
    setStatus(2);
    close();
}

void TfrmMessage::btKey3Click()
{
    // The third button only appears as Cancel (set 3): it closes with no answer, which every caller reads as No.
    setStatus(0);
    m_cancelled = true;
    close();
}

void TfrmMessage::QuitClick()
{
    // Esc cancels where the set offers Cancel; elsewhere the operator has to pick an answer.
    if (!m_ui->btKey3->isHidden()) {
        btKey3Click();
        return;
    }
    setStatus(0);
    close();
}

void TfrmMessage::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    m_placement.place(this, event);
}

void TfrmMessage::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    done(status());
}

void TfrmMessage::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The buttons keep their distance from the bottom edge when the window grows.
    for (int i = 1; i <= 3; ++i)
        button(i)->move(button(i)->x(), height() - ButtonHeight - ButtonBottomGap);
}

void TfrmMessage::reject()
{
    // QDialog's own Esc handling and any close request end here instead of hiding the dialog unanswered.
    QuitClick();
}

int SysMessage(const QString& caption, const QString& text, int buttons, int icon, int defaultButton)
{
    SysMessageCall call{caption, text, buttons, icon, defaultButton, 0, false};
    if (!queuedAnswers().isEmpty()) {
        call.answer = queuedAnswers().takeFirst();
        record(call);
        return call.answer;
    }

    // Windows and tests that never created the dialog still get one; it lives as long as the process, like
    // the one main() creates.
    if (!frmMessage)
        frmMessage = new TfrmMessage;
    std::unique_ptr<TfrmMessage> nested;
    TfrmMessage* dialog = frmMessage;
    if (dialog->isVisible()) {
        nested = std::make_unique<TfrmMessage>();
        dialog = nested.get();
    }

    dialog->prepare(caption, text, buttons, icon, defaultButton);
    dialog->exec();
    call.answer = dialog->status();
    call.shown = true;
    record(call);
    return call.answer;
}

namespace SysMessageSeam {

void setNextAnswer(int answer)
{
    queuedAnswers().append(answer);
}

void setNextAnswers(std::initializer_list<int> answers)
{
    for (int answer : answers)
        queuedAnswers().append(answer);
}

int pendingAnswers()
{
    return int(queuedAnswers().size());
}

void clearAnswers()
{
    queuedAnswers().clear();
}

QList<SysMessageCall> calls()
{
    return recordedCalls();
}

void clearCalls()
{
    recordedCalls().clear();
}

} // namespace SysMessageSeam
