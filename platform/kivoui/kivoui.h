#ifndef KIVO_KIVOUI_H
#define KIVO_KIVOUI_H

class QWidget;

// Sets the application's name and version and the desktop's organisation, and installs the
// translations of Qt's texts and of the application's own for the user's locale, where found.
void kivoInit(const char *version, const char *appName);

// The widget help is wanted for: the one under the mouse if it belongs to the active window,
// else the one with the focus, else the active window. May be null.
QWidget *kivoHelpLookForWidget();
// Shows the application's manual in the help window at the section of the widget, or of its
// nearest ancestor that has one, else at the top. The help window is created once and reused.
void kivoHelpShow(QWidget *widget);

#endif
