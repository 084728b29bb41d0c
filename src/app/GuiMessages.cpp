#include "app/GuiMessages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace rek2 {

namespace {
const QString kCaption = QStringLiteral("Opozorilo!");
}

GuiMessages::GuiMessages(QWidget* window)
    : m_window(window)
{
}

void GuiMessages::setStatusPanel(QLabel* panel, QWidget* disabledWhileShown)
{
    m_panel = panel;
    m_disabled = disabledWhileShown;
}

QString GuiMessages::applicationTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("rek2") : name;
}

int GuiMessages::opozorilo(const QString& text, const QString& button1, const QString& button2)
{
    QMessageBox box(QMessageBox::Warning, kCaption, text, QMessageBox::NoButton, m_window);
    QPushButton* first = box.addButton(button1, QMessageBox::AcceptRole);
    QPushButton* second = box.addButton(button2, QMessageBox::RejectRole);
    box.setDefaultButton(first);
    box.setEscapeButton(second);
    box.exec();
    // Closing the box counts as the second button.
    return box.clickedButton() == first ? 1 : 2;
}

void GuiMessages::napaka(const QString& text, const QString& button)
{
    QMessageBox box(QMessageBox::Warning, kCaption, text, QMessageBox::NoButton, m_window);
    QPushButton* ok = box.addButton(button, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

void GuiMessages::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, m_window);
    box.exec();
}

void GuiMessages::showError(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, applicationTitle(), text);
}

void GuiMessages::statusPanel(bool show, const QString& text)
{
    if (m_panel) {
        m_panel->setText(text);
        if (show) {
            if (QWidget* host = m_panel->parentWidget())
                m_panel->move((host->width() - m_panel->width()) / 2, (host->height() - m_panel->height()) / 2);
            m_panel->show();
            m_panel->raise();
        } else {
            m_panel->hide();
        }
    }
    if (m_disabled)
        m_disabled->setEnabled(!show);
    processEvents();
}

void GuiMessages::processEvents()
{
    // Paint and timers only: a click queued during a long action must not start another
    // action inside it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace rek2
