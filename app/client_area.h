#pragma once

#include <QWidget>

namespace estrivo {

// The window's client area: draws the frame and band lines behind the controls.
class ClientArea : public QWidget
{
    Q_OBJECT

public:
    explicit ClientArea(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace estrivo
