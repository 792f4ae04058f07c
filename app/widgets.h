// Small helpers the dialogs share for building their controls.
#pragma once

#include <QFont>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <initializer_list>

// Gives a new control its name, so that tests and styles can find it.
template <class W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <class W>
W* Bold(W* widget) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
    return widget;
}

// A "..." button that opens a file picker. It never takes Enter as the
// dialog's default, so Enter after the picker closes runs the dialog's command.
inline QPushButton* BrowseButton(QWidget* parent, const char* name) {
    auto* button = Named(new QPushButton(QStringLiteral("..."), parent), name);
    button->setFixedWidth(32);
    button->setAutoDefault(false);
    return button;
}

// The order in which Tab moves through the controls.
inline void SetTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}
