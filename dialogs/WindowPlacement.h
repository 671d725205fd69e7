#pragma once

class QShowEvent;
class QWidget;

// Where a window appears when it is shown: centred on the main window (a main window on its screen), at every showing
// or only at the first, after which it stays where the operator left it.
enum class Placement
{
    CentredEveryShow,
    CentredFirstShow,
};

// A window holds one and calls it from its showEvent:
//   void TfrmX::showEvent(QShowEvent* event) { QDialog::showEvent(event); m_placement.place(this, event); }
class WindowPlacement
{
public:
    explicit WindowPlacement(Placement placement) : m_placement(placement) {}

    // Places `window` as its placement says. A spontaneous show event (the window system restoring a
    // minimised window) moves nothing: the window comes back where it was.
    void place(QWidget* window, const QShowEvent* event = nullptr);

    // Whether the window has been placed at least once.
    bool placed() const { return m_placed; }

private:
    Placement m_placement;
    bool m_placed = false;
};
