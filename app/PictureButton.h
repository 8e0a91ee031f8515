#pragma once
// A button that is only a picture: hand cursor, and the picture moves one
// pixel right and down while the button is held down. Disabled, it shows the
// picture greyed.

#include <QAbstractButton>
#include <QPixmap>

class TPictureButton : public QAbstractButton {
    Q_OBJECT
public:
    TPictureButton(const QPixmap& picture, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
