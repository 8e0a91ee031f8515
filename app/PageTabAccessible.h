#pragma once
// A button that stands for a page of a notebook, told to assistive
// technology as a page tab that is checked while its page is shown. Buttons
// carry the property kPageTabProperty to be read this way.

#include <QAccessibleWidget>

inline constexpr char kPageTabProperty[] = "pageTab";

class TPageTabAccessible : public QAccessibleWidget {
public:
    explicit TPageTabAccessible(QWidget* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};
