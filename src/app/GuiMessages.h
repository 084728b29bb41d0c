#pragma once
#include "app/MessageService.h"

#include <QPointer>

class QLabel;
class QWidget;

namespace rek2 {

// The message boxes and the status panel of the main window: modal Qt boxes parented to
// the window, and a panel that covers the window's centre while the tabs are disabled.
class GuiMessages : public MessageService {
public:
    explicit GuiMessages(QWidget* window = nullptr);

    void setWindow(QWidget* window) { m_window = window; }
    // The status panel (a child of the window) and the control it disables while shown.
    void setStatusPanel(QLabel* panel, QWidget* disabledWhileShown);

    int opozorilo(const QString& text, const QString& button1, const QString& button2) override;
    void napaka(const QString& text, const QString& button) override;
    void message(const QString& text) override;
    void statusPanel(bool show, const QString& text) override;
    void processEvents() override;

    // The standard error box of a failed user action.
    static void showError(QWidget* parent, const QString& text);
    // The caption of plain boxes: the application's title.
    static QString applicationTitle();

private:
    QPointer<QWidget> m_window;
    QPointer<QLabel> m_panel;
    QPointer<QWidget> m_disabled;
};

} // namespace rek2
