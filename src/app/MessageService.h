#pragma once
#include <QString>
#include <QStringList>

namespace rek2 {

// Message boxes and the status panel, as the actions ask for them. The window shows
// real Qt boxes; tests and rek2cli answer without a window.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Opozorilo: warning box "Opozorilo!" with two buttons; 1 for the first, 2 otherwise.
    virtual int opozorilo(const QString& text, const QString& button1, const QString& button2) = 0;
    // Napaka: warning box "Opozorilo!" with one button.
    virtual void napaka(const QString& text, const QString& button) = 0;
    // A plain message box with the application title.
    virtual void message(const QString& text) = 0;
    // The status panel: shown with the tabs disabled, or hidden.
    virtual void statusPanel(bool show, const QString& text) = 0;
    // Lets the window repaint during long work.
    virtual void processEvents() {}
};

// Answers every question with the first button and collects what was shown; used by
// rek2cli (which prints the texts) and the tests.
class RecordingMessages : public MessageService {
public:
    int opozorilo(const QString& text, const QString&, const QString&) override
    {
        shown << text;
        return answer;
    }
    void napaka(const QString& text, const QString&) override { shown << text; }
    void message(const QString& text) override { shown << text; }
    void statusPanel(bool show, const QString& text) override
    {
        panelVisible = show;
        if (show)
            panelTexts << text;
    }
    int answer = 1;
    bool panelVisible = false;
    QStringList shown;
    QStringList panelTexts;
};

} // namespace rek2
