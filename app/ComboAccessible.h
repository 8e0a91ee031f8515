#pragma once
// What assistive technology is told about a combo box. On Linux Qt names a
// combo box after its current text, which for the picture lists is a few
// blanks and for the keyword box is empty until something is typed. This one
// is named after the box's accessible name (the current text when it has
// none) and gives as its value the current item's accessible text, which for
// a picture item says what the picture shows.

#include <QAccessibleWidget>

class QComboBox;

class TComboAccessible : public QAccessibleWidget {
public:
    explicit TComboAccessible(QWidget* widget);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Item `index` as it is read out: its accessible text, else its text.
    static QString ItemText(const QComboBox* box, int index);

private:
    QComboBox* Box() const;
};
