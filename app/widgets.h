// Small helpers the dialogs share for building their controls.
#pragma once

#include <QFont>
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

// The order in which Tab moves through the controls.
inline void SetTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}
