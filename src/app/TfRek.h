#pragma once
#include "app/GuiMessages.h"
#include "app/RekContext.h"
#include "db/Session.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace rek2 {

namespace toolkit {
class DatasetGrid;
}

// The main window: four tabs over one RekContext. The handlers only translate between
// the widgets and the context and call the actions; every failure of an action ends in
// the standard error box and the window carries on.
class TfRek : public QWidget {
    Q_OBJECT
public:
    // `arguments`: the application's arguments (program, database, user, password).
    explicit TfRek(const QStringList& arguments, QWidget* parent = nullptr);
    ~TfRek() override;

    RekContext& context() { return m_ctx; }
    // FormShow has run and the session is connected.
    bool isReady() const { return m_ready; }

public slots:
    void FormShow();
    void PageControl1Change(int index);
    void dtpDatumOdChange();
    void dtpDatumDoChange();
    void bNaborClick();
    void SpeedButton2Click();
    void SpeedButton6Click();
    void dbgZbirniCellClick();
    void dbgZbirniExit();
    void bXMLClick();
    void bRefreshNeposlanaClick();
    void bRefreshPoslanaClick();
    void bSendClick();
    void tsPorocilaContextPopup();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void buildUi();
    QWidget* buildNabor();
    QWidget* buildPorocila();
    void installHooks();
    // Runs one user action: errors go to the error box, the status panel never stays up.
    void runAction(const std::function<void()>& action);
    void setActivePage(int index);
    void refreshNeposlana();
    void refreshPoslana();
    // The sent files first, then the unsent ones.
    void refreshFileLists();
    void setPickerDates(const QDate& od, const QDate& doDate);
    void takeScreenshot(const QString& path);

    QStringList m_arguments;
    db::Session m_session;
    GuiMessages m_messages;
    RekContext m_ctx;
    bool m_formShowQueued = false;
    bool m_ready = false;
    bool m_settingDates = false;

    QTabWidget* PageControl1 = nullptr;
    QWidget* tsNabor = nullptr;
    QWidget* tsPorocila = nullptr;
    QWidget* tsPregled = nullptr;
    QWidget* tsParams = nullptr;
    QLabel* Panel6 = nullptr;

    QDateEdit* dtpDatumOd = nullptr;
    QDateEdit* dtpDatumDo = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* bNabor = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QPushButton* bXML = nullptr;
    QCheckBox* cbXMLZaVseZbirne = nullptr;
    toolkit::DatasetGrid* dbgZbirni = nullptr;
    toolkit::DatasetGrid* dbgNabor = nullptr;

    QPushButton* bRefreshNeposlana = nullptr;
    QPushButton* bSend = nullptr;
    QPushButton* bRefreshPoslana = nullptr;
    QListWidget* lbNeposlana = nullptr;
    QListWidget* lbPoslana = nullptr;
};

} // namespace rek2
