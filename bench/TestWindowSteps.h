#pragma once

#include "dialogs/MessageFrm.h"
#include "dialogs/NumericEdit.h"
#include "testing/NewTestForm.h"

#include <QComboBox>
#include <QLineEdit>

// What the counsellor does in the test window before the timed step of a benchmark: leave a running test (the
// window asks first, and is answered yes), then type a new participant's details so that Start registers them.
inline void leaveRunningTest(TfrmNewTest& window)
{
    if (window.isTestRunning()) {
        SysMessageSeam::setNextAnswer(1);
        window.btNewFormClick();
    }
}

inline void typeNewParticipant(TfrmNewTest& window, int fileNo)
{
    leaveRunningTest(window);
    window.findChild<NumericEdit*>(QStringLiteral("edFileNo"))->setValue(fileNo);
    window.edFileNoExit();
    window.findChild<QLineEdit*>(QStringLiteral("edFName"))->setText(QStringLiteral("سارا"));
    window.findChild<QLineEdit*>(QStringLiteral("edLName"))->setText(QStringLiteral("احمدي"));
    window.findChild<NumericEdit*>(QStringLiteral("edAge"))->setValue(25);
    window.findChild<QComboBox*>(QStringLiteral("cbGender"))->setCurrentIndex(0);
    window.findChild<QComboBox*>(QStringLiteral("cbGrade"))->setCurrentIndex(3);
}
