#pragma once

#include <QLabel>

// A transparent label whose text can be drawn raised (light above-left, shadow below-right) or recessed
// (engraved: a light copy below-right), as the title and credit lines of the main window and About box are.
class EffectLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(TextEffect textEffect READ textEffect WRITE setTextEffect)

public:
    enum TextEffect
    {
        Plain,
        Raised,
        Recessed
    };
    Q_ENUM(TextEffect)

    explicit EffectLabel(QWidget* parent = nullptr);

    TextEffect textEffect() const { return m_effect; }
    void setTextEffect(TextEffect effect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextEffect m_effect = Plain;
};
