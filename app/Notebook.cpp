#include "Notebook.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "PageTabAccessible.h"

TNotebook::TNotebook(QWidget* parent)
    : QWidget(parent), buttons_(new QButtonGroup(this)), buttonRow_(new QWidget(this)),
      stack_(new QStackedWidget(this))
{
    buttonRow_->setObjectName(QStringLiteral("notebookButtons"));
    auto* row = new QHBoxLayout(buttonRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buttonRow_);
    column->addWidget(stack_, 1);
    buttons_->setExclusive(true);
    connect(buttons_, &QButtonGroup::idClicked, this, &TNotebook::SetPageIndex);
}

int TNotebook::AddPage(QWidget* page, const QString& caption, const QPixmap& icon)
{
    const int index = stack_->addWidget(page);
    auto* button = new QToolButton(buttonRow_);
    // Read as a page tab: set before anything asks how to read it.
    button->setProperty(kPageTabProperty, true);
    button->setObjectName(QStringLiteral("notebookPage%1").arg(index));
    button->setCheckable(true);
    button->setChecked(index == stack_->currentIndex());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setText(caption);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFocusPolicy(Qt::TabFocus);
    buttons_->addButton(button, index);
    buttonRow_->layout()->addWidget(button);
    return index;
}

int TNotebook::PageCount() const { return stack_->count(); }

QString TNotebook::PageCaption(int index) const
{
    const QToolButton* b = PageButton(index);
    return b ? b->text() : QString();
}

void TNotebook::SetPageCaption(int index, const QString& caption)
{
    if (QToolButton* b = PageButton(index))
        b->setText(caption);
}

QToolButton* TNotebook::PageButton(int index) const
{
    return qobject_cast<QToolButton*>(buttons_->button(index));
}

QWidget* TNotebook::Page(int index) const { return stack_->widget(index); }

int TNotebook::PageIndex() const { return stack_->currentIndex(); }

void TNotebook::SetPageIndex(int index)
{
    if (index < 0 || index >= stack_->count())
        return;
    if (QAbstractButton* b = buttons_->button(index))
        b->setChecked(true);
    if (index == stack_->currentIndex())
        return;
    stack_->setCurrentIndex(index);
    Q_EMIT PageChanged(index);
}
