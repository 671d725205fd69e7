#pragma once

#include <QComboBox>

// The windows' drop-down lists of fixed entries (gender, grade). A list with no choice made yet opens with no
// entry marked, and the first Down marks the first entry, so Down and Enter choose the first entry. Qt's list
// would open resting unmarked on the first entry and the first Down would mark the second.
class DropDownList : public QComboBox
{
    Q_OBJECT

public:
    explicit DropDownList(QWidget* parent = nullptr);

    void showPopup() override;
};
