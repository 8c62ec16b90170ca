#pragma once

#include <QPushButton>

namespace estrivo {

// A push button whose caption wraps onto a second line when the button is too narrow for it,
// as the window's small instrument buttons need ("Light On" in 33 pixels).
class CaptionButton : public QPushButton
{
    Q_OBJECT

public:
    CaptionButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace estrivo
