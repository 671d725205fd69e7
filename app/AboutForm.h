#pragma once

#include "dialogs/WindowPlacement.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmAbout;
}

// The About box: title, edition, revision and credits on a gradient, closed with its Return button or its
// close box.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    void btReturnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const std::unique_ptr<Ui::TfrmAbout> m_ui;
    // Centred over the main window the first time; later showings stay where the box was left.
    WindowPlacement m_placement{Placement::CentredFirstShow};
};

extern TfrmAbout* frmAbout;
