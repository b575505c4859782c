#pragma once

#include <QComboBox>
#include <QStringList>
#include <QWidget>

// Finds a control by its object name. A missing one ends the test run, in a
// release build as well: every later step would only crash on it.
template <typename T> T* Control(const QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(QLatin1String(name));
    if (!control)
        qFatal("no control named %s", name);
    return control;
}

inline QStringList Items(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// Picks an item as the user does from the opened list: the selection moves
// straight to it and the list reports the pick. Stepping with the arrow keys
// would report every item on the way.
inline bool Choose(QComboBox* list, int index)
{
    if (!list->isEnabled() || !list->isVisibleTo(list->window()) || index < 0 ||
        index >= list->count())
        return false;
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
    return true;
}

inline bool EnabledOnPage(const QWidget* control)
{
    return control->isEnabledTo(control->window());
}

inline bool VisibleOnPage(const QWidget* control)
{
    return control->isVisibleTo(control->window());
}

// Names of the controls that Tab visits, in order, starting at the page.
inline QStringList TabStops(const QWidget& page)
{
    QStringList names;
    for (const QWidget* w = page.nextInFocusChain(); w != &page; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
            names << w->objectName();
    return names;
}
