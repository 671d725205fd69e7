#include "dialogs/DropDownList.h"

#include <QAbstractItemView>

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {}

void DropDownList::showPopup()
{
    QComboBox::showPopup();
    // The opened list puts its cursor on the first entry without marking it; without a cursor, the first Down
    // goes to the first entry and marks it.
    if (currentIndex() < 0)
        view()->selectionModel()->clear();
}
